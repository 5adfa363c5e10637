// A report source over a dataset: the report reads the dataset's records in
// its order, filter and scope, as display texts.
#pragma once

#include "toolkit/report/ReportSource.h"

namespace tk {

class DataSet;

class DataSetReportSource : public ReportSource {
public:
    // `dataSet` is not owned and must outlive the source.
    explicit DataSetReportSource(DataSet *dataSet);

    bool first() override;
    bool next() override;
    bool eof() const override;
    int recordCount() const override;
    QString displayText(const QString &field) const override;

private:
    DataSet *m_dataSet;
};

} // namespace tk
