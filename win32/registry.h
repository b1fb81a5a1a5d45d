// Values read from the registry, the key owned while it is read.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace win32 {

// The REG_DWORD `name` under `root`\`key`; nothing where the key or value is missing, unreadable
// or of another type.
[[nodiscard]] std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const wchar_t* name);
// The REG_SZ or REG_EXPAND_SZ `name` (not expanded), without the NUL the system may keep at its end.
[[nodiscard]] std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name);

}  // namespace win32
