#include "registry.h"

#include <vector>

#include "unique_handle.h"

namespace win32 {

namespace {

UniqueKey OpenForReading(HKEY root, const std::wstring& key) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return UniqueKey();
    return UniqueKey(opened);
}

}  // namespace

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const wchar_t* name) {
    const UniqueKey opened = OpenForReading(root, key);
    DWORD value = 0, type = 0, size = sizeof value;
    if (!opened ||
        ::RegQueryValueExW(opened.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
    const UniqueKey opened = OpenForReading(root, key);
    DWORD type = 0, size = 0;
    if (!opened || ::RegQueryValueExW(opened.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    // A value may grow between the two calls: ask again with its new size.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS read =
            ::RegQueryValueExW(opened.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (read == ERROR_MORE_DATA) {
            size = got;
            continue;
        }
        if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        std::wstring text(buffer.data(), got / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }
    return std::nullopt;
}

}  // namespace win32
