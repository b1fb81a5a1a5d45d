// A file or folder by what it is, not how its path is spelled: a mapped drive and its UNC path,
// subst, an 8.3 name and a junction all lead to one volume serial number and file index.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace win32 {

struct FileIdentity {
    DWORD volumeSerial = 0;
    ULONGLONG fileIndex = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Opened without asking for any access right, so any user may; a folder too. Nothing when it
// cannot be opened.
[[nodiscard]] std::optional<FileIdentity> IdentityOf(const std::wstring& path);

}  // namespace win32
