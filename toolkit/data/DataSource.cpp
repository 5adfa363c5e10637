#include "toolkit/data/DataSource.h"

#include <algorithm>

namespace tk {

DataSource::DataSource(QObject *parent) : QObject(parent) {}

DataSource::~DataSource()
{
    if (m_dataSet)
        m_dataSet->detachSource(this);
    for (DataLink *link : m_links)
        link->m_source = nullptr;
}

void DataSource::SetDataSet(tk::DataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        m_dataSet->detachSource(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->attachSource(this);
    dataEvent(DataEvent::ActiveChanged, nullptr);
}

bool DataSource::Edit()
{
    if (!m_dataSet || !m_dataSet->Active())
        return false;
    if (m_dataSet->Editing())
        return true;
    if (!AutoEdit)
        return false;
    m_dataSet->Edit();
    return m_dataSet->Editing();
}

void DataSource::addLink(DataLink *link)
{
    if (std::find(m_links.begin(), m_links.end(), link) == m_links.end())
        m_links.push_back(link);
}

void DataSource::removeLink(DataLink *link)
{
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

void DataSource::dataEvent(DataEvent event, Field *field)
{
    // Links may unregister while being told; walk a copy.
    const std::vector<DataLink *> links = m_links;
    auto stillLinked = [this](DataLink *l) { return std::find(m_links.begin(), m_links.end(), l) != m_links.end(); };
    for (DataLink *link : links) {
        if (!stillLinked(link))
            continue;
        switch (event) {
        case DataEvent::ActiveChanged: link->activeChanged(); break;
        case DataEvent::StateChanged: link->editingChanged(); break;
        case DataEvent::RecordChanged: link->recordChanged(field); break;
        case DataEvent::DataSetChanged: link->dataSetChanged(); break;
        case DataEvent::DataSetScrolled: link->dataSetScrolled(); break;
        case DataEvent::UpdateData: link->updateData(); break;
        case DataEvent::RowsMoved: link->rowsMoved(); break;
        }
    }
    switch (event) {
    case DataEvent::StateChanged:
    case DataEvent::ActiveChanged:
        if (OnStateChange)
            OnStateChange();
        if (event == DataEvent::ActiveChanged && OnDataChange)
            OnDataChange(nullptr);
        break;
    case DataEvent::RecordChanged:
    case DataEvent::DataSetChanged:
    case DataEvent::DataSetScrolled:
        if (OnDataChange)
            OnDataChange(event == DataEvent::RecordChanged ? field : nullptr);
        break;
    case DataEvent::UpdateData:
    case DataEvent::RowsMoved:
        break;
    }
}

DataLink::~DataLink()
{
    if (m_source)
        m_source->removeLink(this);
}

void DataLink::SetDataSource(tk::DataSource *source)
{
    if (m_source == source)
        return;
    if (m_source)
        m_source->removeLink(this);
    m_source = source;
    if (m_source)
        m_source->addLink(this);
    activeChanged();
}

} // namespace tk
