#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>
#include <utility>

namespace nagwick::platform::posix {
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

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

std::string BaseName(const std::string& file) { return file.substr(file.rfind('/') + 1); }

std::string TempPath(const std::string& path) {
    return FolderOf(path) + "/" + core::TempPrefix(BaseName(path)) + std::to_string(::getpid());
}

class PosixTempFile final : public core::TempFile {
public:
    PosixTempFile(int fd, std::string tempPath, std::string path)
        : fd_(fd), tempPath_(std::move(tempPath)), path_(std::move(path)) {}
    PosixTempFile(const PosixTempFile&) = delete;
    PosixTempFile& operator=(const PosixTempFile&) = delete;
    ~PosixTempFile() override;

    FileResult Write(const std::string& bytes) override;
    FileResult Replace() override;
    void Discard() override;

private:
    int fd_;                // open until written
    std::string tempPath_;  // empty once it has replaced its file, or is gone
    const std::string path_;
};

}  // namespace

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

std::unique_ptr<core::TempFile> PosixFiles::CreateTemp(const std::string& path, FileResult& why) {
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return why = {FileError::FolderInPlace, {}}, nullptr;
    // A write-protected file is not ours to replace, though the folder would
    // allow the rename.
    if (exists && ::access(path.c_str(), W_OK) != 0)
        return why = errno == EACCES ? FileResult{FileError::ReadOnlyFile, {}} : Failed(errno), nullptr;

    std::string tempPath = TempPath(path);
    // Mode 0666 lets the umask (or the folder's default ACL) decide, as for
    // any new file. A file of this name is a stopped writer's: this process
    // writes one file at a time.
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return why = Failed(errno), nullptr;
    if (exists) {
        // Best effort: file systems without owners or modes (FAT, some FUSE
        // mounts) refuse these, and there both files look alike anyway.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* keep our own owner */ }
        if (::fchmod(fd, old.st_mode & 07777) != 0) { /* keep the mode it got */ }
    }
    return std::make_unique<PosixTempFile>(fd, std::move(tempPath), path);
}

PosixTempFile::~PosixTempFile() { Discard(); }

FileResult PosixTempFile::Write(const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno != EINTR) return Failed(errno);
        if (wrote > 0) done += static_cast<std::size_t>(wrote);
    }
    // On the device before the rename: a drive pulled right after it must
    // not leave an empty file in the old one's place.
    if (::fsync(fd_) != 0) return Failed(errno);
    // close() too may report a delayed write error (NFS, some FUSE mounts).
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) return Failed(errno);
    return {};
}

FileResult PosixTempFile::Replace() {
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) return Failed(errno);
    tempPath_.clear();
    return {};
}

void PosixTempFile::Discard() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!tempPath_.empty()) ::unlink(std::exchange(tempPath_, {}).c_str());
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

void PosixFiles::RemoveStaleTemps(const std::string& path) noexcept {
    // With the C library's own calls: nothing here may throw, and a folder
    // that fails to be read (a failing drive) just ends the sweep.
    const std::string folder = FolderOf(path);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string prefix = core::TempPrefix(BaseName(path));
    const time_t oldest = ::time(nullptr) - 60;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0 &&
            ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_mtime < oldest)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace nagwick::platform::posix
