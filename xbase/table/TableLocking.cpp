// Record and header locks, encryption, the table flags and the observers of
// a Table (see the byte table and the rules in Table.cpp).
#include "xbase/table/Table.h"

#include "xbase/table/TableImpl.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace xb {

using namespace tablefile;

Status Table::lockRecord(uint32_t recno)
{
    if (d->mode == OpenMode::ReadOnly)
        return Status::readOnly(d->path + ": opened read-only, cannot lock record " + std::to_string(recno));
    if (recno == 0 || recno >= kLockBase)
        return Status::badArgument(d->path + ": no record " + std::to_string(recno) + " to lock");
    // A lock is taken to write: say at once why writing is impossible.
    if (Status s = d->checkCodePage("change a record"); !s)
        return s;
    if (d->recordLocks.count(recno))
        return Status::ok();
    if (d->fileLocked) { // the file lock covers the record already
        d->recordLocks.insert(recno);
        return Status::ok();
    }
    Status s = d->file->tryLock(kLockBase - recno, 1, File::LockKind::Exclusive);
    if (!s)
        return s.code() == Status::Code::Locked
            ? Status::locked(d->path + ": record " + std::to_string(recno) + " is locked by another user")
            : s;
    d->recordLocks.insert(recno);
    return Status::ok();
}

Status Table::unlockRecord(uint32_t recno)
{
    if (!d->recordLocks.erase(recno) || d->fileLocked)
        return Status::ok();
    return d->file->unlock(kLockBase - recno, 1);
}

Status Table::lockFile()
{
    if (d->mode == OpenMode::ReadOnly)
        return Status::readOnly(d->path + ": opened read-only, cannot lock the file");
    if (d->fileLocked)
        return Status::ok();
    Status s = d->file->tryLock(kFileLockFirst, kFileLockLength, File::LockKind::Exclusive);
    if (!s)
        return s.code() == Status::Code::Locked ? Status::locked(d->path + ": records are locked by another user") : s;
    d->fileLocked = true;
    return s;
}

void Table::unlockFile()
{
    if (!d->fileLocked)
        return;
    d->file->unlock(kFileLockFirst, kFileLockLength);
    d->fileLocked = false;
    // Record locks taken under the file lock stay held on their own.
    for (uint32_t recno : d->recordLocks)
        d->file->tryLock(kLockBase - recno, 1, File::LockKind::Exclusive);
}

bool Table::holdsFileLock() const
{
    return d->fileLocked;
}

void Table::unlockAll()
{
    if (d->fileLocked) {
        d->file->unlock(kFileLockFirst, kFileLockLength);
        d->fileLocked = false;
    }
    for (uint32_t recno : d->recordLocks)
        d->file->unlock(kLockBase - recno, 1);
    d->recordLocks.clear();
    if (d->headerLockDepth > 0 && d->mode != OpenMode::Exclusive)
        d->file->unlock(kLockBase, 1);
    d->headerLockDepth = 0;
}

bool Table::holdsRecordLock(uint32_t recno) const
{
    return d->recordLocks.count(recno) > 0;
}

bool Table::lockedByOther(uint32_t recno)
{
    if (recno == 0 || recno >= kLockBase || d->mode == OpenMode::Exclusive)
        return false;
    bool other = false;
    if (!d->file->testLock(kLockBase - recno, 1, File::LockKind::Exclusive, &other))
        return false;
    return other;
}

Status Table::lockHeader()
{
    if (d->mode == OpenMode::ReadOnly)
        return Status::readOnly(d->path + ": opened read-only, cannot lock the header");
    if (d->headerLockDepth > 0 || d->mode == OpenMode::Exclusive) {
        ++d->headerLockDepth;
        return Status::ok();
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(d->lockTimeoutMs);
    auto pause = std::chrono::microseconds(50);
    for (;;) {
        Status s = d->file->tryLock(kLockBase, 1, File::LockKind::Exclusive);
        if (s) {
            ++d->headerLockDepth;
            return s;
        }
        if (s.code() != Status::Code::Locked)
            return s;
        if (std::chrono::steady_clock::now() >= deadline)
            return Status::locked(d->path + ": header locked by another user");
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(2000));
    }
}

void Table::unlockHeader()
{
    if (d->headerLockDepth == 0)
        return;
    if (--d->headerLockDepth == 0 && d->mode != OpenMode::Exclusive)
        d->file->unlock(kLockBase, 1);
}

void Table::setLockTimeout(int milliseconds)
{
    d->lockTimeoutMs = std::max(0, milliseconds);
}

void Table::Impl::makeCipher()
{
    cipher.reset();
    if (!password.empty() && encState() == kEncrypted)
        cipher = std::make_unique<Cipher>(password, header + 16);
}

void Table::setPassword(std::string_view password)
{
    if (password == d->password && (d->cipher || password.empty() || d->encState() == kPlain))
        return;
    d->password = std::string(password);
    d->makeCipher();
    d->cacheCount = 0;
}

bool Table::isEncrypted() const
{
    return d->encState() != kPlain;
}

bool Table::passwordMatches() const
{
    if (d->encState() == kPlain)
        return true;
    return d->cipher && load16(d->header + 12) == (d->cipher->keyCheck() & 0xFFFF);
}

Status Table::encrypt()
{
    Impl &i = *d;
    if (!i.writable())
        return Status::readOnly(i.path + ": opened read-only, cannot encrypt");
    if (i.password.empty())
        return Status::badArgument(i.path + ": no password set for encryption");
    if (i.encState() == kEncrypted)
        return passwordMatches() ? Status::ok() : Status::badArgument(i.path + ": encrypted with another password");
    if (i.encState() != kPlain)
        return Status::badArgument(i.path + ": encrypted by another program");
    Status s;
    bool upgraded = false;
    if (i.mode == OpenMode::Shared) {
        if (!(s = i.file->tryLock(kOpenMarker, 1, File::LockKind::Exclusive)))
            return Status::locked(i.path + ": in use by another user, cannot encrypt");
        upgraded = true;
    }
    auto finish = [&](Status result) {
        if (upgraded)
            i.file->tryLock(kOpenMarker, 1, File::LockKind::Shared);
        i.cacheCount = 0;
        return result;
    };
    if (!(s = i.flushPending()) || !(s = i.readCount()))
        return finish(s);

    // Rule 5: the enciphered table is written whole beside the old one and
    // renamed over it.
    unsigned char header[32];
    std::memcpy(header, i.header, 32);
    std::random_device random;
    for (int b = 0; b < Cipher::kSaltSize; ++b)
        header[16 + b] = static_cast<unsigned char>(random());
    header[15] = kEncrypted;
    store32(header + 24, 0);
    const Cipher cipher(i.password, header + 16);
    store16(header + 12, static_cast<uint16_t>(cipher.keyCheck()));

    std::string out(i.headerLength, '\0');
    std::size_t got = 0;
    if (!(s = i.file->read(0, out.data(), out.size(), &got)))
        return finish(s);
    std::memcpy(out.data(), header, 32);
    const std::string temp = i.path + ".enc";
    std::unique_ptr<File> file;
    if (!(s = i.env->createFile(temp, true, file)))
        return finish(s);
    uint64_t at = 0;
    std::string r(i.recordLength, '\0');
    for (uint32_t recno = 1; recno <= i.count && s; ++recno) {
        if (!(s = read(recno, r.data())))
            break;
        cipher.applyToRecord(recno, r.data() + 1, i.recordLength - 1);
        out += r;
        if (out.size() >= kPendingLimit) {
            s = file->write(at, out.data(), out.size());
            at += out.size();
            out.clear();
        }
    }
    out += '\x1A';
    if (s)
        s = file->write(at, out.data(), out.size());
    if (s)
        s = file->sync();
    file.reset();
    if (s)
        s = i.env->renameFile(temp, i.path);
    if (!s) {
        i.env->removeFile(temp);
        return finish(s);
    }
    // Continue on the new file with the same locks.
    if (!(s = i.env->openFile(i.path, true, file)))
        return finish(s);
    s = file->tryLock(kOpenMarker, 1, i.mode == OpenMode::Exclusive ? File::LockKind::Exclusive : File::LockKind::Shared);
    if (s)
        s = file->lockWhole(i.mode == OpenMode::Exclusive ? File::LockKind::Exclusive : File::LockKind::Shared);
    for (uint32_t recno : i.recordLocks)
        if (s)
            s = file->tryLock(kLockBase - recno, 1, File::LockKind::Exclusive);
    if (!s)
        return finish(s);
    upgraded = false;
    i.file = std::move(file);
    std::memcpy(i.header, header, 32);
    i.makeCipher();
    return finish(Status::ok());
}

bool Table::hasStructuralIndexFlag() const
{
    return (d->header[28] & 0x01) != 0;
}

Status Table::setStructuralIndexFlag(bool on)
{
    if (!d->writable())
        return Status::readOnly(d->path + ": opened read-only, cannot change the table flags");
    d->header[28] = on ? (d->header[28] | 0x01) : (d->header[28] & ~0x01);
    return d->writeHeaderBytes(28, 29);
}

void Table::addObserver(TableObserver *observer)
{
    d->observers.push_back(observer);
}

void Table::removeObserver(TableObserver *observer)
{
    d->observers.erase(std::remove(d->observers.begin(), d->observers.end(), observer), d->observers.end());
}

} // namespace xb

