// The xbtool commands of the structural index: build a tag, seek a key,
// rebuild every tag, and the tag part of "check".
#include "xbase/xbtool/ToolCommon.h"

#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxOrderSet.h"
#include "xbase/text/Codepage.h"
#include "xbase/api/Engine.h"
#include "xbase/table/Env.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/Table.h"
#include "xbase/api/WorkArea.h"

#include <iostream>

namespace xbtool {

using namespace xb;

namespace {

Status toTable(const std::string &what, const std::string &utf8, std::string &out)
{
    std::size_t bad = 0;
    if (!utf8ToCp1252(utf8, out, &bad))
        return Status::badArgument(what + ": character not in Windows-1252 at byte " + std::to_string(bad));
    return Status::ok();
}

// Header line and one record as CSV (UTF-8; memo fields as their block).
void printRecord(Table &t, uint32_t recno, const char *record)
{
    std::string head = "_RECNO", line = std::to_string(recno);
    for (int f = 0; f < int(t.fields().size()); ++f) {
        if (t.fields()[std::size_t(f)].type == '0')
            continue;
        head += "," + csvField(t.fields()[std::size_t(f)].name);
        line += "," + csvField(cp1252ToUtf8(FieldCodec::text(t, f, record)));
    }
    std::cout << head << "\n" << line << "\n";
}

int cmdIndex(const Args &args)
{
    if (args.positional.size() != 3)
        return fail("usage: xbtool index F.DBF TAG \"EXPR\" [--for COND]");
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), args.positional[0], OpenMode::Shared, t);
    if (!s || !(s = applyPassword(args, *t)) || !(s = requireReadable(args, *t)))
        return fail(s);
    std::string key, cond;
    if (!(s = toTable("expression", args.positional[2], key)) || !(s = toTable("condition", args.get("for"), cond)))
        return fail(s);
    std::unique_ptr<CdxIndex> index;
    if (!(s = CdxIndex::open(*t, EvalSettings(), index)) ||
        (!index && !(s = CdxIndex::create(*t, EvalSettings(), index))))
        return fail(s);
    if (!(s = index->buildTag(args.positional[1], key, cond)))
        return fail(s);
    int i = index->findTag(args.positional[1]);
    std::cout << "tag " << index->tag(i)->name() << ": key " << cp1252ToUtf8(index->tag(i)->keyExpression())
              << ", key length " << index->tag(i)->keyLength() << ", in " << index->file().path() << "\n";
    return 0;
}

int cmdSeek(const Args &args)
{
    if (args.positional.size() != 3)
        return fail("usage: xbtool seek F.DBF TAG KEY [--soft]");
    Engine engine;
    engine.settings().softSeek = args.has("soft");
    int area = 0;
    Status s = engine.use(args.positional[0], "SEEK", OpenMode::ReadOnly, &area);
    if (!s)
        return fail(s);
    WorkArea &wa = *engine.area(area);
    if (!(s = applyPassword(args, wa.table())) || !(s = requireReadable(args, wa.table())) || !(s = wa.reread()))
        return fail(s);
    CdxOrderSet *set = wa.indexes();
    int number = set ? set->tagNumber(args.positional[1]) : 0;
    if (number == 0)
        return fail(wa.table().path() + ": no tag " + args.positional[1]);
    set->setCurrent(number);
    wa.setOrder(set->order(number));
    std::string key;
    if (!(s = toTable("key", args.positional[2], key)))
        return fail(s);
    bool found = false;
    if (!(s = wa.seek(key, &found)))
        return fail(s);
    if (wa.eof()) {
        std::cout << "not found\n";
        return 1;
    }
    printRecord(wa.table(), wa.recNo(), wa.record());
    if (!found)
        std::cout << "(soft seek: the next greater key)\n";
    return 0;
}

int cmdReindex(const Args &args)
{
    if (args.positional.size() != 1)
        return fail("usage: xbtool reindex F.DBF");
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), args.positional[0], OpenMode::Exclusive, t);
    // Keys come from the deciphered records: an encrypted table needs its
    // password, or every key would be built from enciphered bytes.
    if (!s || !(s = applyPassword(args, *t)) || !(s = requireReadable(args, *t)))
        return fail(s);
    std::unique_ptr<CdxIndex> index;
    if (!(s = CdxIndex::open(*t, EvalSettings(), index)))
        return fail(s);
    if (!index)
        return fail(t->path() + ": the table has no structural index");
    if (!(s = index->reindex()))
        return fail(s);
    std::cout << "reindexed " << index->tagCount() << " tags of " << index->file().path() << "\n";
    return 0;
}

} // namespace

int checkTags(Table &table, int *damaged)
{
    *damaged = 0;
    std::unique_ptr<CdxIndex> index;
    Status s = CdxIndex::open(table, EvalSettings(), index);
    if (!s) {
        std::cout << "problem: index: " << s.toString() << "\n";
        ++*damaged;
        return 1;
    }
    if (!index) {
        if (table.hasStructuralIndexFlag())
            std::cout << "note: the table is flagged as indexed but has no index file\n";
        return 0;
    }
    std::vector<CdxTagReport> reports;
    if (!(s = index->check(reports))) {
        std::cout << "problem: index: " << s.toString() << "\n";
        ++*damaged;
        return 1;
    }
    for (const CdxTagReport &r : reports) {
        std::string name = cp1252ToUtf8(r.tag);
        std::cout << (r.damage.empty() ? "ok" : "problem") << ": tag " << name << ": " << r.keys << " keys, depth "
                  << r.depth << "\n";
        for (const std::string &d : r.damage)
            std::cout << "problem: tag " << name << ": " << d << "\n";
        if (r.foreignOrder)
            std::cout << "foreign order: tag " << name << ": " << r.orderNote
                      << " (another program's collation; reads in tree order, reindex before seeking)\n";
        if (r.keys == 0)
            std::cout << "note: tag " << name << " is empty\n";
        for (const std::string &n : r.notes)
            std::cout << "note: tag " << name << ": " << n << "\n";
        if (!r.damage.empty())
            ++*damaged;
    }
    return *damaged ? 1 : 0;
}

const std::vector<Command> &indexCommands()
{
    static const std::vector<Command> commands = {
        {"index", "index F.DBF TAG \"EXPR\" [--for COND]         build a tag of the structural index", cmdIndex},
        {"seek", "seek F.DBF TAG KEY [--soft]                 the record with that key, or \"not found\"", cmdSeek},
        {"reindex", "reindex F.DBF                               rebuild every tag from the table", cmdReindex},
    };
    return commands;
}

} // namespace xbtool
