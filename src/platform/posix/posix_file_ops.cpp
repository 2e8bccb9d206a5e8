#include "platform/posix/posix_file_ops.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace nagwick::platform::posix {
namespace fs = std::filesystem;
using core::FileContent;
using core::FileResult;
using core::ReadStatus;

namespace {

std::string Reason(int error) { return std::generic_category().message(error); }

FileResult Failed(const std::string& what, int error) {
    return FileResult::Failure(what + ": " + Reason(error));
}

// The file a write really replaces: a symbolic link is written through, so
// that the link itself survives.
fs::path WriteTarget(const std::string& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    fs::path target = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path) : target;
}

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool IsTempSuffix(std::string_view suffix) {
    if (suffix.size() != 6) return false;
    for (char c : suffix) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

// The two name the same file: `fd` was not removed or replaced under its name.
bool SameFile(int fd, const std::string& name) {
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

enum class Lock { Taken, Busy, Unsupported };

Lock TryLock(int fd) {
    int result;
    do result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) return Lock::Taken;
    return errno == EWOULDBLOCK ? Lock::Busy : Lock::Unsupported;
}

std::string RandomSuffix() {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kLetters[pick(engine)];
    return suffix;
}

// What fsync() of the folder failing with `error` means once the rename is
// done: only a write error of the device (the new content may be lost when
// the drive goes) is a failure; a folder that can't be flushed at all is
// none, since the new file is in place either way.
FileResult FolderSyncResult(const std::string& folder, int error) {
    switch (error) {
    case EIO:
    case ENOSPC:
    case EDQUOT:
    case EROFS:  // what a file system that shut itself down after an error says
        return FileResult::Failure(folder + ": " + Reason(error) +
                                   " (the new settings are in place, but may be lost if the drive is removed now)");
    default:
        return FileResult::Success();
    }
}

}  // namespace

PosixFileOps::~PosixFileOps() {
    for (const auto& [name, fd] : openTemps_) ::close(fd);
}

std::string PosixFileOps::TempPrefix(const std::string& path) {
    return "." + fs::path(path).filename().string() + ".tmp-";
}

FileContent PosixFileOps::ReadAll(const std::string& path) {
    const auto unreadable = [&](int error) {
        return FileContent{ReadStatus::Unreadable, {}, path + ": " + Reason(error)};
    };
    // O_NONBLOCK: a FIFO of that name must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? FileContent{} : unreadable(errno);
    FileContent content;
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;  // a folder, FIFO, device...
    }
    char buffer[8192];
    while (error == 0) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got > 0) {
            content.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    ::close(fd);
    if (error != 0) return unreadable(error);
    content.status = ReadStatus::Ok;
    return content;
}

FileResult PosixFileOps::CreateTemp(const std::string& path, std::string& tempPath) {
    const fs::path target = WriteTarget(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return Failed(target.string(), errno);
    // A write-protected file is not ours to replace, even though the
    // folder would allow the rename.
    if (exists && ::access(target.c_str(), W_OK) != 0) return Failed(target.string(), errno);

    const fs::path folder = FolderOf(target);
    const std::string prefix = TempPrefix(target.string());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = (folder / (prefix + RandomSuffix())).string();
        // Mode 0666 lets the umask (or the folder's default ACL) decide, as
        // for any newly created file.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return Failed("Cannot create a file in " + folder.string(), errno);
        // Between open() and flock() another copy's clean-up may take the
        // new file for a dead writer's and remove it: then try another name.
        const Lock lock = TryLock(fd);
        if (lock == Lock::Busy || (lock == Lock::Taken && !SameFile(fd, name))) {
            ::close(fd);
            continue;
        }
        if (exists) {
            // Best effort: file systems without owners or modes (FAT, some
            // FUSE mounts) refuse these, and there both files look alike anyway.
            if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* keep our own owner */ }
            if (::fchmod(fd, old.st_mode & 07777) != 0) { /* keep the mode it got */ }
        }
        openTemps_[name] = fd;
        tempPath = name;
        return FileResult::Success();
    }
    return Failed("Cannot create a file in " + folder.string(), EEXIST);
}

FileResult PosixFileOps::Write(const std::string& tempPath, const std::string& bytes) {
    const auto open = openTemps_.find(tempPath);
    if (open == openTemps_.end()) return Failed(tempPath, EBADF);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(open->second, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) return Failed(tempPath, errno);
        done += static_cast<std::size_t>(wrote);
    }
    return FileResult::Success();
}

FileResult PosixFileOps::Flush(const std::string& tempPath) {
    const auto open = openTemps_.find(tempPath);
    if (open == openTemps_.end()) return Failed(tempPath, EBADF);
    const int fd = open->second;
    if (::fsync(fd) != 0) return Failed(tempPath, errno);
    // close() too may report a delayed write error (NFS, some FUSE mounts);
    // closing a duplicate asks for it while the lock stays held.
    const int copy = ::dup(fd);
    if (copy < 0) return Failed(tempPath, errno);
    if (::close(copy) != 0 && errno != EINTR) return Failed(tempPath, errno);
    return FileResult::Success();
}

FileResult PosixFileOps::Rename(const std::string& tempPath, const std::string& path) {
    const fs::path target = WriteTarget(path);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) return Failed(target.string(), errno);
    Close(tempPath);
    return FileResult::Success();
}

FileResult PosixFileOps::SyncFolder(const std::string& path) {
    const fs::path folder = FolderOf(WriteTarget(path));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder we may write but not open for reading can't be flushed.
    if (fd < 0) return FolderSyncResult(folder.string(), errno);
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return synced ? FileResult::Success() : FolderSyncResult(folder.string(), error);
}

void PosixFileOps::Remove(const std::string& tempPath) {
    // Unlinked before the lock goes: once unlocked, a clean-up may remove it
    // and another writer take the name, whose file this would then remove.
    ::unlink(tempPath.c_str());
    Close(tempPath);
}

void PosixFileOps::RemoveStaleTemps(const std::string& path) {
    const fs::path target = WriteTarget(path);
    const std::string prefix = TempPrefix(target.string());
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(FolderOf(target), ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !IsTempSuffix(std::string_view(name).substr(prefix.size()))) continue;
        std::error_code entryError;
        const bool regular = entry.symlink_status(entryError).type() == fs::file_type::regular;
        const std::string file = entry.path().string();
        if (!regular || openTemps_.contains(file)) continue;

        const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0 && errno == ENOENT) continue;
        const Lock lock = fd < 0 ? Lock::Unsupported : TryLock(fd);
        if (lock == Lock::Taken) {
            // Its writer is gone; unless it was removed meanwhile and the
            // name given to a new one, it goes before the lock does.
            if (SameFile(fd, file)) ::unlink(file.c_str());
        } else if (lock == Lock::Unsupported) {
            const auto written = entry.last_write_time(entryError);
            if (!entryError && fs::file_time_type::clock::now() - written > kStaleAfter) {
                fs::remove(entry.path(), entryError);
            }
        }
        if (fd >= 0) ::close(fd);
    }
}

void PosixFileOps::Close(const std::string& tempPath) {
    const auto open = openTemps_.find(tempPath);
    if (open == openTemps_.end()) return;
    ::close(open->second);
    openTemps_.erase(open);
}

}  // namespace nagwick::platform::posix
