// Opening, reading, writing and editing of TXbaseDataSet.
#include "storage/TXbaseDataSet.h"

#include "platform/FormatSettings.h"
#include "util/Ansi.h"
#include "xbase/api/XbApi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kLocked[] = "Selected record is currently locked by another user or task";
constexpr char kReadOnly[] = "Cannot modify a read-only data set";
constexpr char kEmpty[] = "Cannot perform this operation on an empty table";
constexpr char kOpenTable[] = "Cannot perform this operation on an open table";
constexpr char kOutOfBounds[] = "Translate error. Value out of bounds";

// Engine-wide state that belongs to no table.
bool s_century = false;
TXbaseDateFrmt s_dateFormat = dfWinDefault;

std::string ansi(const QString &text)
{
    return toAnsi(text);
}

// File names go to the engine as the file system holds them (UTF-8 on
// Linux), never through the table's code page.
std::string osPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

bool blank(const char *p, int n)
{
    for (int i = 0; i < n; ++i) {
        if (p[i] != ' ' && p[i] != '\0')
            return false;
    }
    return true;
}

QByteArray trimmed(const char *p, int n)
{
    return QByteArray(p, n).trimmed();
}

tk::FieldType fieldTypeOf(char letter, int width, int decimals)
{
    switch (letter) {
    case 'C': return tk::FieldType::String;
    case 'N':
    case 'F': return decimals > 0 || width > 4 ? tk::FieldType::Float : tk::FieldType::SmallInt;
    case 'I': return tk::FieldType::Integer;
    case 'D': return tk::FieldType::Date;
    case 'L': return tk::FieldType::Boolean;
    case 'M': return tk::FieldType::Memo;
    case 'B':
    case 'G':
    case 'P': return tk::FieldType::Blob;
    default: return tk::FieldType::String;
    }
}

bool isBlobLetter(char letter)
{
    return letter == 'M' || letter == 'B' || letter == 'G' || letter == 'P';
}

void gaugeTrampoline(void *context, int percent)
{
    auto *hook = static_cast<std::function<void(int)> *>(context);
    if (hook && *hook)
        (*hook)(percent);
}

} // namespace

void TXbaseDataSet::select() const
{
    if (m_area > 0)
        xb_Select(m_area);
}

void TXbaseDataSet::requireOpen() const
{
    if (m_area <= 0)
        throw EXbaseError("Cannot perform this operation on a closed dataset");
}

void TXbaseDataSet::requireWritable() const
{
    if (m_readOnly)
        throw EXbaseError(kReadOnly);
}

void TXbaseDataSet::requireClosed() const
{
    if (m_area != 0)
        throw EXbaseError(kOpenTable);
}

QString TXbaseDataSet::engineMessage()
{
    // The engine's messages hold file names in the file system's UTF-8 and
    // table text in Windows-1252.
    const char *text = xb_LastError();
    const QString utf8 = QString::fromUtf8(text);
    return utf8.contains(QChar::ReplacementCharacter) ? fromAnsi(text) : utf8;
}

void TXbaseDataSet::engineError(const QString &what) const
{
    const QString detail = engineMessage();
    throw EXbaseError(detail.isEmpty() ? what : what + QStringLiteral(": ") + detail);
}

void TXbaseDataSet::SetTableName(const QString &name)
{
    requireClosed();
    m_tableName = name;
}

void TXbaseDataSet::SetExclusive(bool on)
{
    if (Active())
        throw EXbaseError(kOpenTable);
    m_exclusive = on;
}

void TXbaseDataSet::SetReadOnly(bool on)
{
    if (Active())
        throw EXbaseError(kOpenTable);
    m_readOnly = on;
}

void TXbaseDataSet::SetEpoch(int year)
{
    if (year == 0)
        year = 1900;
    else if (year < 100)
        year = 100;
    else if (year >= 3000)
        year = 2999;
    m_epoch = year;
    xb_SetEpoch(year);
}

void TXbaseDataSet::SetLockTimeOut(int seconds)
{
    m_lockTimeOut = seconds;
    xb_SetLockTimeout(seconds);
}

void TXbaseDataSet::SetPassword(const QString &password)
{
    if (m_area > 0)
        settleEdit();
    m_password = password;
    if (m_area > 0) {
        select();
        xb_SetPassword(ansi(password).c_str());
        m_unreadable = !password.isEmpty() ? false : xb_IsEncrypted(0) != 0;
        invalidateRows();
        Resync();
    }
}

QString TXbaseDataSet::fileNameWithExtension() const
{
    QString name = QString(m_tableName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".DBF");
    return name;
}

QString TXbaseDataSet::directory() const
{
    const QString name = QString(m_tableName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString dir;
    if (name.contains(QLatin1Char('/')))
        dir = QFileInfo(name).path();
    else if (!DatabaseName.isEmpty())
        dir = QString(DatabaseName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    else
        dir = QDir::currentPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QString TXbaseDataSet::makeAlias(const QString &fileName)
{
    static const QString kReplaced = QStringLiteral(" ~!#$%^&*()+=-,.;:'/?<>[]{}\\`\"");
    QString alias = QFileInfo(QString(fileName).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName().toUpper();
    alias = alias.section(QLatin1Char('.'), 0, 0).left(8);
    for (QChar &c : alias) {
        if (kReplaced.contains(c))
            c = QLatin1Char('_');
    }
    for (int n = 1; xb_WorkArea(ansi(alias).c_str()) != 0; ++n) {
        const QString digits = QString::number(n);
        alias = alias.left(8 - digits.size()) + digits;
    }
    return alias;
}

void TXbaseDataSet::InternalOpen()
{
    if (m_tableName.isEmpty())
        throw EXbaseError(objectName() + QStringLiteral(" : Missing TableName property"));
    m_alias = makeAlias(m_tableName);
    const int type = static_cast<int>(TableType) + 1;
    const int mode = m_exclusive ? XB_EXCLUSIVE : (m_readOnly ? XB_READONLY : XB_SHARED);
    const QString nameOnly = QFileInfo(fileNameWithExtension()).fileName();
    const QString path = directory() + nameOnly;

    xb_SetEpoch(m_epoch);
    auto use = [&] {
        const int area = xb_Use(osPath(path).c_str(), ansi(m_alias).c_str(), mode, type);
        xb_SysProp(XB_PROP_OPENFLAG, -1);
        if (area == 0) {
            // A file that is there but cannot be opened (locked, damaged, not
            // a table) says why instead of claiming it does not exist.
            if (QFileInfo::exists(path) || xb_LastErrorCode() != 1)
                throw EXbaseError(QStringLiteral("Table cannot be opened.\r%1\rFile: %2")
                                      .arg(engineMessage(), path));
            throw EXbaseError(QStringLiteral("Table does not exist.\rFile or directory does not exist\rFile: %1").arg(path));
        }
        m_area = area;
        if (!m_password.isEmpty())
            xb_SetPassword(ansi(m_password).c_str());
    };
    use();
    if (IndexDisagreementHandler &handler = indexDisagreementHandler(); handler && !m_exclusive) {
        // Once per table and run: an index that does not agree with its
        // table (restored apart from it, cut short) is offered for rebuilding
        // before anyone walks it. Exclusive opens are the maintenance's own.
        QSet<QString> &audited = auditedTables();
        const QString key = QFileInfo(path).absoluteFilePath();
        if (!audited.contains(key)) {
            audited.insert(key);
            const char *finding = xb_IndexAudit();
            if (finding && *finding) {
                const QString text = fromAnsi(finding);
                xb_Close();
                m_area = 0;
                handler(path, text);
                use();
            }
        }
    }
    xb_SetTurboRead(0);
    m_unreadable = m_password.isEmpty() && xb_IsEncrypted(0) != 0;

    applyOrder(m_indexName, false);

    m_info.clear();
    const int count = xb_FieldCount();
    for (int i = 1; i <= count; ++i) {
        const std::string name = xb_FieldName(i);
        TFieldInfo info;
        info.type = static_cast<char>(xb_FieldType(name.c_str()));
        info.offset = xb_FieldOffset(name.c_str()) - 1;
        info.width = xb_FieldWidth(name.c_str());
        info.decimals = xb_FieldDecimals(name.c_str());
        info.slot = i - 1;
        m_info.push_back(info);
        const tk::FieldType type = fieldTypeOf(info.type, info.width, info.decimals);
        tk::Field &field = defineField(fromAnsi(name), type, info.width, info.decimals);
        if (type == tk::FieldType::Float) {
            // The picture's decimal point is always "."; the locale's
            // separator appears in the text.
            field.DisplayFormat = QStringLiteral("#");
            if (info.decimals > 0)
                field.DisplayFormat += QLatin1Char('.') + QString(info.decimals, QLatin1Char('0'));
            field.Precision = info.width + 1;
        }
    }
    m_raw.assign(static_cast<std::size_t>(xb_RecSize()) + 1, ' ');
    m_lastMasterKey.clear();
    invalidateRows();
    if (m_masterSource)
        masterChanged();
    xb_GoTop();
    m_atTop = true;
}

void TXbaseDataSet::InternalClose()
{
    select();
    if (m_area > 0)
        xb_Close();
    m_area = 0;
    m_raw.clear();
    m_info.clear();
    m_insertReturn = 0;
    m_appended = 0;
    m_lastMasterKey.clear();
    invalidateRows();
}

void TXbaseDataSet::InternalFirst()
{
    select();
    xb_GoTop();
    m_atTop = true;
    m_atBottom = false;
}

void TXbaseDataSet::InternalLast()
{
    select();
    xb_GoBottom();
    m_atBottom = true;
    m_atTop = false;
}

void TXbaseDataSet::syncEngine() const
{
    select();
    const qint64 bookmark = currentBuffer().bookmark;
    if (bookmark > 0 && bookmark <= xb_RecCount() && xb_RecNo() != bookmark)
        xb_Go(bookmark);
}

tk::DataSet::GetResult TXbaseDataSet::GetRecord(GetMode mode, tk::RecordBuffer &buffer)
{
    select();
    GetResult result = GetResult::Ok;
    switch (mode) {
    case GetMode::Current:
        if (!m_positionFromEngine)
            syncEngine();
        m_positionFromEngine = false;
        if (xb_Bof() && xb_Eof())
            result = GetResult::Eof;
        else if (xb_Eof()) {
            xb_GoBottom();
            if (xb_Eof())
                result = GetResult::Eof;
        }
        break;
    case GetMode::Next: {
        long noted = 0;
        bool moved = true;
        if (m_atTop) {
            moved = xb_GoTop() != 0;
        } else {
            syncEngine();
            noted = xb_RecNo();
            moved = xb_Skip(1) != 0;
        }
        // A move the engine could not make is its error, never a quiet end
        // of data (loops over the records would stop without a word, or
        // spin on the same record).
        if (!moved)
            engineError(QStringLiteral("Cannot move to the next record"));
        if (xb_Eof() || (!m_atTop && xb_RecNo() == noted)) {
            xb_GoBottom();
            result = GetResult::Eof;
        }
        break;
    }
    case GetMode::Prior: {
        long noted = 0;
        bool moved = true;
        if (m_atBottom) {
            moved = xb_GoBottom() != 0;
        } else {
            syncEngine();
            noted = xb_RecNo();
            moved = xb_Skip(-1) != 0;
        }
        if (!moved)
            engineError(QStringLiteral("Cannot move to the previous record"));
        if (xb_Bof() || (!m_atBottom && xb_RecNo() == noted)) {
            xb_GoTop();
            result = GetResult::Bof;
        }
        break;
    }
    }
    m_atTop = m_atBottom = false;
    if (result == GetResult::Ok) {
        if (xb_Eof())
            return GetResult::Eof;
        readRecord(buffer);
    }
    return result;
}

void TXbaseDataSet::readRecord(tk::RecordBuffer &buffer)
{
    xb_GetRecord(m_raw.data());
    buffer.reset(m_info.size());
    buffer.bookmark = xb_RecNo();
    for (const TFieldInfo &info : m_info) {
        const char *p = m_raw.data() + info.offset;
        QVariant &value = buffer.values[static_cast<std::size_t>(info.slot)];
        const tk::FieldType type = Fields(info.slot)->DataType();
        if (m_unreadable) {
            if (type == tk::FieldType::String)
                value = fromAnsi(std::string_view(p, static_cast<std::size_t>(info.width)));
            continue;
        }
        switch (type) {
        case tk::FieldType::String: {
            int n = info.width;
            while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
                --n;
            value = fromAnsi(std::string_view(p, static_cast<std::size_t>(n)));
            break;
        }
        case tk::FieldType::SmallInt:
        case tk::FieldType::Integer: {
            if (info.type == 'I') {
                int32_t v = 0;
                std::memcpy(&v, p, sizeof v);
                value = static_cast<int>(v);
                break;
            }
            const QByteArray t = trimmed(p, info.width);
            if (!t.isEmpty())
                value = t.toInt();
            break;
        }
        case tk::FieldType::Float: {
            const QByteArray t = trimmed(p, info.width);
            if (!t.isEmpty())
                value = t.toDouble();
            break;
        }
        case tk::FieldType::Date: {
            if (blank(p, 4))
                break;
            const QDate d(QByteArray(p, 4).toInt(), QByteArray(p + 4, 2).toInt(), QByteArray(p + 6, 2).toInt());
            value = d.isValid() ? d : QDate(1899, 12, 30);
            break;
        }
        case tk::FieldType::Boolean: {
            const QByteArray t = trimmed(p, info.width);
            if (!t.isEmpty())
                value = t[0] == 'T' || t[0] == 'Y' || t[0] == 't' || t[0] == 'y';
            break;
        }
        case tk::FieldType::Memo:
        case tk::FieldType::Blob: {
            tk::BlobSlot &slot = buffer.blobs[static_cast<std::size_t>(info.slot)];
            slot.reference = QByteArray(p, info.width);
            bool none = blank(p, info.width);
            if (!none && info.width == 4) {
                uint32_t block = 0;
                std::memcpy(&block, p, sizeof block);
                none = block == 0;
            }
            if (!none)
                value = true;
            break;
        }
        }
    }
}

void TXbaseDataSet::writeRecord(const tk::RecordBuffer &buffer)
{
    for (const TFieldInfo &info : m_info) {
        char *p = m_raw.data() + info.offset;
        const auto width = static_cast<std::size_t>(info.width);
        const QVariant &value = buffer.values[static_cast<std::size_t>(info.slot)];
        const tk::Field *field = Fields(info.slot);
        std::string text;
        switch (field->DataType()) {
        case tk::FieldType::String: {
            bool ok = true;
            text = toAnsi(value.toString(), &ok);
            if (!ok)
                throw EXbaseError(QStringLiteral("Translate error. The text of field %1 holds a character "
                                                 "the table cannot store: %2")
                                      .arg(field->FieldName(), value.toString()));
            text.resize(width, ' ');
            break;
        }
        case tk::FieldType::SmallInt:
        case tk::FieldType::Integer:
            if (info.type == 'I') {
                const int32_t v = value.toInt();
                std::memcpy(p, &v, sizeof v);
                continue;
            }
            if (value.isValid())
                text = std::to_string(value.toInt());
            if (text.size() > width)
                throw EXbaseError(kOutOfBounds);
            text.insert(text.begin(), width - text.size(), ' ');
            break;
        case tk::FieldType::Float:
            if (value.isValid()) {
                // Stored numbers always use the point, whatever the locale.
                char number[400];
                const auto r = std::to_chars(number, number + sizeof number, value.toDouble(),
                                             std::chars_format::fixed, info.decimals);
                text.assign(number, r.ptr);
            }
            if (text.size() > width)
                throw EXbaseError(kOutOfBounds);
            text.insert(text.begin(), width - text.size(), ' ');
            break;
        case tk::FieldType::Boolean:
            text = value.isValid() ? (value.toBool() ? "T" : "F") : " ";
            text.resize(width, ' ');
            break;
        case tk::FieldType::Date: {
            if (!value.isValid()) {
                text.assign(width, ' ');
                break;
            }
            const QDate d = value.toDate();
            int year = d.year();
            if (year >= 0 && year < 100) {
                year = m_epoch - m_epoch % 100 + year;
                if (year < m_epoch)
                    year += 100;
            }
            char digits[16];
            std::snprintf(digits, sizeof digits, "%04d%02d%02d", year, d.month(), d.day());
            text.assign(digits, 8);
            break;
        }
        case tk::FieldType::Memo:
        case tk::FieldType::Blob: {
            const QByteArray &ref = buffer.blobs[static_cast<std::size_t>(info.slot)].reference;
            if (ref.size() == info.width)
                text.assign(ref.constData(), width);
            else
                text.assign(width, info.width == 4 ? '\0' : ' ');
            break;
        }
        }
        std::memcpy(p, text.data(), width);
    }
    m_raw[0] = xb_Deleted() ? '*' : ' ';
}

void TXbaseDataSet::InternalEdit()
{
    requireWritable();
    syncEngine();
    if (!xb_Rlock(xb_RecNo())) {
        if (xb_LastErrorCode() == 5 /* locked */)
            throw EXbaseError(kLocked);
        engineError(QStringLiteral("Cannot edit the record"));
    }
    // What was shown may be older than the lock: another holder may have
    // posted in between. Edit what is on disk now, or Post would write the
    // old values back over the other change.
    m_positionFromEngine = false;
    Resync();
}

void TXbaseDataSet::settleEdit()
{
    if (Active() && Editing())
        CheckBrowseMode();
}

void TXbaseDataSet::InternalInsert()
{
    requireOpen();
    requireWritable();
    syncEngine();
    m_insertReturn = xb_RecNo();
}

void TXbaseDataSet::InternalInitRecord(tk::RecordBuffer &buffer)
{
    buffer.reset(m_info.size());
    select();
    buffer.bookmark = xb_RecCount() + 1;
}

void TXbaseDataSet::InternalPost(tk::RecordBuffer &buffer, bool inserting)
{
    select();
    // Convert everything first: a value that does not fit must not leave a
    // blank record appended or a half-written one behind.
    if (inserting && m_appended == 0) {
        std::fill(m_raw.begin(), m_raw.end(), ' ');
        for (const TFieldInfo &info : m_info) {
            if (info.type == 'I' || (isBlobLetter(info.type) && info.width == 4))
                std::memset(m_raw.data() + info.offset, 0, static_cast<std::size_t>(info.width));
        }
    } else if (inserting) {
        xb_Go(m_appended);
        if (!xb_GetRecord(m_raw.data()))
            engineError(QStringLiteral("Cannot read the record"));
    } else {
        if (!xb_Go(buffer.bookmark) || !xb_GetRecord(m_raw.data()))
            engineError(QStringLiteral("Cannot read the record"));
    }
    writeRecord(buffer);
    std::vector<std::pair<const TFieldInfo *, QByteArray>> blobs;
    for (const TFieldInfo &info : m_info) {
        const tk::BlobSlot &slot = buffer.blobs[static_cast<std::size_t>(info.slot)];
        if (isBlobLetter(info.type) && slot.modified)
            blobs.emplace_back(&info, slot.data);
    }

    // Memos first, in new blocks: the record that points at them is
    // written after them, so a crash or a failure in between leaves at most
    // unreferenced blocks, never a record with a lost or torn memo, and the
    // old values stay intact until the record is replaced.
    for (const auto &[info, data] : blobs) {
        const std::string name = xb_FieldName(info->slot + 1);
        if (!xb_StoreMemo(name.c_str(), data.constData(), data.size(), m_raw.data())) {
            if (info->type == 'M')
                engineError(QStringLiteral("Cannot write the memo %1").arg(fromAnsi(name)));
            throw EXbaseError("Blob Write Error");
        }
    }
    if (inserting && m_appended == 0) {
        // The whole record in one append: a refused or failed append leaves
        // nothing behind, and the dataset stays in insert state.
        m_raw[0] = ' ';
        const long before = xb_RecCount();
        if (!xb_AppendRecord(m_raw.data())) {
            const long landed = xb_RecNo();
            if (landed > before && !xb_Eof()) {
                // The record is in the table but an index could not follow:
                // a retry writes this record again instead of a second one.
                m_appended = landed;
                buffer.bookmark = landed;
            }
            engineError(QStringLiteral("Cannot append a record"));
        }
        m_appended = xb_RecNo();
        buffer.bookmark = m_appended;
    } else {
        if (inserting)
            xb_Go(m_appended);
        if (!xb_PutRecord(m_raw.data()))
            engineError(QStringLiteral("Cannot write the record"));
        // The record's earlier append got in without its index entries.
        if (inserting && !xb_RefreshKeys())
            engineError(QStringLiteral("Cannot update the index"));
    }
    if (m_syncEachPost && !xb_Commit())
        engineError(QStringLiteral("Cannot write the record to disk"));
    m_appended = 0;
    const long recno = xb_RecNo();
    xb_Unlock(recno);
    // Settle the engine in the current order (a record that left the
    // visible set leaves the engine on a neighbour).
    xb_Skip(1);
    xb_Skip(-1);
    m_insertReturn = 0;
    m_positionFromEngine = true;
    invalidateRows();
}

void TXbaseDataSet::InternalCancel()
{
    select();
    const long recno = currentBuffer().bookmark;
    if (recno > 0 && xb_Locked(recno))
        xb_Unlock(recno);
    if (state() == State::Insert && m_appended > 0) {
        // A post that failed after its record got in: the record stays (it
        // holds what was typed) and becomes current.
        xb_Go(m_appended);
        m_positionFromEngine = true;
        invalidateRows();
    } else if (state() == State::Insert && m_insertReturn > 0) {
        xb_Go(m_insertReturn);
        m_positionFromEngine = true;
    }
    m_insertReturn = 0;
    m_appended = 0;
}

void TXbaseDataSet::Delete()
{
    requireOpen();
    if (state() != State::Insert) {
        requireWritable();
        if (IsEmpty())
            throw EXbaseError(kEmpty);
    }
    tk::DataSet::Delete();
}

void TXbaseDataSet::DeleteRecord()
{
    requireOpen();
    requireWritable();
    if (IsEmpty())
        throw EXbaseError(kEmpty);
    runEvent(BeforeDelete);
    runEvent(BeforeScroll);
    InternalDelete();
    Resync();
    runEvent(AfterDelete);
    notify(tk::DataEvent::DataSetScrolled);
    runEvent(AfterScroll);
}

void TXbaseDataSet::InternalDelete()
{
    syncEngine();
    const QString condition = fromAnsi(xb_IndexCondition()).toUpper();
    if (!condition.contains(QLatin1String("DELETED()")) && !HideDeleted()) {
        if (!xb_Delete())
            engineError(QStringLiteral("Cannot delete the record"));
        xb_Commit();
    } else {
        const long noted = xb_RecNo();
        xb_Skip(1);
        const long next = xb_Eof() ? 0 : xb_RecNo();
        xb_Go(noted);
        if (!xb_Delete())
            engineError(QStringLiteral("Cannot delete the record"));
        xb_Commit();
        if (next > 0)
            xb_Go(next);
        else
            xb_GoBottom();
    }
    m_positionFromEngine = true;
    invalidateRows();
}

void TXbaseDataSet::InternalGotoBookmark(Bookmark bookmark)
{
    select();
    if (xb_RecNo() != bookmark)
        xb_Go(bookmark);
    m_positionFromEngine = true;
}

void TXbaseDataSet::LoadBlob(tk::RecordBuffer &buffer, int fieldIndex)
{
    const TFieldInfo &info = m_info.at(static_cast<std::size_t>(fieldIndex));
    tk::BlobSlot &slot = buffer.blobs[static_cast<std::size_t>(fieldIndex)];
    slot.data.clear();
    if (!buffer.values[static_cast<std::size_t>(fieldIndex)].isValid() || buffer.bookmark <= 0
        || buffer.bookmark > xb_RecCount())
        return;
    select();
    const long saved = xb_RecNo();
    xb_Go(buffer.bookmark);
    const std::string name = xb_FieldName(fieldIndex + 1);
    if (info.type == 'M') {
        char *text = xb_GetMemo(name.c_str(), 0);
        if (text) {
            slot.data = QByteArray(text);
            xb_MemDealloc(text);
        }
    } else {
        const long length = xb_GetBlobLength(name.c_str());
        if (length > 0) {
            slot.data.resize(length);
            slot.data.resize(xb_GetBlob(name.c_str(), slot.data.data()));
        }
    }
    xb_Go(saved);
}

QString TXbaseDataSet::TextOfBlob(const QByteArray &bytes) const
{
    return fromAnsi(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QByteArray TXbaseDataSet::BlobOfText(const QString &text) const
{
    bool ok = true;
    const std::string bytes = toAnsi(text, &ok);
    if (!ok)
        throw EXbaseError(QStringLiteral("Translate error. The text holds a character the table cannot store"));
    return QByteArray::fromStdString(bytes);
}

long TXbaseDataSet::RecNo()
{
    return Active() ? static_cast<long>(GetBookmark()) : 0;
}

void TXbaseDataSet::SetRecNo(long recno)
{
    GotoBookmark(recno);
}

TXbaseDataSet::IndexDisagreementHandler &TXbaseDataSet::indexDisagreementHandler()
{
    static IndexDisagreementHandler handler;
    return handler;
}

QSet<QString> &TXbaseDataSet::auditedTables()
{
    static QSet<QString> audited;
    return audited;
}

void TXbaseDataSet::SetIndexDisagreementHandler(IndexDisagreementHandler handler)
{
    indexDisagreementHandler() = std::move(handler);
    auditedTables().clear();
}

bool TXbaseDataSet::HideDeleted()
{
    return xb_SysProp(XB_PROP_DELETED, 0) != 0;
}

void TXbaseDataSet::SetHideDeleted(bool on)
{
    settleEdit();
    xb_SetDeleted(on ? 1 : 0);
    if (Active()) {
        invalidateRows();
        Resync();
    }
}

bool TXbaseDataSet::SoftSeek()
{
    return xb_SysProp(XB_PROP_SOFTSEEK, 0) != 0;
}

void TXbaseDataSet::SetSoftSeek(bool on)
{
    xb_SetSoftSeek(on ? 1 : 0);
}

bool TXbaseDataSet::Exact()
{
    return xb_SysProp(XB_PROP_EXACT, 0) != 0;
}

void TXbaseDataSet::SetExact(bool on)
{
    xb_SetExact(on ? 1 : 0);
}

bool TXbaseDataSet::Century()
{
    return s_century;
}

void TXbaseDataSet::SetCentury(bool on)
{
    settleEdit();
    s_century = on;
    xb_SetCentury(on ? 1 : 0);
    platform::FormatSettings &fs = platform::FormatSettings::current();
    const bool hasLong = fs.shortDateFormat.contains(QLatin1String("yyyy"));
    if (on != hasLong && fs.shortDateFormat.contains(QLatin1String("yy")))
        fs.setCentury(on);
    if (Active())
        Resync();
}

TXbaseDateFrmt TXbaseDataSet::DateFormat()
{
    return s_dateFormat;
}

void TXbaseDataSet::SetDateFormat(TXbaseDateFrmt format)
{
    s_dateFormat = format;
    xb_SetDateFormat(format == dfWinDefault ? 99 : static_cast<int>(format));
    platform::FormatSettings &fs = platform::FormatSettings::current();
    struct Pattern {
        const char *format;
        char separator;
    };
    static constexpr Pattern kPatterns[] = {{"MM/dd/yy", '/'}, {"yy.MM.dd", '.'}, {"dd/MM/yy", '/'}, {"dd/MM/yy", '/'},
                                            {"dd.MM.yy", '.'}, {"dd-MM-yy", '-'}, {"dd-MM-yy", '-'}};
    if (format == dfWinDefault) {
        const platform::FormatSettings locale = platform::FormatSettings::fromLocaleName(qEnvironmentVariable("LANG"));
        fs.shortDateFormat = locale.shortDateFormat;
        fs.dateSeparator = locale.dateSeparator;
    } else {
        fs.shortDateFormat = QString::fromLatin1(kPatterns[format].format);
        fs.dateSeparator = QLatin1Char(kPatterns[format].separator);
    }
    if (s_century)
        fs.setCentury(true);
}

void TXbaseDataSet::Commit()
{
    if (Editing())
        Post();
}

void TXbaseDataSet::SyncToDisk()
{
    if (!Active())
        return;
    select();
    if (!xb_Commit())
        engineError(QStringLiteral("Cannot write the records to disk"));
}

void TXbaseDataSet::GoTop()
{
    if (Active())
        First();
}

void TXbaseDataSet::Skip(int n)
{
    if (!Active())
        return;
    if (n == 1) {
        Next();
    } else if (n == -1) {
        Prior();
    } else {
        CheckBrowseMode();
        syncEngine();
        xb_Skip(n);
        m_positionFromEngine = true;
        Resync();
    }
}

int TXbaseDataSet::FieldWidth(const QString &fieldName)
{
    if (m_area <= 0)
        return 0;
    select();
    return xb_FieldWidth(ansi(fieldName).c_str());
}

bool TXbaseDataSet::IsEncrypted(int n)
{
    if (m_area <= 0)
        return false;
    select();
    return xb_IsEncrypted(n) != 0;
}

int TXbaseDataSet::Encrypt()
{
    requireWritable();
    requireOpen();
    settleEdit();
    select();
    const int result = xb_DbfEncrypt();
    invalidateRows();
    Resync();
    return result;
}

bool TXbaseDataSet::CreateNew(const QString &fileName, int tableType, int fieldCount)
{
    requireClosed();
    const QString saved = m_tableName;
    m_tableName = fileName;
    const QString path = directory() + QFileInfo(fileNameWithExtension()).fileName();
    const QString alias = makeAlias(fileName);
    m_tableName = saved;
    const int area = xb_CreateNew(osPath(path).c_str(), ansi(alias).c_str(), tableType, fieldCount);
    m_area = area > 0 ? -area : 0;
    return area > 0;
}

void TXbaseDataSet::CreateField(const QString &name, const QString &type, int width, int decimals)
{
    if (m_area >= 0)
        throw EXbaseError("Must call CreateNew before CreateField");
    xb_CreateField(ansi(name).c_str(), ansi(type).c_str(), width, decimals);
}

bool TXbaseDataSet::CreateExec()
{
    if (m_area >= 0)
        throw EXbaseError("Must call CreateNew before CreateExec");
    m_area = 0;
    return xb_CreateExec() != 0;
}

int TXbaseDataSet::IndexTag(const QString &indexFile, const QString &tag, const QString &key, int option,
                            int descending, const QString &condition)
{
    requireOpen();
    CheckBrowseMode();
    select();
    const std::string file = osPath(indexFile);
    const std::string cond = ansi(condition);
    const int result = xb_IndexTag(indexFile.isEmpty() ? nullptr : file.c_str(), ansi(tag).c_str(),
                                   ansi(key).c_str(), option, descending, condition.isEmpty() ? nullptr : cond.c_str());
    m_indexName = tag;
    xb_SetOrder(xb_TagArea(ansi(tag).c_str()));
    invalidateRows();
    Resync();
    return result;
}

bool TXbaseDataSet::AppendFrom(const QString &sourceFile, int tableType, const QString &condition)
{
    requireWritable();
    if (m_area <= 0)
        return false;
    CheckBrowseMode();
    select();
    const int result = xb_AppendFrom(osPath(sourceFile).c_str(), tableType, ansi(condition).c_str());
    m_appendBlanked = xb_AppendBlanked();
    invalidateRows();
    Resync();
    return result != 0;
}

void TXbaseDataSet::SetGaugeHook(std::function<void(int)> hook)
{
    m_gauge = std::move(hook);
    if (m_gauge)
        xb_SetGaugeHook(&gaugeTrampoline, &m_gauge);
    else
        xb_SetGaugeHook(nullptr, nullptr);
}
