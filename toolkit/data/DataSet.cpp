// State machine of the generic dataset. Every operation checks its state
// first, runs the before-event (which may throw to stop it), lets the
// subclass do the work, changes state only after the work succeeded, then
// runs the after-event and tells the controls.
#include "toolkit/data/DataSet.h"

#include "toolkit/data/DataSource.h"

#include <QStringList>

#include <algorithm>

namespace tk {

DataSet::DataSet(QObject *parent) : QObject(parent) {}

DataSet::~DataSet()
{
    for (DataSource *source : m_sources)
        source->SetDataSet(nullptr);
}

void DataSet::attachSource(DataSource *source)
{
    if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
}

void DataSet::detachSource(DataSource *source)
{
    m_sources.erase(std::remove(m_sources.begin(), m_sources.end(), source), m_sources.end());
}

void DataSet::notify(DataEvent event, tk::Field *field)
{
    if (m_disableCount > 0) {
        if (event != DataEvent::UpdateData)
            m_changedWhileDisabled = true;
        if (event != DataEvent::ActiveChanged && event != DataEvent::UpdateData)
            return;
    }
    emit dataEvent(event, field);
    const std::vector<DataSource *> sources = m_sources;
    for (DataSource *source : sources)
        source->dataEvent(event, field);
}

void DataSet::DisableControls()
{
    ++m_disableCount;
}

void DataSet::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0 && m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        notify(DataEvent::DataSetChanged);
    }
}

tk::Field &DataSet::defineField(const QString &name, FieldType type, int size, int decimals)
{
    const int index = static_cast<int>(m_fields.size());
    m_fields.push_back(std::make_unique<tk::Field>(this, index, name, type, size, decimals));
    return *m_fields.back();
}

tk::Field *DataSet::FindField(const QString &name) const
{
    for (const auto &field : m_fields) {
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

tk::Field *DataSet::FieldByName(const QString &name) const
{
    tk::Field *field = FindField(name);
    if (!field)
        throw DataSetError(QStringLiteral("Field '%1' not found").arg(name).toStdString());
    return field;
}

void DataSet::clearCurrent()
{
    m_current.reset(m_fields.size());
}

void DataSet::Open()
{
    if (Active())
        return;
    runEvent(BeforeOpen);
    m_fields.clear();
    InternalOpen();
    m_state = State::Browse;
    m_modified = false;
    clearCurrent();
    InternalFirst();
    const GetResult r = GetRecord(GetMode::Next, m_current);
    m_empty = r != GetResult::Ok;
    if (m_empty)
        clearCurrent();
    m_bof = true;
    m_eof = m_empty;
    notify(DataEvent::ActiveChanged);
    runEvent(AfterOpen);
}

void DataSet::Close()
{
    if (!Active())
        return;
    runEvent(BeforeClose);
    if (Editing())
        InternalCancel();
    InternalClose();
    m_state = State::Inactive;
    m_modified = false;
    m_bof = m_eof = m_empty = true;
    clearCurrent();
    m_saved = RecordBuffer();
    notify(DataEvent::ActiveChanged);
    m_fields.clear();
    runEvent(AfterClose);
}

void DataSet::beginScroll()
{
    if (!Active())
        throw DataSetError("Cannot perform this operation on a closed dataset");
    CheckBrowseMode();
    runEvent(BeforeScroll);
}

void DataSet::endScroll()
{
    notify(DataEvent::DataSetScrolled);
    runEvent(AfterScroll);
}

void DataSet::First()
{
    beginScroll();
    InternalFirst();
    RecordBuffer buffer;
    buffer.reset(m_fields.size());
    if (GetRecord(GetMode::Next, buffer) == GetResult::Ok) {
        m_current = std::move(buffer);
        m_empty = false;
        m_eof = false;
    } else {
        clearCurrent();
        m_empty = true;
        m_eof = true;
    }
    m_bof = true;
    endScroll();
}

void DataSet::Last()
{
    beginScroll();
    InternalLast();
    RecordBuffer buffer;
    buffer.reset(m_fields.size());
    if (GetRecord(GetMode::Prior, buffer) == GetResult::Ok) {
        m_current = std::move(buffer);
        m_empty = false;
        m_bof = false;
    } else {
        clearCurrent();
        m_empty = true;
        m_bof = true;
    }
    m_eof = true;
    endScroll();
}

void DataSet::Next()
{
    if (!Active())
        throw DataSetError("Cannot perform this operation on a closed dataset");
    CheckBrowseMode();
    if (m_eof)
        return;
    runEvent(BeforeScroll);
    RecordBuffer buffer;
    buffer.reset(m_fields.size());
    if (GetRecord(GetMode::Next, buffer) == GetResult::Ok) {
        m_current = std::move(buffer);
        m_bof = false;
    } else {
        m_eof = true;
    }
    endScroll();
}

void DataSet::Prior()
{
    if (!Active())
        throw DataSetError("Cannot perform this operation on a closed dataset");
    CheckBrowseMode();
    if (m_bof)
        return;
    runEvent(BeforeScroll);
    RecordBuffer buffer;
    buffer.reset(m_fields.size());
    if (GetRecord(GetMode::Prior, buffer) == GetResult::Ok) {
        m_current = std::move(buffer);
        m_eof = false;
    } else {
        m_bof = true;
    }
    endScroll();
}

void DataSet::GotoBookmark(Bookmark bookmark)
{
    beginScroll();
    InternalGotoBookmark(bookmark);
    Resync();
    m_bof = m_eof = false;
    endScroll();
}

void DataSet::MoveToRow(int row)
{
    RecordBuffer buffer;
    if (!FetchRow(row, buffer))
        return;
    GotoBookmark(buffer.bookmark);
}

void DataSet::Resync()
{
    RecordBuffer buffer;
    buffer.reset(m_fields.size());
    if (GetRecord(GetMode::Current, buffer) == GetResult::Ok) {
        m_current = std::move(buffer);
        m_empty = false;
    } else {
        clearCurrent();
        m_empty = true;
        m_bof = m_eof = true;
    }
    notify(DataEvent::DataSetChanged);
}

void DataSet::Refresh()
{
    if (!Active())
        return;
    CheckBrowseMode();
    InternalRefresh();
    Resync();
    // A refreshed record at either end may now have neighbours.
    if (!m_empty)
        m_bof = m_eof = false;
}

void DataSet::Edit()
{
    if (!Active())
        throw DataSetError("Cannot perform this operation on a closed dataset");
    if (Editing())
        return;
    if (m_empty) {
        Insert();
        return;
    }
    runEvent(BeforeEdit);
    InternalEdit();
    m_saved = m_current;
    m_state = State::Edit;
    m_modified = false;
    notify(DataEvent::StateChanged);
    runEvent(AfterEdit);
}

void DataSet::Insert()
{
    if (!Active())
        throw DataSetError("Cannot perform this operation on a closed dataset");
    CheckBrowseMode();
    runEvent(BeforeInsert);
    runEvent(BeforeScroll);
    InternalInsert();
    m_saved = m_current;
    InternalInitRecord(m_current);
    m_state = State::Insert;
    m_modified = false;
    notify(DataEvent::StateChanged);
    notify(DataEvent::RecordChanged);
    try {
        runEvent(OnNewRecord);
    } catch (...) {
        Cancel();
        throw;
    }
    m_changedSinceNew = false;
    runEvent(AfterInsert);
}

void DataSet::InternalInitRecord(RecordBuffer &buffer)
{
    buffer.reset(m_fields.size());
}

void DataSet::Post()
{
    if (!Editing())
        return;
    notify(DataEvent::UpdateData);
    runEvent(BeforePost);
    InternalPost(m_current, m_state == State::Insert);
    m_state = State::Browse;
    m_modified = false;
    m_saved = RecordBuffer();
    notify(DataEvent::StateChanged);
    Resync();
    m_bof = m_eof = false;
    runEvent(AfterPost);
}

void DataSet::Cancel()
{
    if (!Editing())
        return;
    runEvent(BeforeCancel);
    InternalCancel();
    const bool inserting = m_state == State::Insert;
    m_state = State::Browse;
    m_modified = false;
    m_current = std::move(m_saved);
    m_saved = RecordBuffer();
    if (m_current.values.size() != m_fields.size())
        clearCurrent();
    notify(DataEvent::StateChanged);
    Resync();
    if (inserting && !m_empty)
        m_bof = m_eof = false;
    runEvent(AfterCancel);
}

void DataSet::Delete()
{
    if (!Active())
        throw DataSetError("Cannot perform this operation on a closed dataset");
    if (m_state == State::Insert) {
        Cancel();
        return;
    }
    if (m_empty)
        throw DataSetError("Cannot perform this operation on an empty dataset");
    runEvent(BeforeDelete);
    runEvent(BeforeScroll);
    if (m_state == State::Edit)
        Cancel();
    InternalDelete();
    Resync();
    runEvent(AfterDelete);
    endScroll();
}

void DataSet::CheckBrowseMode()
{
    if (!Active())
        throw DataSetError("Cannot perform this operation on a closed dataset");
    if (!Editing())
        return;
    notify(DataEvent::UpdateData);
    if (m_modified)
        Post();
    else
        Cancel();
}

void DataSet::requireEditing() const
{
    if (!Editing())
        throw DataSetError("Dataset not in edit or insert mode");
}

BlobSlot &DataSet::blobSlot(int index)
{
    BlobSlot &slot = m_current.blobs[static_cast<std::size_t>(index)];
    if (!slot.loaded && !slot.modified) {
        LoadBlob(m_current, index);
        slot.loaded = true;
    }
    return slot;
}

void DataSet::LoadBlob(RecordBuffer &buffer, int fieldIndex)
{
    buffer.blobs[static_cast<std::size_t>(fieldIndex)].loaded = true;
}

QString DataSet::TextOfBlob(const QByteArray &bytes) const
{
    return QString::fromUtf8(bytes);
}

QByteArray DataSet::BlobOfText(const QString &text) const
{
    return text.toUtf8();
}

void DataSet::fieldChanged(tk::Field *field)
{
    m_modified = true;
    m_changedSinceNew = true;
    if (field->OnChange)
        field->OnChange(*field);
    notify(DataEvent::RecordChanged, field);
}

} // namespace tk
