// The settings file on Windows, through the system's own file calls: wide names, so any
// folder works, and none of the C++ streams, which would triple the program's size.
#include "settings/settings_store.h"

#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <cstdint>

namespace ruvia::settings {

namespace {

using platform::win32::narrow;
using platform::win32::systemErrorText;
using platform::win32::widen;

// Longer files are not ours; the first line is all that counts anyway.
constexpr DWORD kMaxRead = 4096;
// Tries at a free temporary name before the folder counts as unwritable.
constexpr int kTemporaryNameTries = 16;

// Closes the handle however the function that opened it ends.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close() {
        const bool closed = !ok() || CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE h_;
};

// A settings file that is a symbolic link is the user's choice of where the position
// lives: the save replaces what it points to and keeps the link.
std::wstring finalTarget(const std::wstring& file) {
    FileHandle h(CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.ok()) return file;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return file;
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h.get(), path.data(), static_cast<DWORD>(path.size()),
                                        FILE_NAME_NORMALIZED);
    if (n >= path.size()) {
        path.resize(n + 1);
        n = GetFinalPathNameByHandleW(h.get(), path.data(), static_cast<DWORD>(path.size()),
                                      FILE_NAME_NORMALIZED);
    }
    if (n == 0 || n >= path.size()) return file;
    path.resize(n);
    return path;
}

std::wstring folderOf(const std::wstring& file) {
    const size_t slash = file.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : file.substr(0, slash);
}

// Every missing folder of the path, outermost first; ERROR_SUCCESS when all exist.
DWORD createFolders(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS : ERROR_DIRECTORY;
    const std::wstring parent = folderOf(folder);
    if (parent != folder && parent != L"." && !parent.empty() && parent.back() != L':') {
        if (const DWORD error = createFolders(parent); error != ERROR_SUCCESS) return error;
    }
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return ERROR_SUCCESS;
    return GetLastError();
}

bool writeAll(HANDLE h, const std::string& text) {
    DWORD done = 0;
    while (done < text.size()) {
        DWORD n = 0;
        if (!WriteFile(h, text.data() + done, static_cast<DWORD>(text.size() - done), &n, nullptr) ||
            n == 0)
            return false;
        done += n;
    }
    return true;
}

// "name.XXXXXX" beside the target, created only if no such file exists (a link planted
// under that name is not opened), so a save killed half-way leaves nothing in the way.
HANDLE createUniqueTemporary(const std::wstring& target, std::wstring& name) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    uint32_t seed = static_cast<uint32_t>(now.QuadPart) ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        seed = seed * 1664525u + 1013904223u;
        static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
        std::wstring suffix = L".";
        for (uint32_t v = seed, i = 0; i < 6; ++i, v /= 36) suffix += kDigits[v % 36];
        name = target + suffix;
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

SettingsPath::SettingsPath(const char* utf8) : native_(widen(utf8)) {}

std::string SettingsPath::utf8() const { return narrow(native_); }

SettingsPath absoluteSettingsPath(const SettingsPath& file) {
    const DWORD n = GetFullPathNameW(file.native().c_str(), 0, nullptr, nullptr);
    if (n == 0) return file;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(file.native().c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return file;
    full.resize(got);
    return SettingsPath(std::move(full));
}

std::optional<core::SavedPosition> readSavedPosition(const SettingsPath& file) {
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder of that name does not open.
    FileHandle in(CreateFileW(file.native().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.ok() || GetFileType(in.get()) != FILE_TYPE_DISK) return std::nullopt;
    std::string text(kMaxRead, '\0');
    DWORD got = 0;
    while (got < kMaxRead) {
        DWORD n = 0;
        if (!ReadFile(in.get(), text.data() + got, kMaxRead - got, &n, nullptr) || n == 0) break;
        got += n;
    }
    text.resize(got);
    return core::parseSettingsLine(text);
}

std::string writeSavedPosition(const SettingsPath& file, float left, float top,
                               MissingFolder missing) {
    const std::wstring target = finalTarget(file.native());
    if (missing == MissingFolder::Create) {
        if (const DWORD error = createFolders(folderOf(target)); error != ERROR_SUCCESS)
            return "Could not save the mascot's position to " + file.utf8() +
                   ": cannot create its folder: " + systemErrorText(error);
    }
    std::wstring temporaryName;
    FileHandle out(createUniqueTemporary(target, temporaryName));
    auto failure = [&](const std::string& what, DWORD error) {
        if (out.ok()) {
            out.close();
            DeleteFileW(temporaryName.c_str());
        }
        return "Could not save the mascot's position to " + file.utf8() + ": " + what + ": " +
               systemErrorText(error);
    };
    if (!out.ok()) {
        const DWORD error = GetLastError();
        return failure("cannot create a file in " + narrow(folderOf(target)), error);
    }
    if (!writeAll(out.get(), core::formatSettingsLine(left, top)))
        return failure("cannot write", GetLastError());
    // On the disk before the rename: a crash must leave the old file or the new one.
    if (!FlushFileBuffers(out.get())) return failure("cannot write", GetLastError());
    if (!out.close()) {
        const DWORD error = GetLastError();
        DeleteFileW(temporaryName.c_str());
        return failure("cannot write", error);
    }
    // Replacing a name never writes into the file it named: a hard link to the old file
    // elsewhere keeps the old content.
    if (!MoveFileExW(temporaryName.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporaryName.c_str());
        return failure("cannot replace the old file", error);
    }
    return {};
}

}  // namespace ruvia::settings
