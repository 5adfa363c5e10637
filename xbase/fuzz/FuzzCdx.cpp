// libFuzzer target over the compound-index reader (and the tree writer on
// what it accepted). The input is a whole index file kept in memory; whatever
// it holds, opening it, walking and auditing every tag, seeking, stepping in
// both directions and a few inserts and deletes must end in a status, never
// in a crash, a hang or an out-of-bounds access.
#include "xbase/index/CdxChecker.h"
#include "xbase/index/CdxFile.h"
#include "xbase/index/CdxKey.h"
#include "xbase/index/CdxNode.h"
#include "xbase/index/CdxTag.h"
#include "xbase/table/Env.h"
#include "xbase/fuzz/MemoryFile.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

using namespace xb;

namespace {

class MemoryEnv : public Env {
public:
    std::shared_ptr<std::string> data = std::make_shared<std::string>();
    Status openFile(const std::string &path, bool, std::unique_ptr<File> &out) override
    {
        out = std::make_unique<fuzz::MemoryFile>(path, data, 16u << 20);
        return Status::ok();
    }
    Status createFile(const std::string &path, bool, std::unique_ptr<File> &out) override
    {
        data->clear();
        return openFile(path, true, out);
    }
    bool fileExists(const std::string &) override { return true; }
    Status removeFile(const std::string &) override { return Status::ok(); }
    Status renameFile(const std::string &, const std::string &) override { return Status::ok(); }
    Status findFileNoCase(const std::string &path, std::string *found) override
    {
        *found = path;
        return Status::ok();
    }
};

void exercise(CdxFile &file, bool write)
{
    for (int t = 0; t < file.tagCount() && t < 8; ++t) {
        CdxTag *tag = file.tag(t);
        // The key type decides the pad byte; vary it with the tag.
        tag->setKeyType(tag->keyLength() == 8 ? CdxKeyType::Numeric
                        : tag->keyLength() == 4 ? CdxKeyType::Integer
                                                : CdxKeyType::Character);
        {
            CdxFile::ReadScope scope(&file);
            if (!scope.status())
                return;
            CdxTagReport report;
            (void)CdxChecker::checkTree(*tag, report);
            CdxPosition pos;
            Status s = tag->first(pos);
            for (int i = 0; s && pos.valid() && i < 3000; ++i)
                s = tag->next(pos);
            s = tag->last(pos);
            for (int i = 0; s && pos.valid() && i < 3000; ++i)
                s = tag->prev(pos);
            std::string key(std::size_t(tag->keyLength()), 'M');
            (void)tag->seek(reinterpret_cast<const uint8_t *>(key.data()), 1, pos);
            (void)tag->seekLast(reinterpret_cast<const uint8_t *>(key.data()), tag->keyLength(), pos);
            (void)tag->seekFraction(0.5, pos);
            double f;
            (void)tag->fraction(pos, f);
        }
        if (!write)
            continue;
        CdxFile::WriteScope scope(&file);
        if (!scope.status())
            return;
        std::string key(std::size_t(tag->keyLength()), 'A');
        for (uint32_t r = 1; r <= 40; ++r) {
            key[0] = char('A' + r % 26);
            if (!tag->insert(reinterpret_cast<const uint8_t *>(key.data()), r)) {
                file.abandonChanges();
                return;
            }
        }
        key[0] = 'B';
        (void)tag->remove(reinterpret_cast<const uint8_t *>(key.data()), 1);
        (void)scope.finish();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    // Every page on its own, as leaf and interior of a few key lengths.
    for (std::size_t at = 0; at + 512 <= size && at < 64 * 512; at += 512)
        for (int keyLength : {2, 8, 10, 74}) {
            CdxNode n;
            (void)CdxNode::decode(data + at, uint32_t(at), keyLength, ' ', n);
        }
    MemoryEnv env;
    env.data->assign(reinterpret_cast<const char *>(data), size);
    for (bool write : {false, true}) {
        std::unique_ptr<CdxFile> file;
        if (!CdxFile::open(&env, "FUZZ.CDX", write, true, file))
            return 0;
        exercise(*file, write);
    }
    return 0;
}
