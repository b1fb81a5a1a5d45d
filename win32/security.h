// Security descriptors from SDDL and this process's token: who may open what this program makes
// (the change lock, the elevated copy's pipe), and what rights the program runs with.
#pragma once
#include <windows.h>

#include <string>

#include "unique_handle.h"

namespace win32 {

// The security descriptor `sddl` describes, owned; null on failure, with the reason in `error`.
[[nodiscard]] UniqueLocal SecurityDescriptorOf(const std::wstring& sddl, DWORD& error);

// This process's user, as an SDDL SID text ("S-1-5-21-…"); empty when it cannot be read.
[[nodiscard]] std::wstring UserSidText();

// Whether this process's token is elevated (TokenElevation: an administrator's filtered token still
// lists Administrators, but is not). Elevated where it cannot be read: no rights are then claimed
// to be missing.
[[nodiscard]] bool TokenIsElevated();

// Whether this process's token is the filtered half of an administrator's pair (TokenElevationType
// Limited), which a consent prompt raises; not a standard user's token (Default).
[[nodiscard]] bool TokenIsFilteredAdministrator();

// Whether Windows asks for administrator rights (UAC): EnableLUA, on where it is missing.
[[nodiscard]] bool UacIsOn();

// A privilege this process's token holds, enabled for as long as this lives, then put back as it
// was. Nothing changes where the token does not hold it.
class EnabledPrivilege {
public:
    explicit EnabledPrivilege(const wchar_t* name);
    ~EnabledPrivilege();
    EnabledPrivilege(const EnabledPrivilege&) = delete;
    EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;

private:
    UniqueHandle token_;
    TOKEN_PRIVILEGES previous_{};
    bool changed_ = false;
};

}  // namespace win32
