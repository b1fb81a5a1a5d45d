// Stands in for netsh.exe in the Wine prefix's system folder (Wine's own is an empty stub).
// It appends its command line and current folder to NETSH_STANDIN_LOG, prints a Chinese listing
// for "show interface" (or NETSH_STANDIN_OUTPUT, NETSH_STANDIN_REPEAT times) in the OEM code
// page, can sleep for NETSH_STANDIN_SLEEP_MS, and exits with NETSH_STANDIN_EXIT. Started with a
// line that holds NETSH_STANDIN_KILL_PARENT_ON, it ends the process that started it first, as a
// security product or a crash may end an elevated copy in the middle of a change.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

const wchar_t kListing[] =
    L"\r\n"
    L"管理员状态     状态          类型             接口名称\r\n"
    L"-------------------------------------------------------------------------\r\n"
    L"已启用            已连接            专用               以太网\r\n"
    L"已启用            已断开连接        专用               WLAN 2\r\n"
    L"已禁用            已断开连接        专用               蓝牙网络连接\r\n"
    L"\r\n";

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 4096);
    return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

std::string Encode(UINT codepage, const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        ::WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

void Log(const std::wstring& entry) {
    const std::wstring path = Variable(L"NETSH_STANDIN_LOG");
    if (path.empty()) return;
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string bytes = Encode(CP_UTF8, entry + L"\n");
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// Which process started this one: a test tells the window's from an elevated copy's.
DWORD ParentProcessId() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == ::GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    ::CloseHandle(snapshot);
    return parent;
}

}  // namespace

int wmain() {
    wchar_t folder[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring commandLine = ::GetCommandLineW();
    Log(L"line:" + commandLine);
    Log(L"folder:" + std::wstring(folder));
    Log(L"parent:" + std::to_wstring(ParentProcessId()));
    const std::wstring kill = Variable(L"NETSH_STANDIN_KILL_PARENT_ON");
    if (!kill.empty() && commandLine.find(kill) != std::wstring::npos) {
        if (HANDLE parent = ::OpenProcess(PROCESS_TERMINATE, FALSE, ParentProcessId())) {
            Log(L"killed parent");
            ::TerminateProcess(parent, 1);
            ::CloseHandle(parent);
        }
    }

    std::wstring output = Variable(L"NETSH_STANDIN_OUTPUT");
    if (output.empty() && commandLine.find(L"show interface") != std::wstring::npos) output = kListing;
    const std::string bytes = Encode(CP_OEMCP, output);
    const std::wstring repeat = Variable(L"NETSH_STANDIN_REPEAT");
    const unsigned long times = repeat.empty() ? 1 : std::stoul(repeat);
    for (unsigned long i = 0; i < times && !bytes.empty(); ++i) {
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                    nullptr);
    }
    Log(L"printed");

    const std::wstring sleep = Variable(L"NETSH_STANDIN_SLEEP_MS");
    if (!sleep.empty()) {
        ::Sleep(static_cast<DWORD>(std::stoul(sleep)));
        Log(L"woke");
    }
    const std::wstring exitCode = Variable(L"NETSH_STANDIN_EXIT");
    return exitCode.empty() ? 0 : static_cast<int>(std::stoul(exitCode));
}
