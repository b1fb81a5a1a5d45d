#include "file_calls_win32.h"

#include <algorithm>
#include <vector>

#include "file_path.h"
#include "win32/system_text.h"

Status ErrorStatus(DWORD error) { return Status::Error(win32::ErrorText(error)); }

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsMissing(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && IsNotFound(::GetLastError());
}

DWORD ReadToEnd(HANDLE file, std::string& bytes) {
    std::vector<char> buffer(65536);
    for (DWORD got = 0;; bytes.append(buffer.data(), got)) {
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return ::GetLastError();
        if (got == 0) return ERROR_SUCCESS;
    }
}

DWORD FileCalls::Replace(const std::wstring& replaced, const std::wstring& replacement,
                         const std::wstring& backup) const {
    return Retrying([&] {
        return calls_.replaceFile(replaced.c_str(), replacement.c_str(), backup.c_str(),
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                   ? ERROR_SUCCESS
                   : ::GetLastError();
    });
}

Status FileCalls::Move(const std::wstring& from, const std::wstring& to, DWORD flags) const {
    const DWORD error =
        Retrying([&] { return calls_.moveFile(from.c_str(), to.c_str(), flags) ? ERROR_SUCCESS : ::GetLastError(); });
    return error == ERROR_SUCCESS ? Status::Ok() : ErrorStatus(error);
}

Status FileCalls::Remove(const std::wstring& path) const {
    const DWORD error = Retrying([&] {
        if (::DeleteFileW(path.c_str())) return static_cast<DWORD>(ERROR_SUCCESS);
        const DWORD e = ::GetLastError();
        return IsNotFound(e) ? static_cast<DWORD>(ERROR_SUCCESS) : e;
    });
    return error == ERROR_SUCCESS ? Status::Ok() : ErrorStatus(error);
}

std::wstring FileCalls::NewName(const std::wstring& folder, std::wstring_view suffix) {
    for (;;) {
        const ULONGLONG seed = ::GetTickCount64() * 0x9E3779B97F4A7C15ull ^
                               (static_cast<ULONGLONG>(::GetCurrentProcessId()) << 20) ^ ++sequence_;
        std::wstring name = L"kvo";
        for (int shift = 28; shift >= 0; shift -= 4) name += L"0123456789ABCDEF"[(seed >> shift) & 0xF];
        name += suffix;
        std::wstring path = JoinPath(folder, name);
        if (!Exists(path)) return path;
    }
}

std::wstring FileCalls::KeepAside(const std::wstring& path) {
    const std::wstring kept = NewName(ParentFolder(path), L".kept.kvo");
    return Move(path, kept, MOVEFILE_WRITE_THROUGH).ok() ? kept : path;
}

bool FileCalls::IsOurName(std::wstring_view name) {
    if (name.size() != 15 || !name.starts_with(L"kvo") || !(name.ends_with(L".tmp") || name.ends_with(L".bak")))
        return false;
    return std::all_of(name.begin() + 3, name.begin() + 11,
                       [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); });
}
