#include "toolkit/report/DataSetReportSource.h"

#include "toolkit/data/DataSet.h"

namespace tk {

DataSetReportSource::DataSetReportSource(DataSet *dataSet) : m_dataSet(dataSet) {}

bool DataSetReportSource::first()
{
    if (!m_dataSet->Active())
        return false;
    m_dataSet->First();
    return !m_dataSet->Eof();
}

bool DataSetReportSource::next()
{
    m_dataSet->Next();
    return !m_dataSet->Eof();
}

bool DataSetReportSource::eof() const
{
    return !m_dataSet->Active() || m_dataSet->Eof();
}

int DataSetReportSource::recordCount() const
{
    return m_dataSet->Active() ? m_dataSet->RecordCount() : 0;
}

QString DataSetReportSource::displayText(const QString &field) const
{
    const Field *f = m_dataSet->FindField(field);
    return f ? f->DisplayText() : QString();
}

} // namespace tk
