// libFuzzer target over the DBF and FPT readers (and the writers on what they
// accepted). The input is split into a table and a memo file, both kept in
// memory; whatever they hold, opening, reading every record and memo,
// formatting every field and a few changes must end in a status, never in a
// crash, a hang or an out-of-bounds access.
//
// Input: byte 0..1 little-endian length of the DBF part, then the DBF bytes,
// then the FPT bytes.
#include "xbase/table/Env.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/Table.h"
#include "xbase/fuzz/MemoryFile.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

using namespace xb;

namespace {

// Files in memory; locks always succeed (one process).
class MemoryEnv : public Env {
public:
    static constexpr uint64_t kCeiling = 64u << 20;
    std::map<std::string, std::shared_ptr<std::string>> files;

    Status openFile(const std::string &path, bool, std::unique_ptr<File> &out) override
    {
        auto it = files.find(path);
        if (it == files.end())
            return Status::notFound(path);
        out = std::make_unique<fuzz::MemoryFile>(path, it->second, kCeiling);
        return Status::ok();
    }
    Status createFile(const std::string &path, bool, std::unique_ptr<File> &out) override
    {
        files[path] = std::make_shared<std::string>();
        out = std::make_unique<fuzz::MemoryFile>(path, files[path], kCeiling);
        return Status::ok();
    }
    bool fileExists(const std::string &path) override { return files.count(path) > 0; }
    Status removeFile(const std::string &path) override
    {
        files.erase(path);
        return Status::ok();
    }
    Status renameFile(const std::string &from, const std::string &to) override
    {
        auto it = files.find(from);
        if (it == files.end())
            return Status::notFound(from);
        files[to] = it->second;
        files.erase(from);
        return Status::ok();
    }
    Status findFileNoCase(const std::string &path, std::string *found) override
    {
        if (!fileExists(path))
            return Status::notFound(path);
        *found = path;
        return Status::ok();
    }
};

void exercise(MemoryEnv &env, OpenMode mode)
{
    std::unique_ptr<Table> t;
    if (!Table::open(&env, "/F.DBF", mode, t))
        return;
    uint32_t count = 0;
    if (!t->recordCount(&count))
        return;
    std::string r(t->recordLength(), '\0'), memo;
    const uint32_t last = std::min<uint32_t>(count, 200);
    for (uint32_t recno = 1; recno <= last; ++recno) {
        if (!t->read(recno, r.data()))
            continue;
        for (int f = 0; f < int(t->fields().size()); ++f) {
            bool isNull = false;
            FieldCodec::text(*t, f, r.data(), &isNull);
            if (t->isMemoField(f))
                t->readMemo(f, r.data(), memo);
        }
    }
    if (mode == OpenMode::ReadOnly)
        return;
    uint32_t recno = 0;
    if (t->append(t->blankRecord().data(), &recno) && t->isMemoField(int(t->fields().size()) - 1))
        t->writeMemo(recno, int(t->fields().size()) - 1, "fuzz");
    if (count > 0 && t->read(1, r.data())) {
        t->replace(1, r.data());
        t->setDeleted(1, true);
        for (int f = 0; f < int(t->fields().size()); ++f)
            if (t->isMemoField(f))
                t->writeMemo(1, f, std::string(100, 'x'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t dbfLength = std::min<std::size_t>(size - 2, data[0] | data[1] << 8);
    const char *bytes = reinterpret_cast<const char *>(data + 2);
    for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::Exclusive}) {
        MemoryEnv env;
        env.files["/F.DBF"] = std::make_shared<std::string>(bytes, dbfLength);
        env.files["/F.fpt"] = std::make_shared<std::string>(bytes + dbfLength, size - 2 - dbfLength);
        exercise(env, mode);
    }
    return 0;
}
