#include "platform/linux/local_copy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>

namespace nagwick::platform::gnu_linux {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "nagwick-copy-";
constexpr time_t kLockMarginSeconds = 60;

}  // namespace

std::vector<fs::path> LocalCopyParents() {
    std::vector<fs::path> parents{"/var/tmp", "/tmp"};
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') parents.emplace_back(runtime);
    return parents;
}

bool IsLocalCopy(const fs::path& folder) {
    if (!folder.filename().string().starts_with(kPrefix)) return false;
    for (const auto& parent : LocalCopyParents()) {
        if (folder.parent_path() == parent) return true;
    }
    return false;
}

LocalCopy MakeLocalCopy(const fs::path& parent, std::error_code& error) {
    struct statvfs volume {};
    if (statvfs(parent.c_str(), &volume) != 0) {
        error.assign(errno, std::generic_category());
        return {};
    }
    if (volume.f_flag & ST_NOEXEC) {
        error = std::make_error_code(std::errc::permission_denied);
        return {};
    }
    std::string name = (parent / kPrefix).string() + "XXXXXX";
    if (!mkdtemp(name.data())) {
        error.assign(errno, std::generic_category());
        return {};
    }
    const int lock = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (lock < 0 || flock(lock, LOCK_EX | LOCK_NB) != 0) {
        error.assign(errno, std::generic_category());
        if (lock >= 0) close(lock);
        rmdir(name.c_str());
        return {};
    }
    return {name, lock};
}

void RemoveAbandonedCopies() {
    const time_t now = std::time(nullptr);
    for (const auto& parent : LocalCopyParents()) {
        std::error_code error;
        for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
            const fs::path folder = it->path();
            if (!folder.filename().string().starts_with(kPrefix)) continue;
            const int lock = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (lock < 0) continue;
            struct stat status {};
            if (fstat(lock, &status) == 0 && status.st_uid == getuid() &&
                now - status.st_mtime > kLockMarginSeconds && flock(lock, LOCK_EX | LOCK_NB) == 0) {
                std::error_code ignored;
                fs::remove_all(folder, ignored);
            }
            close(lock);
        }
    }
}

}  // namespace nagwick::platform::gnu_linux
