#include "elevated_copy_win32.h"

#include <optional>

#include "address_commands.h"
#include "command_runner_win32.h"
#include "copy_protocol.h"
#include "win32/file_identity.h"
#include "win32/security.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kLineBound = 30s;
constexpr DWORD kSlice = 50;

bool Send(HANDLE pipe, const CopyRecord& record) {
    const std::string bytes = EncodeRecord(record);
    DWORD written = 0;
    return ::WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

CopyRecord Refusal(CopyRefusal why, std::wstring detail = {}) {
    return {CopyRecord::Kind::Refused, why, std::move(detail), {}};
}

// Takes what the window wrote so far; false once it closed its end.
bool Receive(HANDLE pipe, std::string& received) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0) return true;
    std::string chunk(available, '\0');
    DWORD got = 0;
    if (!::ReadFile(pipe, chunk.data(), available, &got, nullptr)) return false;
    received.append(chunk.data(), got);
    return true;
}

// The file `process` runs, by identity. Its Win32 path may not be seen here (a drive mapped in the
// window's session only, when the copy runs as another account): then its NT path, through GLOBALROOT.
std::optional<win32::FileIdentity> ImageOf(HANDLE process) {
    for (const DWORD format : {DWORD{0}, DWORD{PROCESS_NAME_NATIVE}}) {
        std::wstring path(32768, L'\0');
        DWORD size = static_cast<DWORD>(path.size());
        if (!::QueryFullProcessImageNameW(process, format, path.data(), &size)) continue;
        path.resize(size);
        if (auto identity = win32::IdentityOf(format == 0 ? path : L"\\\\?\\GLOBALROOT" + path)) return identity;
    }
    return std::nullopt;
}

// The window's process, opened to look at it. A process's DACL grants its own user and SYSTEM:
// where the copy runs as another account that is refused, unless SeDebugPrivilege is enabled,
// which every elevated administrator's token holds. Enabled for that one open only.
win32::UniqueHandle OpenWindowProcess(DWORD id, const ElevatedCopyCalls& calls, DWORD& error) {
    win32::UniqueHandle process(calls.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    error = process ? ERROR_SUCCESS : ::GetLastError();
    if (process || error != ERROR_ACCESS_DENIED) return process;
    const win32::EnabledPrivilege debug(SE_DEBUG_NAME);
    process.reset(calls.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    error = process ? ERROR_SUCCESS : ::GetLastError();
    return process;
}

// Why the pipe's server is not to be served; nothing when it is the window the copy was started
// for and runs this very program file.
std::optional<CopyRecord> CheckWindow(HANDLE pipe, DWORD window, const ElevatedCopyCalls& calls) {
    ULONG server = 0;
    if (!::GetNamedPipeServerProcessId(pipe, &server))
        return Refusal(CopyRefusal::CannotCheck, win32::ErrorText(::GetLastError()));
    if (server != window) return Refusal(CopyRefusal::NotTheWindow);
    DWORD error = ERROR_SUCCESS;
    const win32::UniqueHandle process = OpenWindowProcess(server, calls, error);
    if (!process) return Refusal(CopyRefusal::CannotCheck, win32::ErrorText(error));
    const std::optional<win32::FileIdentity> theirs = ImageOf(process.get());
    const std::optional<win32::FileIdentity> ours = ImageOf(::GetCurrentProcess());
    if (!theirs || !ours) return Refusal(CopyRefusal::CannotCheck, win32::ErrorText(::GetLastError()));
    if (*theirs != *ours) return Refusal(CopyRefusal::OtherProgram);
    return std::nullopt;
}

// Runs one change's lines, each awaited at most 30 s, and reports each; false once the window went.
bool RunChange(HANDLE pipe, CommandRunner& runner, const AddressChange& change) {
    if (!Send(pipe, {.kind = CopyRecord::Kind::Accepted})) return false;
    for (const std::wstring& line : CommandLinesOf(change)) {
        DWORD available = 0;
        // The window went away: the line that ran is done, and no other starts.
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
        const CommandResult result = RunToEnd(runner, {Program::Netsh, line, {}}, kLineBound);
        if (!Send(pipe, {.kind = CopyRecord::Kind::Line, .result = result})) return false;
        // A hung netsh would keep the next ones waiting as long: they are not started.
        if (result.outcome == CommandResult::Outcome::TimedOut) break;
    }
    return Send(pipe, {.kind = CopyRecord::Kind::Done});
}

// Serves the window's changes until it closes its end or hands over nothing for `idle`.
int ServeChanges(HANDLE pipe, const ElevatedCopyCalls& calls) {
    const auto runner = MakeSystemCommandRunner();
    std::string received;
    for (;;) {
        bool bad = false;
        std::optional<AddressChange> change;
        const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(calls.idle.count());
        while (!(change = TakeChange(received, bad)) && !bad) {
            if (::GetTickCount64() >= deadline || !Receive(pipe, received)) return 0;
            if (received.find('\n') == std::string::npos) ::Sleep(kSlice);
        }
        if (bad) {
            (void)Send(pipe, Refusal(CopyRefusal::BadChange));
            return 2;
        }
        if (!RunChange(pipe, *runner, *change)) return 0;
    }
}

}  // namespace

int RunElevatedCopy(const std::vector<std::wstring>& words, const ElevatedCopyCalls& calls) {
    const std::optional<CopyArguments> arguments = ParseCopyArguments(words);
    if (!arguments) return 2;
    const win32::UniqueFile pipe(::CreateFileW(arguments->pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                               OPEN_EXISTING, SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                               nullptr));
    if (!pipe) return 2;
    if (const std::optional<CopyRecord> refusal = CheckWindow(pipe.get(), arguments->window, calls)) {
        (void)Send(pipe.get(), *refusal);
        return 2;
    }
    if (!Send(pipe.get(), {.kind = CopyRecord::Kind::Ready})) return 0;
    return ServeChanges(pipe.get(), calls);
}
