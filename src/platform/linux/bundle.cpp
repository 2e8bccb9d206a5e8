#include "platform/linux/bundle.h"

#include <endian.h>
#include <fcntl.h>
#include <lz4frame.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

namespace nagwick::platform::gnu_linux {

namespace {

constexpr size_t kRecord = 512;  // tar's

std::string ErrorText(int error) { return std::generic_category().message(error); }

std::uint32_t Le32(const char* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return le32toh(value);
}

// Each frame's end, from its header and block sizes alone.
std::string FindFrames(Bundle& bundle, size_t size) {
    LZ4F_dctx* context = nullptr;
    if (LZ4F_isError(LZ4F_createDecompressionContext(&context, LZ4F_VERSION))) throw std::bad_alloc();
    std::string error;
    for (size_t at = 0; at < size && error.empty();) {
        LZ4F_frameInfo_t info{};
        size_t end = size - at;
        if (LZ4F_isError(LZ4F_getFrameInfo(context, &info, bundle.bytes.get() + at, &end))) {
            error = "not a series of LZ4 frames";
            break;
        }
        LZ4F_resetDecompressionContext(context);
        end += at;
        for (std::uint32_t block; end + 4 <= size && (block = Le32(bundle.bytes.get() + end)) != 0;)
            end += 4 + (block & 0x7fffffffu) + (info.blockChecksumFlag ? 4 : 0);
        end += 4 + (info.contentChecksumFlag ? 4 : 0);
        if (end > size) error = "it ends inside a frame";
        bundle.frames.push_back({at, end - at});
        at = end;
    }
    LZ4F_freeDecompressionContext(context);
    return error;
}

size_t Octal(std::string_view field) {
    size_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '7') break;
        value = value * 8 + static_cast<size_t>(c - '0');
    }
    return value;
}

// Writes a tar archive's regular files under a folder as its bytes come:
// a record of header, the file's bytes, the padding to the next record.
class TarWriter {
public:
    explicit TarWriter(int folder) : folder_(folder) {}
    ~TarWriter() {
        if (file_ >= 0) close(file_);
    }
    // Empty, or why the bytes could not be written.
    std::string Take(const char* bytes, size_t size) {
        while (size > 0 && error_.empty() && !ended_) {
            if (left_ > 0) {
                const size_t part = std::min(size, left_);
                if (file_ >= 0 && !WriteAll(bytes, part)) return error_ = name_ + ": " + ErrorText(errno);
                bytes += part, size -= part, left_ -= part;
                if (left_ == 0) Finish();
            } else if (skip_ > 0) {
                const size_t part = std::min(size, skip_);
                bytes += part, size -= part, skip_ -= part;
            } else {
                const size_t part = std::min(size, kRecord - filled_);
                std::memcpy(header_ + filled_, bytes, part);
                bytes += part, size -= part, filled_ += part;
                if (filled_ == kRecord) Start();
            }
        }
        return error_;
    }
    bool Complete() const { return ended_ && error_.empty(); }

private:
    // A header: the next file, or the archive's end.
    void Start() {
        filled_ = 0;
        if (header_[0] == '\0') {
            ended_ = true;
            return;
        }
        name_.assign(header_, strnlen(header_, 100));
        const size_t size = Octal({header_ + 124, 12});
        const auto mode = static_cast<mode_t>(Octal({header_ + 100, 8}) & 0777);
        if (header_[156] != '0' && header_[156] != '\0') error_ = "an entry of unexpected type in " + name_;
        else if (name_.empty() || name_.starts_with('/') || name_.find("..") != std::string::npos)
            error_ = "a name outside its folder: " + name_;
        if (!error_.empty()) return;
        file_ = OpenFile(mode);
        if (file_ < 0) error_ = name_ + ": " + ErrorText(errno);
        left_ = size;
        skip_ = (kRecord - size % kRecord) % kRecord;
        if (left_ == 0) Finish();
    }
    // Makes the folders on the way, as another thread may be making them too.
    int OpenFile(mode_t mode) {
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
        for (size_t slash = name_.find('/'); slash != std::string::npos; slash = name_.find('/', slash + 1)) {
            if (mkdirat(folder_, name_.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return -1;
        }
        return openat(folder_, name_.c_str(), flags, mode);
    }
    void Finish() {
        if (close(file_) != 0) error_ = name_ + ": " + ErrorText(errno);
        file_ = -1;
    }
    // At most 64 KiB a call: the page cache then holds the libraries in
    // folios no larger, and a page fault maps no more of them into the
    // program than fault-around would (larger ones cost 1 MB or more of RSS
    // in Qt's libraries).
    bool WriteAll(const char* bytes, size_t size) {
        while (size > 0) {
            const ssize_t put = write(file_, bytes, std::min<size_t>(size, 64 * 1024));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            bytes += put, size -= static_cast<size_t>(put);
        }
        return true;
    }

    const int folder_;
    char header_[kRecord];
    size_t filled_ = 0, left_ = 0, skip_ = 0;
    std::string name_, error_;
    int file_ = -1;
    bool ended_ = false;
};

}  // namespace

std::string ReadBundle(const std::filesystem::path& file, Bundle& bundle) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return file.string() + ": " + ErrorText(errno);
    struct stat status {};
    std::string error;
    if (fstat(fd, &status) != 0) error = ErrorText(errno);
    const size_t size = error.empty() ? static_cast<size_t>(status.st_size) : 0, mapped = std::max<size_t>(size, 1);
    // Every page in place at once: far cheaper than a fault for each.
    void* pages = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (pages == MAP_FAILED) throw std::bad_alloc();
    bundle.bytes = {static_cast<char*>(pages), [mapped](char* at) { munmap(at, mapped); }};
    for (size_t done = 0; error.empty() && done < size;) {
        const ssize_t got = read(fd, bundle.bytes.get() + done, size - done);
        if (got > 0) done += static_cast<size_t>(got);
        else if (got == 0) error = "shorter than expected";
        else if (errno != EINTR) error = ErrorText(errno);
    }
    close(fd);
    if (error.empty()) error = FindFrames(bundle, size);
    return error.empty() ? error : file.string() + ": " + error;
}

std::string UnpackBundle(const Bundle& bundle, int folder, bool& damaged) {
    std::atomic<size_t> next = 0;
    std::mutex guard;
    std::string failure;  // the first, from any thread
    std::atomic<bool> failed = false;
    auto unpackFrames = [&]() {
        LZ4F_dctx* context = nullptr;
        if (LZ4F_isError(LZ4F_createDecompressionContext(&context, LZ4F_VERSION))) failed = true;
        // As large as the bundle's blocks, which then decode straight into it.
        constexpr size_t kChunk = 1 << 20;
        const std::unique_ptr<char[]> chunk(new (std::nothrow) char[kChunk]);
        if (!chunk) failed = true;
        for (size_t i; !failed && (i = next++) < bundle.frames.size();) {
            const char* in = bundle.bytes.get() + bundle.frames[i].at;
            size_t left = bundle.frames[i].size, hint = 1;
            TarWriter files(folder);
            std::string error;
            bool decoded = true;
            while (error.empty() && hint != 0 && left > 0) {
                size_t used = left, made = kChunk;
                hint = LZ4F_decompress(context, chunk.get(), &made, in, &used, nullptr);
                if (LZ4F_isError(hint)) error = LZ4F_getErrorName(hint), decoded = false;
                else error = files.Take(chunk.get(), made);
                in += used, left -= used;
            }
            if (error.empty() && (hint != 0 || !files.Complete())) error = "a frame that ends early", decoded = false;
            if (!error.empty() && !failed.exchange(true)) {
                std::lock_guard lock(guard);
                failure = error, damaged = !decoded;
            }
        }
        LZ4F_freeDecompressionContext(context);
    };
    std::vector<std::jthread> helpers;
    const size_t threads = std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), bundle.frames.size());
    try {
        for (size_t i = 1; i < threads; ++i) helpers.emplace_back(unpackFrames);
    } catch (const std::system_error&) {
        // Fewer threads, then: the work is shared among those there are.
    }
    unpackFrames();
    helpers.clear();
    return failed && failure.empty() ? "out of memory" : failure;
}

}  // namespace nagwick::platform::gnu_linux
