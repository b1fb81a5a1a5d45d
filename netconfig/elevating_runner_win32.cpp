#include "elevating_runner_win32.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "address_commands.h"
#include "copy_protocol.h"
#include "win32/registry.h"
#include "win32/security.h"
#include "win32/system_library.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"
#include "win32/worker_thread.h"

namespace {

constexpr DWORD kAnswerBound = 10000;  // from the prompt's yes to the copy's first word
constexpr DWORD kSlice = 50;

ChangeRun NotHad(Status why) { return {ChangeRun::Outcome::NotElevated, {}, std::move(why)}; }

// A name no other program can guess in time to take it first.
std::wstring NewPipeName() {
    unsigned char random[16] = {};
    using RtlGenRandom = BOOLEAN WINAPI(PVOID, ULONG);
    const auto generate = win32::LoadedFunction<RtlGenRandom>(L"advapi32.dll", "SystemFunction036");
    if (!generate || !generate(random, sizeof random)) {
        const ULONGLONG seed = ::GetTickCount64() ^ (ULONGLONG{::GetCurrentProcessId()} << 32);
        std::memcpy(random, &seed, sizeof seed);
    }
    return CopyPipeName(random);
}

// One instance, both ways, local clients only; open to this user, SYSTEM and Administrators (the
// copy may run as another administrator). CreateNamedPipeW fails with INVALID_HANDLE_VALUE.
win32::UniqueFile MakePipe(const ElevationCalls& calls, const std::wstring& name, DWORD& error) {
    const win32::UniqueLocal descriptor =
        win32::SecurityDescriptorOf(L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + win32::UserSidText() + L")", error);
    if (!descriptor) return win32::UniqueFile();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    win32::UniqueFile pipe(
        calls.createNamedPipe(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                              PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 4096,
                              64 * 1024, 0, &attributes));
    error = pipe ? ERROR_SUCCESS : ::GetLastError();
    return pipe;
}

// ShellExecuteExW waits while the prompt is up: it runs on a worker, and this is all it touches.
struct Launch {
    HWND owner = nullptr;
    std::wstring exe, parameters;
    win32::UniqueHandle process;
    DWORD error = ERROR_SUCCESS;
};

void LaunchElevated(Launch& launch) {
    using ShellExecuteExCall = BOOL WINAPI(SHELLEXECUTEINFOW*);
    using CoInitializeExCall = HRESULT WINAPI(LPVOID, DWORD);
    const win32::SystemFunction<ShellExecuteExCall> execute(L"shell32.dll", "ShellExecuteExW");
    const win32::SystemFunction<CoInitializeExCall> initialise(L"ole32.dll", "CoInitializeEx");
    const win32::SystemFunction<void WINAPI()> uninitialise(L"ole32.dll", "CoUninitialize");
    // Microsoft's advice for ShellExecuteEx: COM initialised on the calling thread.
    win32::UniqueCoUninitialize com;
    if (initialise && uninitialise && SUCCEEDED(initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        com.reset(uninitialise.get());
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The user already ran this very file: no second warning for the zone it came from.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOZONECHECKS;
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
        launch.process.reset(info.hProcess);
}

// A started copy and the pipe the window talks to it through.
class Copy {
public:
    Copy(win32::UniqueFile pipe, win32::UniqueHandle process) : pipe_(std::move(pipe)), process_(std::move(process)) {}

    [[nodiscard]] bool Ended() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

    // Waits at most `milliseconds` until `enough` says the records suffice, or the copy has gone
    // silent for good; false when the program is being closed.
    bool Await(win32::Wait wait, DWORD milliseconds, const std::function<bool()>& enough) {
        return wait(process_.get(), milliseconds, kSlice, [&] { return !Drain() || enough(); });
    }

    [[nodiscard]] std::vector<CopyRecord>& records() { return records_; }

    // Hands the change over; false when the copy cannot be reached.
    bool Hand(const std::string& change) {
        OVERLAPPED overlapped{};
        DWORD written = 0;
        if (!::WriteFile(pipe_.get(), change.data(), static_cast<DWORD>(change.size()), nullptr, &overlapped) &&
            ::GetLastError() != ERROR_IO_PENDING)
            return false;
        return ::GetOverlappedResult(pipe_.get(), &overlapped, &written, TRUE) && written == change.size();
    }

private:
    // Takes what the copy wrote so far; false once it closed its end or wrote what is no record.
    bool Drain() {
        while (open_) {
            DWORD available = 0;
            // A copy that wrote and ended at once: PeekNamedPipe may say broken before what it wrote
            // is read (seen under Wine), which reads still give until they fail too.
            const bool peeked = ::PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &available, nullptr);
            if (peeked && available == 0) break;
            open_ = (peeked || ::GetLastError() == ERROR_BROKEN_PIPE) && Read(peeked ? available : 4096);
        }
        return TakeRecords(received_, records_) && open_;
    }

    // One read of at most `size` bytes that are there now; false when nothing could be read.
    bool Read(DWORD size) {
        std::string chunk(size, '\0');
        OVERLAPPED overlapped{};
        DWORD got = 0;
        if (!::ReadFile(pipe_.get(), chunk.data(), size, nullptr, &overlapped) && ::GetLastError() != ERROR_IO_PENDING)
            return false;
        if (!::GetOverlappedResult(pipe_.get(), &overlapped, &got, TRUE) || got == 0) return false;
        received_.append(chunk.data(), got);
        return true;
    }

    win32::UniqueFile pipe_;
    win32::UniqueHandle process_;
    std::string received_;
    std::vector<CopyRecord> records_;
    bool open_ = true;
};

// The lines of a change the copy took, from its records: a copy that ended (or fell silent) before
// it reported a line leaves that line's result unknown (it may have run), and the rest not run.
ChangeRun Collect(const std::vector<std::wstring>& lines, const std::vector<CopyRecord>& records) {
    ChangeRun run{ChangeRun::Outcome::Ran, {}, {}, true};
    std::vector<CommandResult> results;
    for (const CopyRecord& record : records)
        if (record.kind == CopyRecord::Kind::Line) results.push_back(record.result);
    bool stopped = false;  // a line timed out, or one is lost: no later line ran
    for (size_t i = 0; i < lines.size(); ++i) {
        std::optional<CommandResult> result;
        if (i < results.size())
            result = results[i];
        else if (!stopped)
            result = CommandResult{CommandResult::Outcome::Lost, 0, L""};
        stopped = stopped || !result || result->outcome == CommandResult::Outcome::TimedOut ||
                  result->outcome == CommandResult::Outcome::Lost;
        run.lines.push_back({lines[i], result});
    }
    return run;
}

// The window's end of the pipe until the copy connects. A connection still pending is cancelled,
// and done with, before its OVERLAPPED goes.
class ListeningPipe {
public:
    ListeningPipe(const ElevationCalls& calls, const std::wstring& name)
        : pipe_(MakePipe(calls, name, error_)), connected_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (!pipe_) return;
        connect_.hEvent = connected_.get();
        if (::ConnectNamedPipe(pipe_.get(), &connect_)) return;
        const DWORD error = ::GetLastError();
        if (error == ERROR_PIPE_CONNECTED) ::SetEvent(connected_.get());
        pending_ = error == ERROR_IO_PENDING;
    }
    ~ListeningPipe() {
        DWORD ignored = 0;
        if (pending_ && pipe_ && ::CancelIoEx(pipe_.get(), &connect_))
            (void)::GetOverlappedResult(pipe_.get(), &connect_, &ignored, TRUE);
    }
    ListeningPipe(const ListeningPipe&) = delete;
    ListeningPipe& operator=(const ListeningPipe&) = delete;

    [[nodiscard]] explicit operator bool() const { return static_cast<bool>(pipe_); }
    [[nodiscard]] DWORD error() const { return error_; }
    [[nodiscard]] HANDLE pipe() const { return pipe_.get(); }
    [[nodiscard]] HANDLE event() const { return connected_.get(); }
    [[nodiscard]] bool Connected() const { return ::WaitForSingleObject(connected_.get(), 0) == WAIT_OBJECT_0; }
    // The pipe, once a client is connected.
    [[nodiscard]] win32::UniqueFile Take() { return std::move(pipe_); }

private:
    DWORD error_ = ERROR_SUCCESS;
    win32::UniqueFile pipe_;
    win32::UniqueHandle connected_;
    OVERLAPPED connect_{};
    bool pending_ = false;
};

// Starts the copy with "runas" on a worker and waits for the prompt to be answered, however long
// the user takes: the copy's process, or what the prompt came to.
std::optional<ChangeRun> Prompt(const ElevationCalls& calls, const std::wstring& pipe, win32::UniqueHandle& process) {
    auto launch = std::make_shared<Launch>();
    launch->owner = ::GetActiveWindow();
    launch->exe = calls.exe.empty() ? win32::ProgramFile() : calls.exe;
    launch->parameters = CopyParameters({pipe, ::GetCurrentProcessId()});
    bool open = true;
    if (!win32::RunOnItsThread(
            calls.wait, [launch] { LaunchElevated(*launch); }, INFINITE, open))
        return ChangeRun{.outcome = ChangeRun::Outcome::Closed};
    if (launch->error == ERROR_CANCELLED) return ChangeRun{.outcome = ChangeRun::Outcome::Declined};
    if (!launch->process) return NotHad(Status::Error(win32::ErrorText(launch->error)));
    process = std::move(launch->process);
    return std::nullopt;
}

// A copy ready for the click's changes, or what its start came to.
struct Started {
    std::unique_ptr<Copy> copy;
    ChangeRun instead;
};

// The copy's first word: ready, or why it will not serve this window.
Started FirstWord(std::unique_ptr<Copy> copy, win32::Wait wait) {
    if (!copy->Await(wait, kAnswerBound, [&] { return !copy->records().empty(); }))
        return {nullptr, {.outcome = ChangeRun::Outcome::Closed}};
    if (copy->records().empty()) return {nullptr, NotHad(Status::Because(Status::Reason::CopyEnded))};
    const CopyRecord first = copy->records().front();
    copy->records().clear();
    if (first.kind == CopyRecord::Kind::Ready) return {std::move(copy), {}};
    if (first.kind != CopyRecord::Kind::Refused) return {nullptr, NotHad(Status::Because(Status::Reason::NoAnswer))};
    return {nullptr, {ChangeRun::Outcome::Refused, {}, StatusOf(first.refusal, first.detail), true}};
}

// Makes the pipe (a failure is said before any prompt), starts the copy, waits for it to connect
// and checks that it is the copy started here: else it is handed nothing, and changes nothing.
Started StartCopy(const ElevationCalls& calls, const std::function<bool()>& closing) {
    const std::wstring name = NewPipeName();
    ListeningPipe listening(calls, name);
    if (!listening) return {nullptr, NotHad(Status::Error(win32::ErrorText(listening.error())))};
    win32::UniqueHandle process;
    if (std::optional<ChangeRun> instead = Prompt(calls, name, process)) return {nullptr, std::move(*instead)};
    (void)calls.wait(listening.event(), kAnswerBound, kSlice, [&] { return listening.Connected(); });
    ULONG client = 0;
    if (!listening.Connected() || !calls.clientProcessId(listening.pipe(), &client) ||
        client != ::GetProcessId(process.get()))
        return {nullptr, closing() ? ChangeRun{.outcome = ChangeRun::Outcome::Closed}
                                   : NotHad(Status::Because(Status::Reason::NoAnswer))};
    return FirstWord(std::make_unique<Copy>(listening.Take(), std::move(process)), calls.wait);
}

// Hands `change` to the copy and collects its lines' results; `taken` when the copy accepted it.
ChangeRun RunInCopy(Copy& copy, const std::string& change, const std::vector<std::wstring>& lines,
                    std::chrono::milliseconds bound, win32::Wait wait, bool& taken) {
    copy.records().clear();
    const auto has = [&copy](CopyRecord::Kind kind) {
        return std::any_of(copy.records().begin(), copy.records().end(),
                           [kind](const CopyRecord& r) { return r.kind == kind; });
    };
    const DWORD total = static_cast<DWORD>(bound.count()) * static_cast<DWORD>(lines.size() + 1);
    if (copy.Hand(change) && !copy.Await(wait, total, [&] { return has(CopyRecord::Kind::Done); }))
        return {ChangeRun::Outcome::Closed, {}, {}, true};
    taken = has(CopyRecord::Kind::Accepted);
    return Collect(lines, copy.records());
}

class ElevatedSession final : public ChangeSession {
public:
    explicit ElevatedSession(const ElevationCalls& calls) : calls_(calls) {}

    ChangeRun Run(const AddressChange& change, std::chrono::milliseconds bound,
                  const std::function<bool()>& closing) override {
        const std::optional<std::string> handed = EncodeChange(change);
        if (!handed) return NotHad(Status::Because(Status::Reason::NotPlainAddress));
        if (copy_ && copy_->Ended()) copy_.reset();  // its two minutes passed: a new one asks again
        const bool reused = copy_ != nullptr;
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!copy_) {
                Started started = StartCopy(calls_, closing);
                if (!started.copy) return std::move(started.instead);
                copy_ = std::move(started.copy);
            }
            bool taken = false;
            ChangeRun run = RunInCopy(*copy_, *handed, CommandLinesOf(change), bound, calls_.wait, taken);
            if (taken || run.outcome == ChangeRun::Outcome::Closed) return run;
            // It ended before it took the change: nothing ran. One that sat idle may have reached its
            // two minutes a moment before; a new one asks again.
            copy_.reset();
            if (!reused) break;
        }
        return NotHad(Status::Because(Status::Reason::CopyEnded));
    }

private:
    ElevationCalls calls_;
    std::unique_ptr<Copy> copy_;  // goes with the click: its pipe closes and the copy ends
};

class ElevatingChangeRunner final : public ChangeRunner {
public:
    explicit ElevatingChangeRunner(ElevationCalls calls) : calls_(std::move(calls)) {}
    bool AsksForRights() const override { return true; }
    std::unique_ptr<ChangeSession> BeginClick() override { return std::make_unique<ElevatedSession>(calls_); }

private:
    ElevationCalls calls_;
};

}  // namespace

std::unique_ptr<ChangeRunner> MakeElevatingChangeRunner(const ElevationCalls& calls) {
    return std::make_unique<ElevatingChangeRunner>(calls);
}

Rights ReadRights() {
    // Shared by 32- and 64-bit programs alike under WOW64.
    const std::wstring policies = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    Rights rights;
    rights.elevated = win32::TokenIsElevated();
    rights.uacOn = win32::UacIsOn();
    rights.filteredAdministrator = win32::TokenIsFilteredAdministrator();
    rights.consentPromptBehaviorUser = win32::ReadDword(HKEY_LOCAL_MACHINE, policies, L"ConsentPromptBehaviorUser");
    rights.validateAdminCodeSignatures = win32::ReadDword(HKEY_LOCAL_MACHINE, policies, L"ValidateAdminCodeSignatures");
    return rights;
}

std::unique_ptr<ChangeRunner> MakeChangeRunner(CommandRunner& runner, win32::Wait wait) {
    const ChangePlace place = PlaceForChanges(ReadRights());
    switch (place.where) {
    case ChangePlace::Where::Here: return std::make_unique<LocalChangeRunner>(runner, place.elevated);
    case ChangePlace::Where::Nowhere: return std::make_unique<RefusedChangeRunner>(place.why);
    case ChangePlace::Where::ElevatedCopy: break;
    }
    ElevationCalls calls;
    calls.wait = wait;
    return MakeElevatingChangeRunner(calls);
}
