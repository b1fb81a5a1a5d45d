#include "system_text.h"

#include <vector>

namespace win32 {

std::wstring ErrorText(DWORD code) {
    // A call that failed without setting an error: its text would be "操作成功完成。".
    if (code == ERROR_SUCCESS) return L"系统没有给出原因。";
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    if (text.empty()) text = L"错误代码 " + std::to_wstring(static_cast<unsigned long>(code));
    return text;
}

std::wstring ProgramFolder() {
    // GetModuleFileNameW truncates silently when the buffer is short: grow until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const auto slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
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

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& start) {
    return !start.empty() && text.size() >= start.size() &&
           ::CompareStringOrdinal(text.c_str(), static_cast<int>(start.size()), start.c_str(),
                                  static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
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
    const std::wstring inside = folder + L"\\";
    auto longName = [](const std::wstring& path) {
        return GrownText([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(path.c_str(), buffer, size); });
    };
    auto shortName = [](const std::wstring& path) {
        return GrownText([&](wchar_t* buffer, DWORD size) { return ::GetShortPathNameW(path.c_str(), buffer, size); });
    };
    return StartsWithIgnoringCase(inside, temp) || StartsWithIgnoringCase(longName(inside), longName(temp)) ||
           StartsWithIgnoringCase(shortName(inside), shortName(temp));
}

}  // namespace win32
