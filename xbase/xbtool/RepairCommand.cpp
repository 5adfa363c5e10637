// xbtool repair: recovers a table an interrupted write or a copy left
// damaged, keeping copies of the originals.
#include "xbase/xbtool/ToolCommon.h"

#include "xbase/api/Repair.h"
#include "xbase/table/Env.h"

#include <iostream>

namespace xbtool {

using namespace xb;

namespace {

int cmdRepair(const Args &args)
{
    if (args.positional.size() != 1)
        return fail("usage: xbtool repair F.DBF [--password P]");
    std::string password;
    Status s = passwordOf(args, password);
    if (!s)
        return fail(s);
    TableRepairResult r;
    s = repairTable(Env::posix(), args.positional[0], password, r);
    for (const std::string &copy : r.copies)
        std::cout << "kept: " << copy << "\n";
    if (!s)
        return fail(s);
    const Table::RepairReport &t = r.records;
    if (t.headerCount != t.records)
        std::cout << "count: " << t.records << " whole records, the header said " << t.headerCount << "\n";
    if (t.bytesCut)
        std::cout << "cut: " << t.bytesCut << " bytes of an unfinished record after the last whole one\n";
    if (!t.memoProblem.empty())
        std::cout << "memo: " << t.memoProblem << "; replaced by an empty memo file\n";
    if (t.memosCleared)
        std::cout << "memo: " << t.memosCleared << " references to missing memo values cleared\n";
    if (r.tagsRebuilt >= 0)
        std::cout << "index: " << r.tagsRebuilt << " tags rebuilt\n";
    if (!r.indexProblem.empty())
        std::cout << "index: " << r.indexProblem
                  << " (the program's re-index rebuilds it, or xbtool index builds each tag)\n";
    std::cout << "repaired " << args.positional[0] << ": " << t.records << " records\n";
    return r.indexProblem.empty() ? 0 : 1;
}

} // namespace

const std::vector<Command> &repairCommands()
{
    static const std::vector<Command> commands = {
        {"repair", "repair F.DBF                                recover a damaged table (keeps copies .bak)", cmdRepair},
    };
    return commands;
}

} // namespace xbtool
