#include "elevation_win32.h"

#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "address_change.h"
#include "address_commands.h"
#include "command_runner_win32.h"
#include "win32/security.h"
#include "win32/system_library.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

using win32::UniqueHandle;

constexpr std::wstring_view kPipePrefix = L"\\\\.\\pipe\\netscheme-";
constexpr DWORD kAnswerBound = 10000;  // from the prompt's yes to the copy's connection
constexpr DWORD kSlice = 50;

ChangeRun NotElevated(Status why) { return {ChangeRun::Outcome::NotElevated, {}, std::move(why)}; }
ChangeRun Closed() { return {ChangeRun::Outcome::Closed, {}, {}}; }

std::wstring Hex(const unsigned char* bytes, size_t size) {
    std::wstring text;
    for (size_t i = 0; i < size; ++i) {
        text += L"0123456789abcdef"[bytes[i] >> 4];
        text += L"0123456789abcdef"[bytes[i] & 0xF];
    }
    return text;
}

// A name no other program can guess in time to take it first.
std::wstring NewPipeName() {
    unsigned char random[16] = {};
    using RtlGenRandom = BOOLEAN WINAPI(PVOID, ULONG);
    const auto generate = win32::LoadedFunction<RtlGenRandom>(L"advapi32.dll", "SystemFunction036");
    if (!generate || !generate(random, sizeof random)) {
        const ULONGLONG seed = ::GetTickCount64() ^ (ULONGLONG{::GetCurrentProcessId()} << 32);
        std::memcpy(random, &seed, sizeof seed);
    }
    return std::wstring(kPipePrefix) + Hex(random, sizeof random);
}

// The user's own SID as text, for the pipe's DACL.
std::wstring UserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    const UniqueHandle owned(token);
    std::vector<unsigned char> buffer(256);
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size)) return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

// One instance, inbound, local clients only, open to this user, SYSTEM and Administrators.
UniqueHandle CreateResultPipe(const std::wstring& name, DWORD& error) {
    const std::wstring sddl = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + UserSid() + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        error = ::GetLastError();
        return UniqueHandle();
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    UniqueHandle pipe(::CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 64 * 1024, 0, &attributes));
    error = pipe ? ERROR_SUCCESS : ::GetLastError();
    ::LocalFree(descriptor);
    return pipe;
}

// ShellExecuteExW waits while the prompt is up: it runs on a thread of its own, which owns what it uses.
struct Launch {
    HWND owner = nullptr;
    std::wstring exe, parameters;
    HANDLE process = nullptr;
    DWORD error = ERROR_SUCCESS;
};

DWORD WINAPI LaunchElevated(LPVOID parameter) {
    const std::unique_ptr<std::shared_ptr<Launch>> owned(static_cast<std::shared_ptr<Launch>*>(parameter));
    Launch& launch = **owned;
    const win32::UniqueLibrary shell32 = win32::LoadSystemLibrary(L"shell32.dll");
    const win32::UniqueLibrary ole32 = win32::LoadSystemLibrary(L"ole32.dll");
    using ShellExecuteExCall = BOOL WINAPI(SHELLEXECUTEINFOW*);
    using CoInitializeExCall = HRESULT WINAPI(LPVOID, DWORD);
    const auto execute = win32::FunctionOf<ShellExecuteExCall>(shell32.get(), "ShellExecuteExW");
    // Microsoft's advice for ShellExecuteEx: COM initialised on the calling thread.
    if (const auto initialise = win32::FunctionOf<CoInitializeExCall>(ole32.get(), "CoInitializeEx"))
        (void)initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = launch.owner;
    info.lpVerb = L"runas";
    info.lpFile = launch.exe.c_str();
    info.lpParameters = launch.parameters.c_str();
    info.nShow = SW_HIDE;
    if (!execute)
        launch.error = ERROR_PROC_NOT_FOUND;
    else if (!execute(&info))
        launch.error = ::GetLastError();
    else
        launch.process = info.hProcess;
    return 0;
}

// Drains what the copy wrote so far; false once it closed its end.
bool Drain(HANDLE pipe, std::string& received) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    while (available > 0) {
        std::string chunk(available, '\0');
        OVERLAPPED overlapped{};
        DWORD got = 0;
        if (!::ReadFile(pipe, chunk.data(), available, nullptr, &overlapped) && ::GetLastError() != ERROR_IO_PENDING)
            return false;
        if (!::GetOverlappedResult(pipe, &overlapped, &got, TRUE)) return false;
        received.append(chunk.data(), got);
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    }
    return true;
}

// A line's result as the copy sends it: outcome, exit code, the output's length in UTF-16 units,
// then the output.
void Put(std::string& out, std::uint32_t value) { out.append(reinterpret_cast<const char*>(&value), sizeof value); }

std::string Record(const CommandResult& result) {
    std::string record;
    Put(record, static_cast<std::uint32_t>(result.outcome));
    Put(record, static_cast<std::uint32_t>(result.exitCode));
    Put(record, static_cast<std::uint32_t>(result.output.size()));
    record.append(reinterpret_cast<const char*>(result.output.data()), result.output.size() * sizeof(wchar_t));
    return record;
}

std::vector<CommandResult> Records(std::string_view bytes) {
    std::vector<CommandResult> results;
    const auto take = [&bytes](std::uint32_t& value) {
        if (bytes.size() < sizeof value) return false;
        std::memcpy(&value, bytes.data(), sizeof value);
        bytes.remove_prefix(sizeof value);
        return true;
    };
    std::uint32_t outcome = 0, code = 0, length = 0;
    while (take(outcome) && take(code) && take(length) && outcome <= 3 && bytes.size() >= length * sizeof(wchar_t)) {
        std::wstring output(length, L'\0');
        std::memcpy(output.data(), bytes.data(), length * sizeof(wchar_t));
        bytes.remove_prefix(length * sizeof(wchar_t));
        results.push_back({static_cast<CommandResult::Outcome>(outcome), code, std::move(output)});
    }
    return results;
}

// Whether `process` runs the same exe as this one.
bool RunsThisExe(DWORD processId) {
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!process || !::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) return false;
    path.resize(size);
    const std::wstring own = win32::ProgramFile();
    return ::CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), own.c_str(),
                                  static_cast<int>(own.size()), TRUE) == CSTR_EQUAL;
}

ChangeRun Collect(const std::vector<std::wstring>& lines, const std::string& received) {
    ChangeRun run;
    const std::vector<CommandResult> results = Records(received);
    bool timedOut = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        // A copy that ended without a word for a line: no exit code to trust.
        std::optional<CommandResult> result;
        if (i < results.size())
            result = results[i];
        else if (!timedOut)
            result = CommandResult{CommandResult::Outcome::Unknown, 0, L""};
        timedOut = timedOut || (result && result->outcome == CommandResult::Outcome::TimedOut);
        run.lines.push_back({lines[i], result});
    }
    return run;
}

}  // namespace

std::vector<std::wstring> CommandLineWords(std::wstring_view line) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false;
    for (wchar_t c : line) {
        if (c == L'"') {
            quoted = !quoted;
        } else if ((c == L' ' || c == L'\t') && !quoted) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

namespace {

// How the start of the copy ended: its process, or the run's outcome without one.
struct Started {
    UniqueHandle process;
    std::optional<ChangeRun> instead;
};

// Starts `exe` with "runas" on a worker thread and waits for the prompt to be answered.
Started StartCopy(const std::wstring& exe, const std::wstring& parameters, win32::Wait wait,
                  const std::function<bool()>& closing) {
    auto launch = std::make_shared<Launch>();
    launch->owner = ::GetActiveWindow();
    launch->exe = exe;
    launch->parameters = parameters;
    auto parameter = std::make_unique<std::shared_ptr<Launch>>(launch);
    const UniqueHandle thread(::CreateThread(nullptr, 0, LaunchElevated, parameter.get(), 0, nullptr));
    if (!thread) return {{}, NotElevated(Status::Error(win32::ErrorText(::GetLastError())))};
    (void)parameter.release();  // the thread's now
    // The prompt may stay up as long as the user likes.
    const auto ended = [&] { return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; };
    if (!wait(thread.get(), INFINITE, kSlice, ended) || (!ended() && closing())) return {{}, Closed()};
    if (launch->error == ERROR_CANCELLED) return {{}, ChangeRun{ChangeRun::Outcome::Declined, {}, {}}};
    if (!launch->process) return {{}, NotElevated(Status::Error(win32::ErrorText(launch->error)))};
    return {UniqueHandle(launch->process), std::nullopt};
}

}  // namespace

ChangeRun RunChangeElevated(const AddressChange& change, std::chrono::milliseconds bound,
                            const std::function<bool()>& closing, win32::Wait wait, const std::wstring& exe) {
    const auto arguments = ElevatedArguments(change);
    if (!arguments) return NotElevated(Status::Because(Status::Reason::NotPlainAddress));
    const std::wstring name = NewPipeName();
    DWORD error = ERROR_SUCCESS;
    const UniqueHandle pipe = CreateResultPipe(name, error);
    if (!pipe) return NotElevated(Status::Error(win32::ErrorText(error)));
    const UniqueHandle connectedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED connect{};
    connect.hEvent = connectedEvent.get();
    if (!::ConnectNamedPipe(pipe.get(), &connect) && ::GetLastError() == ERROR_PIPE_CONNECTED)
        ::SetEvent(connectedEvent.get());

    std::wstring parameters =
        std::wstring(kElevatedMode) + L" " + name + L" " + std::to_wstring(::GetCurrentProcessId());
    for (const std::wstring& argument : *arguments) parameters += L" " + argument;
    Started started = StartCopy(exe, parameters, wait, closing);
    if (started.instead) return *started.instead;

    // The copy connects, and it is the one started here.
    const auto connected = [&] { return ::WaitForSingleObject(connectedEvent.get(), 0) == WAIT_OBJECT_0; };
    (void)wait(connectedEvent.get(), kAnswerBound, kSlice, connected);
    ULONG client = 0;
    if (!connected() || !::GetNamedPipeClientProcessId(pipe.get(), &client) ||
        client != ::GetProcessId(started.process.get()))
        return closing() ? Closed() : NotElevated(Status::Because(Status::Reason::NoAnswer));

    const std::vector<std::wstring> lines = CommandLinesOf(change);
    std::string received;
    const auto finished = [&] { return !Drain(pipe.get(), received); };  // the copy closed its end
    const DWORD total = static_cast<DWORD>(bound.count()) * static_cast<DWORD>(lines.size() + 1);
    if (!wait(started.process.get(), total, kSlice, finished)) return Closed();
    (void)Drain(pipe.get(), received);
    // Not a word back: the copy refused its arguments or its caller, and changed nothing.
    if (received.empty()) return NotElevated(Status::Because(Status::Reason::NoAnswer));
    return Collect(lines, received);
}

int RunElevatedCopy(const std::vector<std::wstring>& arguments) {
    if (arguments.size() < 3) return 2;
    const std::wstring& name = arguments[0];
    const bool nameOk = name.size() == kPipePrefix.size() + 32 && name.starts_with(kPipePrefix) &&
                        name.find_first_not_of(L"0123456789abcdef", kPipePrefix.size()) == std::wstring::npos;
    // The parent's process id, in decimal exactly as to_wstring writes it.
    const std::wstring& id = arguments[1];
    DWORD parent = 0;
    if (!id.empty() && id.size() <= 10 && id.find_first_not_of(L"0123456789") == std::wstring::npos &&
        (id == L"0" || id[0] != L'0') && std::stoull(id) <= 0xFFFFFFFFull)
        parent = static_cast<DWORD>(std::stoull(id));
    const std::optional<AddressChange> change =
        ParseElevatedArguments(std::vector<std::wstring>(arguments.begin() + 2, arguments.end()));
    if (!nameOk || parent == 0 || !change) return 2;

    const UniqueHandle pipe(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    ULONG server = 0;
    if (!pipe || !::GetNamedPipeServerProcessId(pipe.get(), &server) || server != parent || !RunsThisExe(server))
        return 2;

    const auto runner = MakeSystemCommandRunner();
    for (const std::wstring& line : CommandLinesOf(*change)) {
        const CommandResult result = RunToEnd(*runner, {Program::Netsh, line, {}}, std::chrono::seconds(30));
        const std::string record = Record(result);
        DWORD written = 0;
        // The window went away: the line that ran is done, and no other starts.
        if (!::WriteFile(pipe.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr) ||
            written != record.size())
            return 0;
        if (result.outcome == CommandResult::Outcome::TimedOut) return 0;
    }
    return 0;
}

namespace {

class ElevatedSession final : public ChangeSession {
public:
    ElevatedSession(win32::Wait wait, const std::wstring& exe) : wait_(wait), exe_(exe) {}
    ChangeRun Run(const AddressChange& change, std::chrono::milliseconds bound,
                  const std::function<bool()>& closing) override {
        return RunChangeElevated(change, bound, closing, wait_, exe_);
    }

private:
    win32::Wait wait_;
    std::wstring exe_;
};

class ElevatingChangeRunner final : public ChangeRunner {
public:
    ElevatingChangeRunner(win32::Wait wait, std::wstring exe) : wait_(wait), exe_(std::move(exe)) {}
    bool AsksForRights() const override { return true; }
    std::unique_ptr<ChangeSession> BeginClick() override {
        return std::make_unique<ElevatedSession>(wait_, exe_.empty() ? win32::ProgramFile() : exe_);
    }

private:
    win32::Wait wait_;
    std::wstring exe_;
};

}  // namespace

std::unique_ptr<ChangeRunner> MakeElevatingChangeRunner(win32::Wait wait, std::wstring exe) {
    return std::make_unique<ElevatingChangeRunner>(wait, std::move(exe));
}

std::unique_ptr<ChangeRunner> MakeChangeRunner(CommandRunner& runner, win32::Wait wait) {
    const bool elevated = win32::TokenIsElevated();
    if (elevated || !win32::UacIsOn()) return std::make_unique<LocalChangeRunner>(runner, elevated);
    return MakeElevatingChangeRunner(wait);
}
