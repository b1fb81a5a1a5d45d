#include "change_lock_win32.h"

#include <optional>

#include "file_path.h"
#include "hex_text.h"
#include "win32/file_identity.h"
#include "win32/security.h"
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

std::wstring FolderIdentity(const std::wstring& folder) {
    const std::optional<win32::FileIdentity> identity = win32::IdentityOf(folder);
    if (!identity) return {};
    return HexText(identity->volumeSerial, 8) + HexText(identity->fileIndex, 16);
}

// Every user may wait on it and release it (the default access would shut out other users' copies).
win32::UniqueHandle CreateOrOpen(const std::wstring& name) {
    DWORD error = ERROR_SUCCESS;
    const win32::UniqueLocal descriptor =
        win32::SecurityDescriptorOf(L"D:(A;;0x00100001;;;WD)", error);  // SYNCHRONIZE | MUTEX_MODIFY_STATE
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    win32::UniqueHandle mutex(::CreateMutexW(descriptor ? &attributes : nullptr, FALSE, name.c_str()));
    // Made by another user with less access for us than CreateMutexW asks.
    if (!mutex && ::GetLastError() == ERROR_ACCESS_DENIED)
        mutex.reset(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
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
    return L"NetScheme.SchemeFile." + HexText(hash, 16);
}

LockResult LockSchemeChanges(const std::wstring& path, LockWait patience, win32::Wait wait) {
    DWORD error = ERROR_SUCCESS;
    win32::UniqueHandle mutex = OpenChangeMutex(path, error);
    // The name belongs to an object of another kind: something other than a copy of ours holds it.
    if (error == ERROR_INVALID_HANDLE) return {Status::Because(Status::Reason::LockedByAnotherProgram), nullptr};
    if (!mutex) return {Status::Error(win32::ErrorText(error)), nullptr};
    // Taken by asking, not by the wait itself: a wait that is handed the mutex would take it once
    // more, and one release would then leave it held. WAIT_ABANDONED hands it over too.
    DWORD waited = WAIT_TIMEOUT;
    (void)wait(nullptr, patience == LockWait::Patiently ? kPatienceMs : 0, kSliceMs,
               [&] { return (waited = ::WaitForSingleObject(mutex.get(), 0)) != WAIT_TIMEOUT; });
    if (waited == WAIT_TIMEOUT) return {Status::Because(Status::Reason::LockedByAnotherCopy), nullptr};
    if (waited == WAIT_FAILED) return {Status::Error(win32::ErrorText(::GetLastError())), nullptr};
    return {Status::Ok(), std::make_unique<MutexLock>(std::move(mutex))};
}
