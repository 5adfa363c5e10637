// Recovery of a damaged table with its memo and index files.
//
// repairTable holds the table exclusively from start to end and works in
// this order, so that a crash at any point leaves files that open and the
// originals are never lost:
//  1. Copies of the table, memo and index files are written beside them
//     (NAME.DBF.bak, or NAME.DBF.bak2 ... when that exists), each complete
//     and synced under a temporary name before it gets its own.
//  2. The records are repaired in place (Table::repairRecords): the count
//     becomes the number of whole records, a torn tail is cut, memo
//     references that lead nowhere are cleared.
//  3. Every tag of the structural index is rebuilt from its definition into
//     a new file that replaces the old one in one rename. An index whose
//     definitions cannot be read any more is left as it is and reported; the
//     program's re-index rebuilds it from the database layout.
#pragma once

#include "xbase/table/Status.h"
#include "xbase/table/Table.h"

#include <string>
#include <vector>

namespace xb {

class Env;

struct TableRepairResult {
    Table::RepairReport records;
    std::vector<std::string> copies; // the copies of the original files
    int tagsRebuilt = -1;            // -1: the table has no structural index
    std::string indexProblem;        // why the tags were not rebuilt (empty: they were)
};

// `password` (Windows-1252) is needed for an encrypted table.
Status repairTable(Env *env, const std::string &path, const std::string &password, TableRepairResult &result);

} // namespace xb
