#include "xbase/api/Repair.h"

#include "xbase/index/CdxIndex.h"
#include "xbase/table/Env.h"

#include <memory>

namespace xb {

namespace {

// A complete copy of `path` under the first free name `path`.bak,
// `path`.bak2, ...: written and synced under a temporary name first.
Status keepCopy(Env *env, const std::string &path, std::string *copy)
{
    std::string target = path + ".bak";
    for (int n = 2; env->fileExists(target); ++n)
        target = path + ".bak" + std::to_string(n);
    const std::string tmp = target + ".tmp";
    std::unique_ptr<File> from, to;
    Status s = env->openFile(path, false, from);
    if (!s || !(s = env->createFile(tmp, true, to)))
        return s;
    std::vector<char> buf(1 << 16);
    uint64_t offset = 0;
    for (;;) {
        std::size_t got = 0;
        if (!(s = from->read(offset, buf.data(), buf.size(), &got)))
            break;
        if (got == 0)
            break;
        if (!(s = to->write(offset, buf.data(), got)))
            break;
        offset += got;
    }
    if (s)
        s = to->sync();
    to.reset();
    if (s)
        s = env->renameFile(tmp, target);
    if (!s) {
        env->removeFile(tmp);
        return s;
    }
    *copy = target;
    return Status::ok();
}

} // namespace

Status repairTable(Env *env, const std::string &path, const std::string &password, TableRepairResult &result)
{
    if (!env)
        env = Env::posix();
    result = TableRepairResult();
    std::unique_ptr<Table> table;
    Status s = Table::openForRepair(env, path, table);
    if (!s)
        return s;
    if (!password.empty())
        table->setPassword(password);
    if (table->isEncrypted() && !table->passwordMatches())
        return Status::badArgument(table->path() + (password.empty() ? ": encrypted; give the table's password"
                                                                     : ": wrong password"));
    bool cdxExists = false;
    const std::string cdx = CdxIndex::structuralPath(*table, &cdxExists);
    std::vector<std::string> originals = {table->path()};
    if (!table->memoPath().empty())
        originals.push_back(table->memoPath());
    if (cdxExists)
        originals.push_back(cdx);
    for (const std::string &file : originals) {
        std::string copy;
        if (!(s = keepCopy(env, file, &copy)))
            return Status::ioError(file + ": no copy could be kept, nothing was changed (" + s.toString() + ")");
        result.copies.push_back(copy);
    }

    if (!(s = table->repairRecords(result.records)))
        return s;

    if (table->hasStructuralIndexFlag()) {
        std::unique_ptr<CdxIndex> index;
        if (!cdxExists) {
            result.indexProblem = "the table is flagged as indexed but has no index file";
        } else if (!(s = CdxIndex::open(*table, EvalSettings(), index)) || !index) {
            result.indexProblem = s ? "the index file cannot be opened" : s.toString();
        } else {
            s = index->reindex();
            if (!s && s.code() != Status::Code::BadArgument)
                return s;
            result.tagsRebuilt = index->tagCount();
            if (!s)
                result.indexProblem = s.detail(); // tags whose definitions no longer compile
        }
    }
    return table->commit();
}

} // namespace xb
