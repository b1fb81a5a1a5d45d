#include "change_lock_win32.h"

#include <sddl.h>

#include "file_path.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

constexpr DWORD kPatienceMs = 2000;  // another copy's change takes a moment
constexpr DWORD kSliceMs = 100;

class MutexLock final : public ChangeLock {
public:
    explicit MutexLock(win32::UniqueHandle mutex) : mutex_(std::move(mutex)) {}
    ~MutexLock() override { ::ReleaseMutex(mutex_.get()); }

private:
    win32::UniqueHandle mutex_;
};

std::wstring Hex(unsigned long long value, int digits) {
    std::wstring text;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += L"0123456789ABCDEF"[(value >> shift) & 0xF];
    return text;
}

// Opening a folder needs FILE_FLAG_BACKUP_SEMANTICS; no access right is asked, so any user may.
std::wstring FolderIdentity(const std::wstring& folder) {
    const win32::UniqueFile handle(::CreateFileW(folder.c_str(), 0,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !::GetFileInformationByHandle(handle.get(), &info)) return {};
    return Hex(info.dwVolumeSerialNumber, 8) + Hex((ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow, 16);
}

// Every user may wait on it and release it (the default access would shut out other users' copies).
win32::UniqueHandle CreateOrOpen(const std::wstring& name) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool everyone = ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;;0x00100001;;;WD)", SDDL_REVISION_1, &descriptor, nullptr);  // SYNCHRONIZE | MUTEX_MODIFY_STATE
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    win32::UniqueHandle mutex(::CreateMutexW(everyone ? &attributes : nullptr, FALSE, name.c_str()));
    // Made by another user with less access for us than CreateMutexW asks.
    if (!mutex && ::GetLastError() == ERROR_ACCESS_DENIED)
        mutex.reset(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
    const DWORD error = ::GetLastError();
    if (descriptor) ::LocalFree(descriptor);
    ::SetLastError(error);
    return mutex;
}

// Global first. Microsoft documents that a process may be denied the Global namespace (an
// AppContainer or other sandbox): it still meets its own session's copies in Local.
win32::UniqueHandle OpenChangeMutex(const std::wstring& path, DWORD& error) {
    const std::wstring suffix = ChangeLockName(path);
    win32::UniqueHandle mutex = CreateOrOpen(L"Global\\" + suffix);
    if (!mutex && ::GetLastError() == ERROR_ACCESS_DENIED) mutex = CreateOrOpen(L"Local\\" + suffix);
    error = mutex ? ERROR_SUCCESS : ::GetLastError();
    return mutex;
}

}  // namespace

std::wstring ChangeLockName(const std::wstring& path) {
    const std::wstring folder = ParentFolder(path);
    const std::wstring identity = FolderIdentity(folder);
    std::wstring name = (identity.empty() ? folder : identity) + path.substr(folder.size());
    ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));  // Windows compares names without case
    ULONGLONG hash = 0xCBF29CE484222325ull;  // FNV-1a: a mutex name has no backslashes and a length limit
    for (wchar_t c : name) hash = (hash ^ c) * 0x100000001B3ull;
    return L"NetScheme.SchemeFile." + Hex(hash, 16);
}

Status LockSchemeChanges(const std::wstring& path, bool patience, win32::Wait wait, std::unique_ptr<ChangeLock>& lock,
                         bool& abandoned) {
    DWORD error = ERROR_SUCCESS;
    win32::UniqueHandle mutex = OpenChangeMutex(path, error);
    // The name belongs to an object of another kind: something other than a copy of ours holds it.
    if (error == ERROR_INVALID_HANDLE) return Status::Because(Status::Reason::LockedByAnotherProgram);
    if (!mutex) return Status::Error(win32::ErrorText(error));
    // Taken by asking, not by the wait itself: a wait that is handed the mutex would take it once
    // more, and one release would then leave it held.
    DWORD waited = WAIT_TIMEOUT;
    (void)wait(nullptr, patience ? kPatienceMs : 0, kSliceMs,
               [&] { return (waited = ::WaitForSingleObject(mutex.get(), 0)) != WAIT_TIMEOUT; });
    if (waited == WAIT_TIMEOUT) return Status::Because(Status::Reason::LockedByAnotherCopy);
    if (waited == WAIT_FAILED) return Status::Error(win32::ErrorText(::GetLastError()));
    abandoned = waited == WAIT_ABANDONED;  // ours now; the copy that held it ended
    lock = std::make_unique<MutexLock>(std::move(mutex));
    return Status::Ok();
}
