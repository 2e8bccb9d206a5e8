#include "platform/win32/win32_files.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

#include <memory>
#include <utility>

namespace nagwick::platform::win32 {
using core::FileContent;
using core::FileError;
using core::FileResult;

namespace {

FileResult Failed(DWORD error) {
    switch (error) {
    case ERROR_WRITE_PROTECT: return {FileError::ReadOnlyDrive, {}};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return {FileError::DriveFull, {}};
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return {FileError::FolderMissing, {}};
    case ERROR_ACCESS_DENIED: return {FileError::NotAllowed, {}};
    case ERROR_CRC:
    case ERROR_NOT_READY:
    case ERROR_GEN_FAILURE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_IO_DEVICE:
    case ERROR_DEVICE_REMOVED: return {FileError::DeviceError, {}};
    default: return {FileError::Other, ErrorText(error)};
    }
}

FileResult LastError() { return Failed(GetLastError()); }

FileContent Unreadable(FileResult why) { return {FileContent::Status::Unreadable, {}, std::move(why)}; }

// The folder part of `path` with its last separator: "R:\\nagwick.ini" keeps "R:\\".
std::wstring FolderPart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The path every temporary file for `path` starts with.
std::wstring TempPrefixOf(const std::wstring& path) {
    const std::wstring folder = FolderPart(path);
    return folder + Widen(core::TempPrefix(Narrow(path.substr(folder.size()))));
}

class Win32TempFile final : public core::TempFile {
public:
    Win32TempFile(HANDLE file, std::wstring tempPath, std::wstring path)
        : file_(file), tempPath_(std::move(tempPath)), path_(std::move(path)) {}
    Win32TempFile(const Win32TempFile&) = delete;
    Win32TempFile& operator=(const Win32TempFile&) = delete;
    ~Win32TempFile() override;

    FileResult Write(const std::string& bytes) override;
    FileResult Replace() override;
    void Discard() override;

private:
    HANDLE file_;            // open until written
    std::wstring tempPath_;  // empty once it has replaced its file, or is gone
    const std::wstring path_;
};

unsigned long long Ticks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

FileContent Win32Files::ReadAll(const std::string& path) {
    const std::wstring name = Widen(path);
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Unreadable({FileError::FolderInPlace, {}});
        return Unreadable(Failed(error));
    }
    FileContent content{FileContent::Status::Ok, {}, {}};
    char buffer[8192];
    DWORD got = 0;
    BOOL read = FALSE;
    while ((read = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) content.bytes.append(buffer, got);
    const DWORD error = GetLastError();
    CloseHandle(file);
    return read ? content : Unreadable(Failed(error));
}

std::unique_ptr<core::TempFile> Win32Files::CreateTemp(const std::string& path, FileResult& why) {
    const std::wstring target = Widen(path);
    // The new file keeps what the user set on the old one (hidden, say).
    DWORD kept = FILE_ATTRIBUTE_NORMAL;
    if (const DWORD old = GetFileAttributesW(target.c_str()); old != INVALID_FILE_ATTRIBUTES) {
        if (old & FILE_ATTRIBUTE_DIRECTORY) return why = {FileError::FolderInPlace, {}}, nullptr;
        // The move would replace a read-only file; it is not ours to replace.
        if (old & FILE_ATTRIBUTE_READONLY) return why = {FileError::ReadOnlyFile, {}}, nullptr;
        kept = old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (!kept) kept = FILE_ATTRIBUTE_NORMAL;
    }
    // (to_string, not to_wstring: libstdc++ makes the wide one with swprintf,
    // and with it a whole printf of mingw-w64's own.)
    std::wstring temp = TempPrefixOf(target) + Widen(std::to_string(GetCurrentProcessId()));
    const auto create = [&] {
        return CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kept, nullptr);
    };
    HANDLE file = create();
    // The name holds this process's id, and it writes one file at a time: a
    // file of that name is a stopped writer's.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && DeleteFileW(temp.c_str()))
        file = create();
    if (file == INVALID_HANDLE_VALUE) return why = LastError(), nullptr;
    return std::make_unique<Win32TempFile>(file, std::move(temp), target);
}

Win32TempFile::~Win32TempFile() { Discard(); }

FileResult Win32TempFile::Write(const std::string& bytes) {
    DWORD wrote = 0;
    if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr)) return LastError();
    if (wrote != bytes.size()) return {FileError::DriveFull, {}};
    // On the device before the move: a drive pulled right after it must not
    // leave an empty file in the old one's place.
    if (!FlushFileBuffers(file_)) return LastError();
    // Closed before the move: Windows does not rename a file open for writing.
    if (!CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE))) return LastError();
    return {};
}

FileResult Win32TempFile::Replace() {
    // Write-through: the move is on the device when it returns.
    if (!MoveFileExW(tempPath_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastError();
    tempPath_.clear();
    return {};
}

void Win32TempFile::Discard() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
    if (!tempPath_.empty()) DeleteFileW(std::exchange(tempPath_, {}).c_str());
}

void Win32Files::RemoveStaleTemps(const std::string& path) noexcept try {
    const std::wstring prefix = TempPrefixOf(Widen(path));
    const std::wstring folder = FolderPart(prefix);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    // A younger one may belong to a copy of the program saving right now.
    const unsigned long long oldest = Ticks(now) - 60ULL * 10'000'000ULL;  // a minute in 100 ns
    WIN32_FIND_DATAW found;
    const HANDLE first = FindFirstFileW((prefix + L"*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return;
    const std::unique_ptr<void, decltype(&FindClose)> search(first, &FindClose);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Ticks(found.ftLastWriteTime) < oldest)
            DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search.get(), &found));
} catch (...) {
    // Best effort: out of memory for a path, say; the save goes on.
}

}  // namespace nagwick::platform::win32
