#include "platform/posix/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

namespace nagwick::platform::posix {
namespace fs = std::filesystem;
using core::FileContent;
using core::FileError;
using core::FileResult;

namespace {

FileResult Failed(int error) {
    switch (error) {
    case EROFS: return {FileError::ReadOnlyDrive, {}};
    case ENOSPC:
    case EDQUOT: return {FileError::DriveFull, {}};
    case ENOENT:
    case ENOTDIR: return {FileError::FolderMissing, {}};
    case EISDIR: return {FileError::FolderInPlace, {}};
    case EACCES:
    case EPERM: return {FileError::NotAllowed, {}};
    case EIO: return {FileError::DeviceError, {}};
    default: return {FileError::Other, std::generic_category().message(error)};
    }
}

fs::path FolderOf(const std::string& file) {
    const fs::path path(file);
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

std::string TempPath(const std::string& path) {
    return (FolderOf(path) / (core::TempPrefix(fs::path(path).filename().string()) +
                              std::to_string(::getpid())))
        .string();
}

}  // namespace

PosixFiles::~PosixFiles() {
    if (temp_ >= 0) ::close(temp_);
}

FileContent PosixFiles::ReadAll(const std::string& path) {
    // O_NONBLOCK: a FIFO of that name must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) return {};
    FileContent content{FileContent::Status::Unreadable, {}, {}};
    struct stat info {};
    int error = fd < 0 ? errno : ::fstat(fd, &info) != 0 ? errno : 0;
    if (error == 0 && !S_ISREG(info.st_mode)) error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    char buffer[8192];
    for (ssize_t got = 1; error == 0 && got != 0;) {
        got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) content.bytes.append(buffer, static_cast<std::size_t>(got));
        else if (got < 0 && errno != EINTR) error = errno;
    }
    if (fd >= 0) ::close(fd);
    if (error != 0) return {FileContent::Status::Unreadable, {}, Failed(error)};
    content.status = FileContent::Status::Ok;
    return content;
}

FileResult PosixFiles::CreateTemp(const std::string& path, std::string& tempPath) {
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return {FileError::FolderInPlace, {}};
    // A write-protected file is not ours to replace, though the folder would
    // allow the rename.
    if (exists && ::access(path.c_str(), W_OK) != 0)
        return errno == EACCES ? FileResult{FileError::ReadOnlyFile, {}} : Failed(errno);

    tempPath = TempPath(path);
    // Mode 0666 lets the umask (or the folder's default ACL) decide, as for
    // any new file. A file of this name is a stopped writer's: this process
    // writes one file at a time.
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return Failed(errno);
    if (exists) {
        // Best effort: file systems without owners or modes (FAT, some FUSE
        // mounts) refuse these, and there both files look alike anyway.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* keep our own owner */ }
        if (::fchmod(fd, old.st_mode & 07777) != 0) { /* keep the mode it got */ }
    }
    temp_ = fd;
    return {};
}

FileResult PosixFiles::Write(const std::string& /*tempPath*/, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(temp_, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno != EINTR) return Failed(errno);
        if (wrote > 0) done += static_cast<std::size_t>(wrote);
    }
    if (::fsync(temp_) != 0) return Failed(errno);
    // close() too may report a delayed write error (NFS, some FUSE mounts).
    const int fd = std::exchange(temp_, -1);
    if (::close(fd) != 0 && errno != EINTR) return Failed(errno);
    return {};
}

FileResult PosixFiles::Replace(const std::string& tempPath, const std::string& path) {
    if (::rename(tempPath.c_str(), path.c_str()) != 0) return Failed(errno);
    return {};
}

FileResult PosixFiles::SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder that can't be opened or flushed at all (some FUSE mounts) says
    // nothing of the drive; only a write error of the device does.
    if (fd < 0) return {};
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    // EROFS: what a file system that shut itself down after an error says.
    if (synced || (error != EIO && error != ENOSPC && error != EDQUOT && error != EROFS)) return {};
    return {FileError::DeviceError, {}};
}

void PosixFiles::Remove(const std::string& tempPath) {
    if (temp_ >= 0) ::close(std::exchange(temp_, -1));
    ::unlink(tempPath.c_str());
}

void PosixFiles::RemoveStaleTemps(const std::string& path) {
    const std::string prefix = core::TempPrefix(fs::path(path).filename().string());
    const auto oldest = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(FolderOf(path), ec)) {
        std::error_code entryError;
        if (entry.path().filename().string().starts_with(prefix) && entry.is_regular_file(entryError) &&
            entry.last_write_time(entryError) < oldest && !entryError)
            fs::remove(entry.path(), entryError);
    }
}

}  // namespace nagwick::platform::posix
