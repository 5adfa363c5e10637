// The link between a dataset and the controls bound to it. Controls own a
// DataLink each and register it with a data source; the source passes the
// dataset's notifications on and starts an edit for them when AutoEdit is on.
#pragma once

#include "toolkit/data/DataSet.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

namespace tk {

class DataLink;

class DataSource : public QObject {
    Q_OBJECT

public:
    explicit DataSource(QObject *parent = nullptr);
    ~DataSource() override;

    tk::DataSet *dataSet() const { return m_dataSet; }
    void SetDataSet(tk::DataSet *dataSet);

    // Typing into a bound control starts an edit only when this is on.
    bool AutoEdit = true;

    // Puts the dataset into edit state for a control that wants to change a
    // field: true when the dataset is (now) editing.
    bool Edit();

    // Called after a field changed (field given) or the record changed
    // (nullptr), and when the dataset's state changed.
    std::function<void(Field *)> OnDataChange;
    std::function<void()> OnStateChange;

    void addLink(DataLink *link);
    void removeLink(DataLink *link);

    // From the dataset.
    void dataEvent(DataEvent event, Field *field);

private:
    QPointer<tk::DataSet> m_dataSet;
    std::vector<DataLink *> m_links;
};

// One control's view of a data source. Override the notifications needed.
class DataLink {
public:
    DataLink() = default;
    virtual ~DataLink();
    DataLink(const DataLink &) = delete;
    DataLink &operator=(const DataLink &) = delete;

    tk::DataSource *dataSource() const { return m_source; }
    void SetDataSource(tk::DataSource *source);
    tk::DataSet *dataSet() const { return m_source ? m_source->dataSet() : nullptr; }
    bool Active() const { return dataSet() && dataSet()->Active(); }
    bool Editing() const { return dataSet() && dataSet()->Editing(); }
    // Asks the source for edit state (AutoEdit rules).
    bool Edit() { return m_source && m_source->Edit(); }

    virtual void activeChanged() {}
    virtual void editingChanged() {}
    virtual void recordChanged(Field *field) { (void)field; }
    virtual void dataSetChanged() {}
    virtual void dataSetScrolled() {}
    virtual void updateData() {}
    virtual void rowsMoved() {}

private:
    friend class tk::DataSource;
    tk::DataSource *m_source = nullptr;
};

} // namespace tk
