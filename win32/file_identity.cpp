#include "file_identity.h"

#include "unique_handle.h"

namespace win32 {

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    // A folder opens only with FILE_FLAG_BACKUP_SEMANTICS; a file ignores it.
    const UniqueFile handle(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

}  // namespace win32
