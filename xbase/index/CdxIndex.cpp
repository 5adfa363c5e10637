// The structural index of a table: binding tags to expressions, key
// production, tag builds, rebuilds, checks and upkeep on record changes.
#include "xbase/index/CdxIndex.h"

#include "xbase/index/CdxBuilder.h"
#include "xbase/index/CdxKey.h"
#include "xbase/text/Dates.h"
#include "xbase/table/Env.h"

#include <charconv>
#include <chrono>
#include <thread>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace xb {

// A RecordContext over any record buffer of the table.
class CdxIndex::Context : public RecordContext {
public:
    explicit Context(Table &table) : m_table(table) {}
    void set(const char *record, uint32_t recno)
    {
        m_record = record;
        m_recno = recno;
    }
    int fieldIndex(std::string_view name) const override { return m_table.fieldIndex(name); }
    const FieldInfo &field(int index) const override { return m_table.fields()[std::size_t(index)]; }
    const char *record() const override { return m_record; }
    uint32_t recNo() const override { return m_recno; }
    Status memo(int index, std::string &out) const override
    {
        return m_table.readMemo(index, m_record, out);
    }

private:
    Table &m_table;
    const char *m_record = nullptr;
    uint32_t m_recno = 0;
};

namespace {

// Key expressions of files from database containers may use long field
// names that the table stores cut to ten characters.
std::string cutLongNames(const std::string &text)
{
    std::string out;
    char quote = 0;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (quote) {
            out += c;
            if (c == quote)
                quote = 0;
            ++i;
        } else if (c == '"' || c == '\'') {
            quote = c;
            out += c;
            ++i;
        } else if (c == '[') {
            quote = ']';
            out += c;
            ++i;
        } else if (std::isalpha(uint8_t(c)) || c == '_') {
            std::size_t j = i;
            while (j < text.size() && (std::isalnum(uint8_t(text[j])) || text[j] == '_'))
                ++j;
            std::size_t k = j;
            while (k < text.size() && text[k] == ' ')
                ++k;
            bool call = k < text.size() && text[k] == '(';
            out += text.substr(i, call ? j - i : std::min<std::size_t>(j - i, 10));
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string trimmed(std::string_view s)
{
    std::size_t a = s.find_first_not_of(' ');
    if (a == std::string_view::npos)
        return std::string();
    std::size_t b = s.find_last_not_of(' ');
    return std::string(s.substr(a, b - a + 1));
}

} // namespace

void narrowRange(CdxKeyRange &into, const CdxKeyRange &r)
{
    auto cmp = [](const std::string &a, int la, const std::string &b, int lb) {
        return std::memcmp(a.data(), b.data(), std::size_t(std::min(la, lb)));
    };
    if (r.lowLength) {
        int c = into.lowLength ? cmp(r.low, r.lowLength, into.low, into.lowLength) : 1;
        if (c > 0 || (c == 0 && r.lowLength > into.lowLength)) {
            into.low = r.low;
            into.lowLength = r.lowLength;
        }
    }
    if (r.highLength) {
        int c = into.highLength ? cmp(r.high, r.highLength, into.high, into.highLength) : -1;
        if (c < 0 || (c == 0 && r.highLength > into.highLength)) {
            into.high = r.high;
            into.highLength = r.highLength;
        }
    }
}

CdxIndex::CdxIndex(Table &table, const EvalSettings &settings, std::unique_ptr<CdxFile> file)
    : m_table(table), m_settings(settings), m_file(std::move(file)), m_context(std::make_unique<Context>(table))
{
    m_table.addObserver(this);
}

CdxIndex::~CdxIndex() { m_table.removeObserver(this); }

std::string CdxIndex::structuralPath(Table &table, bool *exists)
{
    std::string path = table.path();
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    std::string cdx = path.substr(0, dot) + ".CDX";
    std::string found;
    bool there = table.env()->findFileNoCase(cdx, &found).isOk();
    if (exists)
        *exists = there;
    return there ? found : cdx;
}

Status CdxIndex::open(Table &table, const EvalSettings &settings, std::unique_ptr<CdxIndex> &out)
{
    out.reset();
    if (!table.hasStructuralIndexFlag())
        return Status::ok();
    bool exists = false;
    std::string path = structuralPath(table, &exists);
    if (!exists)
        return Status::ok();
    std::unique_ptr<CdxFile> file;
    Status s = CdxFile::open(table.env(), path, table.mode() != OpenMode::ReadOnly,
                             table.mode() == OpenMode::Exclusive, file);
    if (!s)
        return s;
    std::unique_ptr<CdxIndex> index(new CdxIndex(table, settings, std::move(file)));
    if (!(s = index->refresh()))
        return s;
    out = std::move(index);
    return Status::ok();
}

Status CdxIndex::create(Table &table, const EvalSettings &settings, std::unique_ptr<CdxIndex> &out)
{
    if (table.mode() == OpenMode::ReadOnly)
        return Status::readOnly(table.path() + ": cannot create an index for a read-only table");
    std::string path = structuralPath(table, nullptr);
    std::unique_ptr<CdxFile> file;
    Status s = CdxFile::create(table.env(), path, table.mode() == OpenMode::Exclusive, file);
    if (!s)
        return s;
    if (!table.hasStructuralIndexFlag() && !(s = table.setStructuralIndexFlag(true)))
        return s;
    out.reset(new CdxIndex(table, settings, std::move(file)));
    return out->refresh();
}

Status CdxIndex::refresh()
{
    CdxFile::ReadScope scope(m_file.get());
    if (!scope.status())
        return scope.status();
    return bind();
}

Status CdxIndex::bind()
{
    if (int(m_boundTags.size()) == m_file->tagCount()) {
        bool same = true;
        for (int i = 0; same && i < m_file->tagCount(); ++i)
            same = m_boundTags[std::size_t(i)] == m_file->tag(i);
        if (same)
            return Status::ok();
    }
    std::vector<CdxTag *> tags;
    for (int i = 0; i < m_file->tagCount(); ++i)
        tags.push_back(m_file->tag(i));
    if (tags == m_boundTags)
        return Status::ok();
    std::vector<Bound> bound(tags.size());
    for (std::size_t i = 0; i < tags.size(); ++i) {
        auto old = std::find_if(m_bound.begin(), m_bound.end(), [&](const Bound &b) {
            return b.tag == tags[i] && b.key && b.key->text() == cutLongNames(tags[i]->keyExpression());
        });
        if (old != m_bound.end() && tags[i]->forExpression().empty() == !old->forCondition)
            bound[i] = std::move(*old);
        else
            (void)bindOne(tags[i], bound[i]);
    }
    m_bound = std::move(bound);
    m_boundTags = std::move(tags);
    return Status::ok();
}

Status CdxIndex::bindOne(CdxTag *tag, Bound &b)
{
    b = Bound();
    b.tag = tag;
    Status s = Expression::compile(cutLongNames(tag->keyExpression()), *m_context, b.key);
    if (s && !tag->forExpression().empty())
        s = Expression::compile(cutLongNames(tag->forExpression()), *m_context, b.forCondition);
    if (!s) {
        b.key.reset();
        b.forCondition.reset();
        b.problem = s.detail();
        return s;
    }
    b.type = b.key->type();
    int valueLength = tag->keyLength() - (tag->nullable() ? 1 : 0);
    switch (b.type) {
    case ValueType::Character:
    case ValueType::Logical:
        tag->setKeyType(CdxKeyType::Character);
        break;
    case ValueType::Numeric:
        tag->setKeyType(valueLength == 4 ? CdxKeyType::Integer : CdxKeyType::Numeric);
        break;
    case ValueType::Date:
        tag->setKeyType(CdxKeyType::Date);
        break;
    }
    if (b.type != ValueType::Character && b.type != ValueType::Logical && valueLength != 8 && valueLength != 4)
        b.problem = "key length " + std::to_string(tag->keyLength()) + " does not fit a " +
                    (b.type == ValueType::Date ? "date" : "numeric") + " key";
    if (tag->nullable()) {
        int f = m_table.fieldIndex(b.key->canonicalText());
        if (f >= 0 && m_table.fields()[std::size_t(f)].nullBit >= 0)
            b.nullField = f;
    }
    return Status::ok();
}

std::string CdxIndex::keyCanonicalText(int i) const
{
    const Bound &b = m_bound[std::size_t(i)];
    return b.key ? b.key->canonicalText() : std::string();
}

bool CdxIndex::keyParts(int i, std::vector<KeyPart> &parts) const
{
    parts.clear();
    const Bound &b = m_bound[std::size_t(i)];
    return b.key && b.key->keyParts(parts);
}

int CdxIndex::findTag(const std::string &name) const
{
    CdxTag *t = m_file->findTag(name);
    for (std::size_t i = 0; i < m_bound.size(); ++i)
        if (m_bound[i].tag == t)
            return int(i);
    return -1;
}

Status CdxIndex::keyOf(int i, const char *record, uint32_t recno, bool *included, std::string *key)
{
    return keyWith(m_bound[std::size_t(i)], record, recno, included, key);
}

Status CdxIndex::keyWith(const Bound &b, const char *record, uint32_t recno, bool *included, std::string *key)
{
    if (!b.key || !b.problem.empty())
        return Status::badArgument(m_file->path() + ": tag " + b.tag->name() + ": " + b.problem);
    m_context->set(record, recno);
    *included = true;
    Status s;
    if (b.forCondition && !(s = b.forCondition->evaluateLogical(*m_context, m_settings, *included)))
        return s;
    const int kl = b.tag->keyLength();
    const bool nullable = b.tag->nullable();
    if (b.nullField >= 0) {
        const auto &fields = m_table.fields();
        const FieldInfo &f = fields[std::size_t(b.nullField)];
        for (const FieldInfo &nf : fields)
            if (nf.type == '0' && f.nullBit / 8 < nf.width &&
                (uint8_t(record[nf.offset + f.nullBit / 8]) >> (f.nullBit % 8)) & 1) {
                key->assign(std::size_t(kl), '\0');
                return Status::ok();
            }
    }
    if (b.type == ValueType::Character) {
        // Straight into the caller's buffer: tag builds call this per record.
        if (!(s = b.key->key(*m_context, m_settings, *key)))
            return s;
        key->resize(std::size_t(kl - (nullable ? 1 : 0)), ' ');
        if (nullable)
            key->insert(key->begin(), '\x80');
        return Status::ok();
    }
    std::string value;
    switch (b.type) {
    case ValueType::Character:
        break;
    case ValueType::Logical: {
        bool yes = false;
        if (!(s = b.key->evaluateLogical(*m_context, m_settings, yes)))
            return s;
        value = CdxKey::character(yes ? "T" : "F", kl - (nullable ? 1 : 0));
        break;
    }
    case ValueType::Numeric:
    case ValueType::Date: {
        double d = 0;
        if (!(s = b.key->key(*m_context, m_settings, d)))
            return s;
        value = b.tag->keyType() == CdxKeyType::Integer ? CdxKey::fromInt32(int32_t(std::llround(d)))
                                                        : CdxKey::fromDouble(d);
        break;
    }
    }
    if (nullable)
        value.insert(value.begin(), '\x80');
    *key = std::move(value);
    return Status::ok();
}

Status CdxIndex::searchRange(int i, std::string_view text, CdxKeyRange &out) const
{
    const Bound &b = m_bound[std::size_t(i)];
    const CdxTag *tag = b.tag;
    std::string prefix = tag->nullable() ? std::string("\x80", 1) : std::string();
    const int kl = tag->keyLength();
    auto exact = [&](const std::string &value) {
        out.low = out.high = prefix + value;
        out.lowLength = out.highLength = int(out.low.size());
        return Status::ok();
    };
    switch (tag->keyType()) {
    case CdxKeyType::Character: {
        std::string t(text.substr(0, std::size_t(kl) - prefix.size()));
        return exact(t);
    }
    case CdxKeyType::Numeric:
    case CdxKeyType::Integer: {
        std::string t = trimmed(text);
        double d = 0;
        const char *first = t.c_str() + (!t.empty() && t[0] == '+' ? 1 : 0);
        const auto parsed = std::from_chars(first, t.c_str() + t.size(), d);
        if (!t.empty() && (parsed.ec != std::errc() || parsed.ptr != t.c_str() + t.size()))
            return Status::badArgument(tag->name() + ": \"" + std::string(text) + "\" is not a number");
        return exact(tag->keyType() == CdxKeyType::Integer ? CdxKey::fromInt32(int32_t(std::llround(d)))
                                                           : CdxKey::fromDouble(d));
    }
    case CdxKeyType::Date: {
        std::string t = trimmed(text);
        double lo = 0, hi = 0;
        bool digits = !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (t.empty())
            return exact(CdxKey::fromDouble(0));
        if (digits && t.size() <= 8) {
            if (!CdxKey::julianRangeOfPrefix(t, lo, hi))
                return Status::badArgument(tag->name() + ": \"" + t + "\" is not a date");
        } else if (auto d = parseDate(t, m_settings.dateFormat, m_settings.epoch)) {
            lo = hi = double(toJulian(*d));
        } else {
            return Status::badArgument(tag->name() + ": \"" + t + "\" is not a date");
        }
        out.low = prefix + CdxKey::fromDouble(lo);
        out.high = prefix + CdxKey::fromDouble(hi);
        out.lowLength = out.highLength = int(out.low.size());
        return Status::ok();
    }
    }
    return Status::badArgument("unknown key type");
}

Status CdxIndex::readKeys(const Bound &b, int keyLength, CdxBuildInput &input, const Progress &progress,
                          int from, int to)
{
    uint32_t count = 0;
    Status s = m_table.recordCount(&count);
    if (!s)
        return s;
    input = CdxBuildInput();
    input.keyLength = keyLength;
    input.keys.reserve(std::size_t(count) * std::size_t(keyLength));
    input.recnos.reserve(count);
    std::string record(m_table.recordLength(), ' ');
    std::string key;
    int reported = -1;
    for (uint32_t r = 1; r <= count; ++r) {
        if (!(s = m_table.read(r, record.data())))
            return s;
        bool included = true;
        if (!(s = keyWith(b, record.data(), r, &included, &key)))
            return s;
        if (included)
            input.add(reinterpret_cast<const uint8_t *>(key.data()), r);
        if (progress) {
            int pct = from + int(int64_t(to - from) * r / count);
            if (pct != reported)
                progress(reported = pct);
        }
    }
    return Status::ok();
}

Status CdxIndex::buildTag(const std::string &name, const std::string &keyExpression,
                          const std::string &forExpression, const Progress &progress)
{
    m_foreign.clear(); // a tag built here is in our order
    if (m_table.mode() == OpenMode::ReadOnly)
        return Status::readOnly(m_table.path() + ": read-only");
    // A stand-in tag binds the expressions the same way file tags are bound.
    Bound b;
    Status s = Expression::compile(keyExpression, *m_context, b.key);
    if (s && !forExpression.empty())
        s = Expression::compile(forExpression, *m_context, b.forCondition);
    if (!s)
        return s;
    if (b.forCondition && b.forCondition->type() != ValueType::Logical)
        return Status::syntax(forExpression + ": a FOR condition must be logical");
    CdxTagSpec tagSpec;
    tagSpec.name = name;
    tagSpec.keyExpression = keyExpression;
    tagSpec.forExpression = forExpression;
    b.type = b.key->type();
    switch (b.type) {
    case ValueType::Character:
        tagSpec.keyLength = b.key->width();
        tagSpec.keyType = CdxKeyType::Character;
        break;
    case ValueType::Logical:
        tagSpec.keyLength = 1;
        tagSpec.keyType = CdxKeyType::Character;
        break;
    case ValueType::Numeric:
        tagSpec.keyLength = 8;
        tagSpec.keyType = CdxKeyType::Numeric;
        break;
    case ValueType::Date:
        tagSpec.keyLength = 8;
        tagSpec.keyType = CdxKeyType::Date;
        break;
    }
    if (!(s = CdxBuilder::validate(tagSpec)))
        return s;
    CdxTag stand(m_file.get(), name, 0);
    stand.m_keyLength = tagSpec.keyLength;
    stand.m_options = CdxBuilder::options(tagSpec);
    stand.setKeyType(tagSpec.keyType);
    b.tag = &stand;
    CdxBuildInput input;
    if (!(s = readKeys(b, tagSpec.keyLength, input, progress, 0, 95)))
        return s;
    if (!(s = m_file->addTag(tagSpec, input)))
        return s;
    if (progress)
        progress(100);
    return refresh();
}

Status CdxIndex::reindex(const Progress &progress)
{
    m_foreign.clear();
    if (m_table.mode() == OpenMode::ReadOnly)
        return Status::readOnly(m_table.path() + ": read-only");
    Status s = refresh();
    if (!s)
        return s;
    struct TagDefinition {
        std::string name, key, cond;
    };
    std::vector<TagDefinition> definitions;
    std::string dropped;
    for (const Bound &b : m_bound) {
        if (b.key && b.problem.empty())
            definitions.push_back({b.tag->name(), b.tag->keyExpression(), b.tag->forExpression()});
        else
            dropped += (dropped.empty() ? "" : ", ") + b.tag->name() + " (" + b.problem + ")";
    }
    if (m_table.mode() == OpenMode::Exclusive) {
        // Rule 4: a complete new file, then one rename.
        std::string path = m_file->path();
        std::string tmp = path + ".tmp";
        std::unique_ptr<CdxFile> fresh;
        if (!(s = CdxFile::create(m_table.env(), tmp, true, fresh)))
            return s;
        std::unique_ptr<CdxFile> old = std::move(m_file);
        m_file = std::move(fresh);
        m_bound.clear();
        m_boundTags.clear();
        for (std::size_t i = 0; i < definitions.size() && s; ++i) {
            int from = int(100 * i / definitions.size()), to = int(100 * (i + 1) / definitions.size());
            s = buildTag(definitions[i].name, definitions[i].key, definitions[i].cond, [&](int pct) {
                if (progress)
                    progress(from + (to - from) * pct / 100);
            });
        }
        m_file.reset();
        if (s)
            s = m_table.env()->renameFile(tmp, path);
        if (!s)
            (void)m_table.env()->removeFile(tmp);
        Status o = CdxFile::open(m_table.env(), path, true, true, m_file);
        if (!o) {
            m_file = std::move(old); // keeps the object usable; the old handle still reads
            return o;
        }
        m_bound.clear();
        m_boundTags.clear();
        if (s)
            s = refresh();
    } else {
        for (std::size_t i = 0; i < definitions.size() && s; ++i) {
            int from = int(100 * i / definitions.size()), to = int(100 * (i + 1) / definitions.size());
            s = buildTag(definitions[i].name, definitions[i].key, definitions[i].cond, [&](int pct) {
                if (progress)
                    progress(from + (to - from) * pct / 100);
            });
        }
    }
    if (s && !dropped.empty())
        return Status::badArgument(m_file->path() + ": tags not rebuilt: " + dropped);
    return s;
}

Status CdxIndex::quickAudit(std::string *disagreement)
{
    disagreement->clear();
    for (int attempt = 0;; ++attempt) {
        std::string finding;
        // Another process's append writes the count before the keys: fewer
        // keys than records may only be an append in flight; look again.
        bool settled = true;
        {
            CdxFile::ReadScope scope(m_file.get());
            if (!scope.status())
                return scope.status();
            Status s = bind();
            if (!s && s.code() != Status::Code::Corrupt)
                return s;
            if (!s)
                finding = s.detail();
            for (int t = 0; s && t < tagCount() && finding.empty(); ++t) {
                CdxTag *tg = tag(t);
                if (tg->removed())
                    continue;
                uint64_t keys = 0;
                uint32_t highest = 0;
                bool zero = false;
                s = tg->walk([&](const uint8_t *, uint32_t recno) {
                    ++keys;
                    highest = std::max(highest, recno);
                    zero = zero || recno == 0;
                    return true;
                });
                if (!s) {
                    if (s.code() != Status::Code::Corrupt)
                        return s;
                    finding = s.detail();
                    break;
                }
                uint32_t count = 0;
                if (!(s = m_table.recordCount(&count)))
                    return s;
                if (zero || highest > count) {
                    finding = "tag " + tg->name() + " names record " + std::to_string(zero ? 0 : highest)
                        + ", the table holds " + std::to_string(count) + " records";
                } else if (tg->forExpression().empty() && !tg->unique() && keys != count) {
                    finding = "tag " + tg->name() + " holds " + std::to_string(keys) + " keys for "
                        + std::to_string(count) + " records";
                    settled = keys > count;
                }
            }
        }
        if (finding.empty() || settled || attempt == 3) {
            *disagreement = finding;
            return Status::ok();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

Status CdxIndex::check(std::vector<CdxTagReport> &reports)
{
    reports.clear();
    CdxFile::ReadScope scope(m_file.get());
    if (!scope.status())
        return scope.status();
    Status s = bind();
    if (!s)
        return s;
    uint32_t count = 0;
    if (!(s = m_table.recordCount(&count)))
        return s;
    std::string record(m_table.recordLength(), ' ');
    for (Bound &b : m_bound) {
        CdxTagReport report;
        std::vector<std::pair<std::string, uint32_t>> entries;
        if (!(s = CdxChecker::checkTree(*b.tag, report, &entries)))
            return s;
        if (b.key && b.problem.empty()) {
            s = CdxChecker::checkRecords(
                entries, count,
                [&](uint32_t r, bool *included, bool *deleted, std::string *key) {
                    Status rs = m_table.read(r, record.data());
                    if (!rs)
                        return rs;
                    *deleted = record[0] == '*';
                    return keyWith(b, record.data(), r, included, key);
                },
                report);
            if (!s)
                return s;
        } else {
            report.notes.push_back("keys not compared with the table: " + b.problem);
        }
        if (b.tag->unique() && !report.damage.empty())
            report.notes.push_back("unique tag: one entry per key is expected");
        reports.push_back(std::move(report));
    }
    return Status::ok();
}

Status CdxIndex::recordAppended(uint32_t recno, const char *record)
{
    CdxFile::WriteScope scope(m_file.get());
    if (!scope.status())
        return scope.status();
    Status s = bind();
    // Another process may have changed the new record between its append and
    // this lock (appends hold no record lock); index what is on disk now, so
    // that its own update (which found no entry to remove) and this one agree.
    std::string current;
    if (s && m_table.mode() == OpenMode::Shared) {
        current.assign(m_table.recordLength(), ' ');
        m_table.refresh();
        if ((s = m_table.read(recno, current.data())))
            record = current.data();
    }
    std::string key;
    for (Bound &b : m_bound) {
        if (!s)
            break;
        if (!b.key || !b.problem.empty())
            continue;
        bool included = true;
        if ((s = keyWith(b, record, recno, &included, &key)) && included)
            s = b.tag->insert(reinterpret_cast<const uint8_t *>(key.data()), recno);
    }
    if (m_listener)
        m_listener(recno);
    if (!s) {
        m_file->abandonChanges();
        return s;
    }
    return scope.finish();
}

Status CdxIndex::recordReplaced(uint32_t recno, const char *oldRecord, const char *newRecord)
{
    CdxFile::WriteScope scope(m_file.get());
    if (!scope.status())
        return scope.status();
    Status s = bind();
    std::string oldKey, newKey;
    for (Bound &b : m_bound) {
        if (!s)
            break;
        if (!b.key || !b.problem.empty())
            continue;
        bool wasIn = true, isIn = true;
        if (!(s = keyWith(b, oldRecord, recno, &wasIn, &oldKey)) ||
            !(s = keyWith(b, newRecord, recno, &isIn, &newKey)))
            break;
        if (wasIn == isIn && (!isIn || oldKey == newKey))
            continue;
        if (wasIn) {
            s = b.tag->remove(reinterpret_cast<const uint8_t *>(oldKey.data()), recno);
            if (s.code() == Status::Code::NotFound)
                s = Status::ok(); // the entry was already missing: check() reports such an index
        }
        if (s && isIn)
            s = b.tag->insert(reinterpret_cast<const uint8_t *>(newKey.data()), recno);
    }
    if (m_listener)
        m_listener(recno);
    if (!s) {
        m_file->abandonChanges();
        return s;
    }
    return scope.finish();
}

Status CdxIndex::refreshKeys(uint32_t recno, const char *record)
{
    CdxFile::WriteScope scope(m_file.get());
    if (!scope.status())
        return scope.status();
    Status s = bind();
    std::string key;
    for (Bound &b : m_bound) {
        if (!s)
            break;
        if (!b.key || !b.problem.empty())
            continue;
        bool included = true;
        if (!(s = keyWith(b, record, recno, &included, &key)))
            break;
        const auto *bytes = reinterpret_cast<const uint8_t *>(key.data());
        s = b.tag->remove(bytes, recno);
        if (s.code() == Status::Code::NotFound)
            s = Status::ok();
        if (s && included)
            s = b.tag->insert(bytes, recno);
    }
    if (m_listener)
        m_listener(recno);
    if (!s) {
        m_file->abandonChanges();
        return s;
    }
    return scope.finish();
}

Status CdxIndex::foreignOrder(int t, bool *foreign)
{
    *foreign = false;
    CdxTag *tag = m_file->tag(t);
    if (!tag)
        return Status::ok();
    auto known = m_foreign.find(tag->name());
    if (known != m_foreign.end()) {
        *foreign = known->second;
        return Status::ok();
    }
    CdxTagReport report;
    Status s = CdxChecker::checkTree(*tag, report);
    if (!s)
        return s;
    m_foreign[tag->name()] = report.foreignOrder;
    *foreign = report.foreignOrder;
    return Status::ok();
}

Status CdxIndex::requireOwnOrder(int t, const char *what)
{
    bool foreign = false;
    Status s = foreignOrder(t, &foreign);
    if (!s || !foreign)
        return s;
    return Status::badArgument(m_file->path() + ": tag " + m_file->tag(t)->name()
                               + " is sorted in another program's collation; cannot " + what
                               + " on it: reindex the table to sort it in this program's order");
}

Status CdxIndex::beforeChange()
{
    CdxFile::ReadScope scope(m_file.get());
    if (!scope.status())
        return scope.status();
    for (int t = 0; t < m_file->tagCount(); ++t)
        if (Status s = requireOwnOrder(t, "change records"); !s)
            return s;
    return Status::ok();
}

} // namespace xb
