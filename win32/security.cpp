#include "security.h"

#include <sddl.h>

#include <vector>

#include "registry.h"

namespace win32 {

namespace {

UniqueHandle OwnToken(DWORD access = TOKEN_QUERY) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), access, &token)) return UniqueHandle();
    return UniqueHandle(token);
}

}  // namespace

UniqueLocal SecurityDescriptorOf(const std::wstring& sddl, DWORD& error) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    error = ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)
                ? ERROR_SUCCESS
                : ::GetLastError();
    return UniqueLocal(descriptor);
}

std::wstring UserSidText() {
    const UniqueHandle token = OwnToken();
    DWORD size = 0;
    if (!token) return {};
    (void)::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    wchar_t* text = nullptr;
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return {};
    const UniqueLocal owned(text);
    return text;
}

bool TokenIsElevated() {
    const UniqueHandle token = OwnToken();
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!token || !::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return true;
    return elevation.TokenIsElevated != 0;
}

bool TokenIsFilteredAdministrator() {
    const UniqueHandle token = OwnToken();
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    return token && ::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
           type == TokenElevationTypeLimited;
}

bool UacIsOn() {
    // Windows' default is on; only a value that says 0 turns it off.
    return ReadDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                     L"EnableLUA")
               .value_or(1) != 0;
}

EnabledPrivilege::EnabledPrivilege(const wchar_t* name) : token_(OwnToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY)) {
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!token_ || !::LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid)) return;
    DWORD size = 0;
    // ERROR_NOT_ALL_ASSIGNED (with TRUE returned): the token does not hold it.
    changed_ = ::AdjustTokenPrivileges(token_.get(), FALSE, &wanted, sizeof previous_, &previous_, &size) &&
               ::GetLastError() == ERROR_SUCCESS;
}

EnabledPrivilege::~EnabledPrivilege() {
    // `previous_` lists only what was changed: one that was already on stays on.
    if (changed_) ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
}

}  // namespace win32
