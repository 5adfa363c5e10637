// The C-style functions over the process's engine. Each one finds the
// selected work area, calls the C++ layer and turns a failed status into its
// result value plus the text of xb_LastError.
#include "xbase/api/XbApi.h"

#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxOrderSet.h"
#include "xbase/api/Engine.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/Order.h"
#include "xbase/table/Table.h"
#include "xbase/api/WorkArea.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace xb;

namespace {

struct ApiState {
    Status lastError;
    std::string lastErrorText;
    std::string evalResult;
    std::string aliasText;
    std::string tagText;
    std::string auditText;
    // Table under creation.
    int createNumber = 0;
    std::string createPath;
    std::vector<FieldSpec> createFields;
    long openFlag = 0;
    int stringType = 0;
    int turboRead = 0;
};

ApiState &state()
{
    static ApiState *s = new ApiState;
    return *s;
}

Engine &engine() { return Engine::instance(); }

bool fail(const Status &s)
{
    state().lastError = s;
    return false;
}

bool check(const Status &s)
{
    return s ? true : fail(s);
}

WorkArea *current()
{
    WorkArea *wa = engine().current();
    if (!wa)
        fail(Status::badArgument("no work area selected"));
    return wa;
}

// '\' separators become '/', and a name without extension gets ".DBF".
std::string tablePath(const char *path)
{
    std::string p = path ? path : "";
    for (char &c : p)
        if (c == '\\')
            c = '/';
    const std::size_t slash = p.rfind('/');
    const std::size_t dot = p.rfind('.');
    if (!p.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
        p += ".DBF";
    return p;
}

int fieldOf(WorkArea *wa, const char *name)
{
    if (!wa || !name)
        return -1;
    const int f = wa->table().fieldIndex(name);
    if (f < 0)
        fail(Status::notFound(wa->table().path() + ": no field " + name));
    return f;
}

} // namespace

extern "C" {

int xb_Use(const char *path, const char *alias, int mode, int type)
{
    (void)type; // every table here is FoxPro; the structural index opens with it
    const OpenMode m = mode == XB_EXCLUSIVE ? OpenMode::Exclusive
        : mode == XB_READONLY ? OpenMode::ReadOnly : OpenMode::Shared;
    int area = 0;
    Status s = engine().use(tablePath(path), alias ? alias : "", m, &area);
    if (!s) {
        if (area)
            engine().close(area);
        fail(s);
        return 0;
    }
    return area;
}

int xb_WorkArea(const char *alias)
{
    return alias ? engine().findAlias(alias) : 0;
}

int xb_Select(int area)
{
    const int previous = engine().selected();
    engine().select(area);
    return previous;
}

void xb_Close(void)
{
    engine().close(engine().selected());
}

void xb_CloseAll(void)
{
    engine().closeAll();
}

const char *xb_Alias(void)
{
    WorkArea *wa = engine().current();
    state().aliasText = wa ? wa->alias() : std::string();
    return state().aliasText.c_str();
}

int xb_FieldCount(void)
{
    WorkArea *wa = current();
    return wa ? static_cast<int>(wa->table().fields().size()) : 0;
}

const char *xb_FieldName(int number)
{
    WorkArea *wa = current();
    if (!wa || number < 1 || number > static_cast<int>(wa->table().fields().size()))
        return "";
    return wa->table().fields()[number - 1].name.c_str();
}

int xb_FieldType(const char *field)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    return f < 0 ? 0 : wa->table().fields()[f].type;
}

int xb_FieldOffset(const char *field)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    return f < 0 ? 0 : wa->table().fields()[f].offset + 1;
}

int xb_FieldWidth(const char *field)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    return f < 0 ? 0 : wa->table().fields()[f].width;
}

int xb_FieldDecimals(const char *field)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    return f < 0 ? 0 : wa->table().fields()[f].decimals;
}

int xb_RecSize(void)
{
    WorkArea *wa = current();
    return wa ? static_cast<int>(wa->table().recordLength()) : 0;
}

int xb_GetRecord(char *buffer)
{
    WorkArea *wa = current();
    return wa && buffer && check(wa->getRecord(buffer));
}

int xb_PutRecord(const char *buffer)
{
    WorkArea *wa = current();
    return wa && buffer && check(wa->putRecord(buffer));
}

int xb_AppendBlank(void)
{
    WorkArea *wa = current();
    return wa && check(wa->appendBlank());
}

int xb_AppendRecord(const char *buffer)
{
    WorkArea *wa = current();
    return wa && buffer && check(wa->appendRecord(buffer));
}

int xb_RefreshKeys(void)
{
    WorkArea *wa = current();
    if (!wa)
        return 0;
    if (wa->eof())
        return fail(Status::badArgument(wa->table().path() + ": no current record"));
    CdxOrderSet *set = wa->indexes();
    if (!set || !set->index())
        return 1;
    std::string record(wa->table().recordLength(), '\0');
    return check(wa->getRecord(record.data())) && check(set->index()->refreshKeys(wa->recNo(), record.data()));
}

int xb_Commit(void)
{
    WorkArea *wa = current();
    return wa && check(wa->table().commit());
}

int xb_Delete(void)
{
    WorkArea *wa = current();
    return wa && check(wa->setDeleted(true));
}

int xb_Recall(void)
{
    WorkArea *wa = current();
    return wa && check(wa->setDeleted(false));
}

int xb_Deleted(void)
{
    WorkArea *wa = current();
    return wa && wa->deleted();
}

int xb_Rlock(long recno)
{
    WorkArea *wa = current();
    return wa && recno >= 0 && check(wa->lockRecord(static_cast<uint32_t>(recno)));
}

int xb_Flock(void)
{
    WorkArea *wa = current();
    return wa && check(wa->table().lockFile());
}

int xb_Locked(long recno)
{
    WorkArea *wa = current();
    return wa && recno >= 0 && wa->holdsLock(static_cast<uint32_t>(recno));
}

int xb_Unlock(long recno)
{
    WorkArea *wa = current();
    return wa && recno >= 0 && check(wa->unlockRecord(static_cast<uint32_t>(recno)));
}

int xb_GoTop(void)
{
    WorkArea *wa = current();
    return wa && check(wa->goTop());
}

int xb_GoBottom(void)
{
    WorkArea *wa = current();
    return wa && check(wa->goBottom());
}

int xb_Skip(long count)
{
    WorkArea *wa = current();
    return wa && check(wa->skip(count));
}

int xb_Go(long recno)
{
    WorkArea *wa = current();
    return wa && check(wa->go(recno));
}

long xb_RecNo(void)
{
    WorkArea *wa = current();
    return wa ? static_cast<long>(wa->recNo()) : 0;
}

long xb_RecCount(void)
{
    WorkArea *wa = current();
    uint32_t n = 0;
    if (!wa || !check(wa->recordCount(&n)))
        return 0;
    return static_cast<long>(n);
}

int xb_Bof(void)
{
    WorkArea *wa = current();
    return !wa || wa->bof();
}

int xb_Eof(void)
{
    WorkArea *wa = current();
    return !wa || wa->eof();
}

double xb_OrderPosGet(void)
{
    WorkArea *wa = current();
    double f = 0;
    if (!wa || !check(wa->position(&f)))
        return 0;
    return f;
}

int xb_OrderPosSet(double position)
{
    WorkArea *wa = current();
    return wa && check(wa->setPosition(position));
}

// Index tags: the structural index's tags, numbered from 1 in directory
// order; 0 is record order.
namespace {

CdxOrderSet *indexesOf(WorkArea *wa)
{
    return wa ? wa->indexes() : nullptr;
}

// The current tag of the selected area, nullptr in record order.
CdxTag *currentTag()
{
    CdxOrderSet *set = indexesOf(current());
    if (!set || set->current() == 0 || !set->index())
        return nullptr;
    int t = set->index()->findTag(set->tagName(set->current()));
    return t < 0 ? nullptr : set->index()->tag(t);
}

const char *keep(std::string text)
{
    state().tagText = std::move(text);
    return state().tagText.c_str();
}

} // namespace

int xb_TagArea(const char *tag)
{
    CdxOrderSet *set = indexesOf(current());
    return set && tag ? set->tagNumber(tag) : 0;
}

int xb_SetOrder(int tag)
{
    WorkArea *wa = current();
    CdxOrderSet *set = indexesOf(wa);
    if (!wa)
        return 0;
    const int previous = set ? set->current() : 0;
    if (tag == 0 || !set) {
        wa->setOrder(nullptr);
        if (set)
            set->setCurrent(0);
        if (tag != 0)
            fail(Status::notFound(wa->table().path() + ": the table has no index"));
        return previous;
    }
    CdxOrder *order = set->order(tag);
    if (!order) {
        fail(Status::notFound(wa->table().path() + ": no tag number " + std::to_string(tag)));
        return previous;
    }
    set->setCurrent(tag);
    wa->setOrder(order);
    return previous;
}

int xb_IndexOrd(void)
{
    CdxOrderSet *set = indexesOf(current());
    return set ? set->current() : 0;
}

const char *xb_TagName(int tag)
{
    CdxOrderSet *set = indexesOf(current());
    if (!set)
        return "";
    return keep(set->tagName(tag == 0 ? set->current() : tag));
}

const char *xb_IndexCondition(void)
{
    CdxTag *t = currentTag();
    return keep(t ? t->forExpression() : std::string());
}

const char *xb_IndexKey(void)
{
    CdxTag *t = currentTag();
    return keep(t ? t->keyExpression() : std::string());
}

const char *xb_IndexKeyField(void)
{
    return xb_IndexKey();
}

int xb_IndexType(void)
{
    return currentTag() ? XB_CDX : 0;
}

int xb_Seek(const char *key)
{
    WorkArea *wa = current();
    bool found = false;
    if (!wa || !key || !check(wa->seek(key, &found)))
        return 0;
    // A soft seek that stops on a greater key has succeeded too: callers go
    // to the last record on failure, which would undo the soft seek.
    return found || (engine().settings().softSeek && !wa->eof());
}

int xb_SetScope(const char *low, const char *high)
{
    WorkArea *wa = current();
    if (!wa)
        return 0;
    if (!wa->order())
        return fail(Status::badArgument(wa->table().path() + ": a scope needs an index order"));
    return check(wa->order()->setScope(low ? low : "", high ? high : "")) && check(wa->goTop());
}

int xb_IndexTag(const char *file, const char *tag, const char *key, int option, int descending,
                const char *condition)
{
    WorkArea *wa = current();
    CdxOrderSet *set = indexesOf(wa);
    if (!set)
        return 0;
    if (!tag || !*tag || !key || !*key)
        return fail(Status::badArgument("a tag needs a name and a key expression"));
    if (file && *file) {
        // Only the structural index (named like the table) is kept.
        auto stem = [](std::string p) {
            for (char &c : p)
                c = c == '\\' ? '/' : char(std::toupper(static_cast<unsigned char>(c)));
            p = p.substr(p.rfind('/') == std::string::npos ? 0 : p.rfind('/') + 1);
            return p.substr(0, p.find('.'));
        };
        if (stem(file) != stem(wa->table().path()))
            return fail(Status::badArgument(std::string(file) + ": only the structural index is supported"));
    }
    if (descending)
        return fail(Status::badArgument(std::string(tag) + ": descending tags are not supported"));
    (void)option; // unique and candidate options are not written
    if (!check(set->ensureIndex()))
        return 0;
    Engine &e = engine();
    return check(set->index()->buildTag(tag, key, condition ? condition : "",
                                        [&e](int percent) { e.reportProgress(percent); }));
}

long xb_Query(const char *expression)
{
    WorkArea *wa = current();
    int64_t count = 0;
    if (!wa || !check(wa->setFilter(expression ? expression : "", &count)))
        return -1;
    return static_cast<long>(count);
}

const char *xb_DBFilter(void)
{
    WorkArea *wa = current();
    return wa ? wa->filterText().c_str() : "";
}

long xb_QueryRecCount(void)
{
    WorkArea *wa = current();
    int64_t count = 0;
    if (!wa || !check(wa->visibleCount(&count)))
        return 0;
    return static_cast<long>(count);
}

long xb_KeyCount(int *exact)
{
    WorkArea *wa = current();
    int64_t count = 0;
    bool known = false;
    if (exact)
        *exact = 0;
    if (!wa || !check(wa->keyCount(&count, &known)))
        return 0;
    if (exact)
        *exact = known ? 1 : 0;
    return static_cast<long>(count);
}

unsigned long long xb_ChangeStamp(void)
{
    WorkArea *wa = current();
    uint64_t stamp = 0;
    if (!wa || !check(wa->changeStamp(&stamp)))
        return 0;
    return stamp;
}

const char *xb_EvalString(const char *expression)
{
    WorkArea *wa = current();
    state().evalResult.clear();
    if (wa && expression && !check(wa->evalString(expression, state().evalResult)))
        state().evalResult.clear();
    return state().evalResult.c_str();
}

char *xb_GetMemo(const char *field, int lineWidth)
{
    (void)lineWidth; // the text comes back as stored
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    if (f < 0)
        return nullptr;
    std::string text;
    if (!check(wa->readMemo(f, text)))
        return nullptr;
    char *out = static_cast<char *>(std::malloc(text.size() + 1));
    if (!out)
        return nullptr;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return out;
}

void xb_MemDealloc(void *memory)
{
    std::free(memory);
}

long xb_GetBlobLength(const char *field)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    std::string data;
    if (f < 0 || !check(wa->readMemo(f, data)))
        return 0;
    return static_cast<long>(data.size());
}

long xb_GetBlob(const char *field, void *buffer)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    std::string data;
    if (f < 0 || !buffer || !check(wa->readMemo(f, data)))
        return 0;
    std::memcpy(buffer, data.data(), data.size());
    return static_cast<long>(data.size());
}

long xb_PutBlob(const char *field, const void *data, long length)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    if (f < 0 || length < 0 || (length > 0 && !data))
        return 0;
    const char type = wa->table().fields()[f].type;
    const uint32_t blockType = type == 'G' ? 2 : (type == 'P' ? 0 : 1);
    const std::string_view bytes(static_cast<const char *>(data), static_cast<std::size_t>(length));
    return check(wa->writeMemo(f, bytes, blockType)) ? length : 0;
}

int xb_Replace(const char *field, int kind, const void *data)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    if (f < 0)
        return 0;
    const char *text = data ? static_cast<const char *>(data) : "";
    if (kind == XB_REPLACE_MEMO)
        return check(wa->writeMemo(f, text));
    if (kind != XB_REPLACE_TEXT)
        return fail(Status::badArgument("xb_Replace: unknown kind " + std::to_string(kind)));
    if (wa->eof())
        return fail(Status::badArgument(wa->table().path() + ": no current record"));
    std::string record(wa->record(), wa->table().recordLength());
    return check(FieldCodec::setText(wa->table(), f, record.data(), text)) && check(wa->putRecord(record.data()));
}

int xb_StoreMemo(const char *field, const void *data, long length, char *buffer)
{
    WorkArea *wa = current();
    const int f = fieldOf(wa, field);
    if (f < 0 || !buffer || length < 0 || (length > 0 && !data))
        return 0;
    const char type = wa->table().fields()[f].type;
    const uint32_t blockType = type == 'G' ? 2 : (type == 'P' ? 0 : 1);
    const std::string_view bytes(static_cast<const char *>(data), static_cast<std::size_t>(length));
    return check(wa->storeMemo(f, bytes, blockType, buffer));
}

int xb_CreateNew(const char *path, const char *alias, int type, int fieldCount)
{
    (void)alias, (void)type;
    ApiState &st = state();
    st.createPath = tablePath(path);
    st.createFields.clear();
    st.createFields.reserve(fieldCount > 0 ? static_cast<std::size_t>(fieldCount) : 0);
    if (st.createPath.empty())
        return fail(Status::badArgument("xb_CreateNew: no path"));
    st.createNumber = 1;
    while (engine().area(st.createNumber))
        ++st.createNumber;
    return st.createNumber;
}

int xb_CreateField(const char *name, const char *type, int width, int decimals)
{
    ApiState &st = state();
    if (!st.createNumber)
        return fail(Status::badArgument("xb_CreateField without xb_CreateNew"));
    st.createFields.push_back(FieldSpec{name ? name : "", type && *type ? *type : 'C', width, decimals});
    return 1;
}

int xb_CreateExec(void)
{
    ApiState &st = state();
    if (!st.createNumber)
        return fail(Status::badArgument("xb_CreateExec without xb_CreateNew"));
    st.createNumber = 0;
    Table::CreateOptions options;
    options.memoBlockSize = engine().settings().memoBlockSize;
    return check(Table::create(engine().env(), st.createPath, st.createFields, options));
}

int xb_AppendFrom(const char *path, int type, const char *condition)
{
    (void)type;
    WorkArea *wa = current();
    return wa && check(wa->appendFrom(tablePath(path), condition ? condition : ""));
}

long xb_AppendBlanked(void)
{
    WorkArea *wa = current();
    return wa ? long(wa->appendBlanked()) : 0;
}

int xb_SetPassword(const char *password)
{
    WorkArea *wa = current();
    if (!wa)
        return 0;
    wa->table().setPassword(password ? password : "");
    return check(wa->reread());
}

int xb_IsEncrypted(int unused)
{
    (void)unused;
    WorkArea *wa = current();
    return wa && wa->table().isEncrypted();
}

const char *xb_IndexAudit(void)
{
    WorkArea *wa = current();
    if (!wa)
        return nullptr;
    state().auditText.clear();
    CdxOrderSet *set = wa->indexes();
    if (!set || !set->index())
        return state().auditText.c_str();
    if (!check(set->index()->quickAudit(&state().auditText)))
        return nullptr;
    return state().auditText.c_str();
}

int xb_DbfEncrypt(void)
{
    WorkArea *wa = current();
    return wa && check(wa->table().encrypt()) && check(wa->reread());
}

int xb_SetTurboRead(int on)
{
    const int previous = state().turboRead;
    state().turboRead = on;
    return previous;
}

int xb_SetStringType(int type)
{
    const int previous = state().stringType;
    state().stringType = type;
    return previous;
}

#define XB_SETTING(function, member)             \
    int function(int value)                      \
    {                                            \
        auto &settings = engine().settings();    \
        const int previous = settings.member;    \
        settings.member = value != 0;            \
        return previous;                         \
    }
XB_SETTING(xb_SetCentury, century)
XB_SETTING(xb_SetDeleted, hideDeleted)
XB_SETTING(xb_SetExact, exact)
XB_SETTING(xb_SetSoftSeek, softSeek)
#undef XB_SETTING

int xb_SetEpoch(int year)
{
    const int previous = engine().settings().epoch;
    engine().settings().epoch = year;
    return previous;
}

int xb_SetDateFormat(int format)
{
    const int previous = engine().settings().dateFormat;
    engine().settings().dateFormat = format;
    return previous;
}

int xb_SetLockTimeout(int seconds)
{
    const int previous = engine().settings().lockTimeoutMs / 1000;
    engine().settings().lockTimeoutMs = seconds < 0 ? 0 : seconds * 1000;
    return previous;
}

int xb_SetMemoBlockSize(int bytes)
{
    const int previous = engine().settings().memoBlockSize;
    if (bytes > 0 && bytes <= 65535)
        engine().settings().memoBlockSize = static_cast<uint16_t>(bytes);
    return previous;
}

void xb_SetGaugeHook(xb_GaugeHook hook, void *context)
{
    if (!hook)
        engine().setProgressHook({});
    else
        engine().setProgressHook([hook, context](int percent) { hook(context, percent); });
}

long xb_SysProp(int property, long value)
{
    const EngineSettings &s = engine().settings();
    switch (property) {
    case XB_PROP_SOFTSEEK: return s.softSeek;
    case XB_PROP_EXACT: return s.exact;
    case XB_PROP_DELETED: return s.hideDeleted;
    case XB_PROP_INDEXCOUNT: {
        CdxOrderSet *set = engine().current() ? engine().current()->indexes() : nullptr;
        return set ? set->tagCount() : 0;
    }
    case XB_PROP_OPENFLAG: {
        const long previous = state().openFlag;
        state().openFlag = value;
        return previous;
    }
    default: return 0;
    }
}

const char *xb_Version(void)
{
    return "Tessaron xBase engine 1.0";
}

int xb_LastErrorCode(void)
{
    return static_cast<int>(state().lastError.code());
}

const char *xb_LastError(void)
{
    state().lastErrorText = state().lastError ? std::string() : state().lastError.toString();
    return state().lastErrorText.c_str();
}

} // extern "C"
