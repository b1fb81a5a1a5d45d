#include "system_text.h"

#include <string_view>
#include <vector>

#include "unique_handle.h"

namespace win32 {

std::wstring ErrorText(DWORD code) {
    // A call that failed without setting an error: its text would be "操作成功完成。".
    if (code == ERROR_SUCCESS) return L"系统没有给出原因。";
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocal owned(buffer);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    if (text.empty()) text = L"错误代码 " + std::to_wstring(static_cast<unsigned long>(code));
    return text;
}

std::wstring ProgramFile() {
    // GetModuleFileNameW truncates silently when the buffer is short: grow until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProgramFolder() {
    const std::wstring path = ProgramFile();
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

namespace {

// The calls that write a text into a buffer and return its length, or the size they need when
// the buffer is short, or 0 on failure: called again until the text fits.
template <class Call>
std::wstring GrownText(Call call) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

// Whether `folder` is emptied behind the user's back because an archive program or Explorer
// unpacked the exe there to run it from an archive. Both upper case, absolute and ending in a
// separator; `temp` is the temporary folder. A folder below a temporary folder named TEMP or TMP, or
// below any user's AppData\Local\Temp (an exe run as another administrator has that one's TEMP);
// below a broader TMP (C:\) only an archive program's own folder.
bool IsUnpackedFromArchive(std::wstring_view folder, std::wstring_view temp) {
    if (folder.find(L"\\APPDATA\\LOCAL\\TEMP\\") != std::wstring_view::npos) return true;
    if (temp.empty() || folder.size() < temp.size() || !folder.starts_with(temp)) return false;
    const std::wstring_view below = temp.substr(0, temp.size() - 1);
    if (below.ends_with(L"\\TEMP") || below.ends_with(L"\\TMP")) return true;
    // WinRAR, 7-Zip, Explorer's zip folders, WinZip, Bandizip, 360 and HaoZip.
    const std::wstring_view first = folder.substr(temp.size());
    for (std::wstring_view tool :
         {L"RAR$EX", L"7ZO", L"TEMP1_", L"TEMP2_", L"TEMP3_", L"WZ", L"BNZ.", L"360ZIP", L"HZ$"})
        if (first.starts_with(tool)) return true;
    return false;
}

}  // namespace

std::wstring SystemFolder() {
    return GrownText([](wchar_t* buffer, DWORD size) { return ::GetSystemDirectoryW(buffer, size); });
}

std::wstring NativeProgramFolder() {
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return SystemFolder();
    // The shared Windows folder: GetWindowsDirectoryW gives a per-user one under Terminal Services.
    const std::wstring windows =
        GrownText([](wchar_t* buffer, DWORD size) { return ::GetSystemWindowsDirectoryW(buffer, size); });
    return windows.empty() ? SystemFolder() : windows + L"\\Sysnative";
}

bool IsInTemporaryFolder(const std::wstring& folder) {
    const std::wstring temp = GrownText([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); });
    auto upper = [](std::wstring path) {
        ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
        return path;
    };
    auto longName = [](const std::wstring& path) {
        return GrownText([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(path.c_str(), buffer, size); });
    };
    auto shortName = [](const std::wstring& path) {
        return GrownText([&](wchar_t* buffer, DWORD size) { return ::GetShortPathNameW(path.c_str(), buffer, size); });
    };
    const std::wstring inside = folder + L"\\";
    return IsUnpackedFromArchive(upper(inside), upper(temp)) ||
           IsUnpackedFromArchive(upper(longName(inside)), upper(longName(temp))) ||
           IsUnpackedFromArchive(upper(shortName(inside)), upper(shortName(temp)));
}

}  // namespace win32
