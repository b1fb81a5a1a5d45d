// File paths are wide strings: Win32 takes them as they are, POSIX gets them as UTF-8.
// (std::filesystem would do, but it drags the whole locale library into a small exe.)
#pragma once
#include <string>
#include <string_view>

using FilePath = std::wstring;

#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

// folder + separator + name; no second separator after a folder that ends in one ("C:\").
[[nodiscard]] inline FilePath JoinPath(const FilePath& folder, std::wstring_view name,
                                       wchar_t separator = kPathSeparator) {
    FilePath path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += separator;
    path += name;
    return path;
}

// Everything before the last separator; empty for a bare name.
[[nodiscard]] inline FilePath ParentFolder(const FilePath& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == FilePath::npos ? FilePath() : path.substr(0, slash);
}
