#include "system_text.h"

#include <vector>

namespace win32 {

std::wstring ErrorText(DWORD code) {
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

std::wstring SystemFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

std::wstring NativeProgramFolder() {
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return SystemFolder();
    // The shared Windows folder: GetWindowsDirectoryW gives a per-user one under Terminal Services.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const UINT length = ::GetSystemWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return SystemFolder();
        if (length < buffer.size()) return std::wstring(buffer.data(), length) + L"\\Sysnative";
        buffer.resize(length + 1);
    }
}

}  // namespace win32
