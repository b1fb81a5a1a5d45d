#include "command_runner_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

using win32::UniqueFile;
using win32::UniqueHandle;

constexpr size_t kOutputLimit = 64 * 1024;  // enough for any netsh message; bounds the box

// What a console program wrote: in the OEM code page, unless a console code page set in the
// registry (HKCU\Console) or by chcp made it UTF-8. Bytes that are valid UTF-8 and not all ASCII
// are taken as UTF-8: Chinese text in code page 936 is almost never valid UTF-8.
std::wstring DecodeOem(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    UINT codePage = CP_OEMCP;
    DWORD flags = 0;
    if (!ascii && ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0) > 0) {
        codePage = CP_UTF8;
        flags = MB_ERR_INVALID_CHARS;
    }
    const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0) ::MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length);
    return text;
}

class NotStarted final : public StartedCommand {
public:
    explicit NotStarted(std::wstring why) : why_(std::move(why)) {}
    bool WaitFor(std::chrono::milliseconds) override { return true; }
    CommandResult Finish() override { return {CommandResult::Outcome::NotStarted, 0, why_}; }
    void LetRun() override {}

private:
    std::wstring why_;
};

ULONGLONG CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Ends a process that is in no job of ours, and every process it started (cmd's netsh), found
// by their parents' ids; a process started before the root only reuses an old id and is spared.
void EndProcessTree(HANDLE root) {
    const DWORD rootId = ::GetProcessId(root);
    const ULONGLONG rootCreated = CreationTime(root);
    std::vector<PROCESSENTRY32W> processes;
    UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (snapshot && ::Process32FirstW(snapshot.get(), &entry)) {
        do processes.push_back(entry);
        while (::Process32NextW(snapshot.get(), &entry));
    }
    ::TerminateProcess(root, 1);  // first, so it starts nothing more
    std::vector<DWORD> tree = {rootId};
    for (size_t i = 0; i < tree.size(); ++i) {
        for (const PROCESSENTRY32W& p : processes) {
            if (p.th32ParentProcessID != tree[i] || p.th32ProcessID == rootId ||
                std::find(tree.begin(), tree.end(), p.th32ProcessID) != tree.end())
                continue;
            UniqueHandle child(
                ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, p.th32ProcessID));
            if (!child || CreationTime(child.get()) < rootCreated) continue;
            tree.push_back(p.th32ProcessID);
            ::TerminateProcess(child.get(), 1);
        }
    }
}

// A started child and everything it starts: in a job of ours that ends them all when its handle
// closes, or, where Windows 7 cannot nest that job in one this program already runs in, found by
// their parents' ids when they have to be ended.
class ProcessTree {
public:
    ProcessTree(const Win32RunnerCalls& calls, win32::ProcessInfo process)
        : process_(std::move(process)), job_(::CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job_ &&
            (!::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
             !calls.assignProcessToJobObject(job_.get(), process_.process.get())))
            job_.reset();
    }

    [[nodiscard]] HANDLE process() const { return process_.process.get(); }
    [[nodiscard]] HANDLE thread() const { return process_.thread.get(); }
    [[nodiscard]] bool Running() const {
        return process_.process && ::WaitForSingleObject(process_.process.get(), 0) != WAIT_OBJECT_0;
    }

    void End() {
        if (!Running()) return;
        if (job_)
            ::TerminateJobObject(job_.get(), 1);
        else
            EndProcessTree(process_.process.get());
        ::WaitForSingleObject(process_.process.get(), 5000);
    }

    // Lets go of it, so that it finishes on its own; false when it would still be ended with
    // this program (the job's kill-on-close could not be lifted).
    bool LetGo() {
        if (job_) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            if (!::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
                return false;
        }
        Release();
        return true;
    }

    void Release() {
        process_ = {};
        job_.reset();
    }

private:
    win32::ProcessInfo process_;
    UniqueHandle job_;
};

class Win32Command final : public StartedCommand {
public:
    Win32Command(const Win32RunnerCalls& calls, ProcessTree tree, UniqueHandle outputRead)
        : calls_(calls), tree_(std::move(tree)), output_read_(std::move(outputRead)) {}

    ~Win32Command() override { End(); }

    bool WaitFor(std::chrono::milliseconds bound) override {
        // Short slices so the pipe is drained while the child writes (a full pipe stalls it).
        (void)calls_.wait(tree_.process(), static_cast<DWORD>(bound.count()), 50, [this] { return Ended(); });
        return finished_.has_value();
    }

    CommandResult Finish() override {
        if (finished_) return *finished_;
        End();
        return {CommandResult::Outcome::TimedOut, 0, DecodeOem(output_)};
    }

    void LetRun() override {
        if (!finished_ && tree_.LetGo()) output_read_.reset();
    }

private:
    // Whether it has ended; if so, its result is kept and its handles are let go.
    bool Ended() {
        if (finished_) return true;
        Drain();
        if (tree_.Running()) return false;
        Drain();
        DWORD code = 0;
        // An exit code that cannot be read is no success.
        if (calls_.getExitCodeProcess(tree_.process(), &code))
            finished_ = {CommandResult::Outcome::Exited, code, DecodeOem(output_)};
        else
            finished_ = {CommandResult::Outcome::Unknown, 0, win32::ErrorText(::GetLastError())};
        // The child has ended: its handles go now, so the caller can remove a file it wrote to
        // (under Wine an ended child's files stay open as long as its process handle does).
        tree_.Release();
        output_read_.reset();
        return true;
    }

    // Never a blocking ReadFile: a grandchild may still hold the pipe open after the child ended.
    void Drain() {
        if (!output_read_) return;
        for (;;) {
            DWORD available = 0;
            if (!::PeekNamedPipe(output_read_.get(), nullptr, 0, nullptr, &available, nullptr) || available == 0)
                return;
            char buffer[4096];
            DWORD got = 0;
            const DWORD want = std::min<DWORD>(available, sizeof buffer);
            if (!::ReadFile(output_read_.get(), buffer, want, &got, nullptr) || got == 0) return;
            if (output_.size() < kOutputLimit)
                output_.append(buffer, std::min<size_t>(got, kOutputLimit - output_.size()));
        }
    }

    void End() {
        if (!tree_.Running()) return;
        Drain();
        tree_.End();
    }

    Win32RunnerCalls calls_;
    ProcessTree tree_;
    UniqueHandle output_read_;
    std::string output_;
    std::optional<CommandResult> finished_;
};

std::wstring ProgramFile(const std::wstring& folder, Program program) {
    return (folder.empty() ? win32::NativeProgramFolder() : folder) +
           (program == Program::Cmd ? L"\\cmd.exe" : L"\\netsh.exe");
}

// The pipe a child writes to: the write end is inheritable, the read end is ours alone.
DWORD MakeOutputPipe(UniqueHandle& read, UniqueHandle& write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 64 * 1024)) return ::GetLastError();
    read.reset(readEnd);
    write.reset(writeEnd);
    ::SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
    return ERROR_SUCCESS;
}

// The handles a child inherits, and only those, whatever else this process has open: a
// PROC_THREAD_ATTRIBUTE_HANDLE_LIST, owned.
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        if (!::InitializeProcThreadAttributeList(list(), 1, 0, &size)) {
            error_ = ::GetLastError();
            return;
        }
        initialized_ = true;
        if (!::UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                         handles_.size() * sizeof(HANDLE), nullptr, nullptr))
            error_ = ::GetLastError();
    }
    ~InheritedHandles() {
        if (initialized_) ::DeleteProcThreadAttributeList(list());
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    [[nodiscard]] DWORD error() const { return error_; }
    [[nodiscard]] LPPROC_THREAD_ATTRIBUTE_LIST list() {
        return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    }

private:
    std::vector<HANDLE> handles_;
    std::vector<unsigned char> buffer_;
    bool initialized_ = false;
    DWORD error_ = ERROR_SUCCESS;
};

// A child's standard handles: input from NUL, output into the pipe or a file, errors into the pipe.
struct StandardHandles {
    UniqueFile input;
    UniqueFile outputFile;
    HANDLE output = nullptr;
    HANDLE error = nullptr;

    DWORD Open(const FilePath& file, HANDLE pipe) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        input.reset(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                  nullptr));
        if (!file.empty()) {
            outputFile.reset(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!outputFile) return ::GetLastError();
        }
        output = outputFile ? outputFile.get() : pipe;
        error = pipe;
        return ERROR_SUCCESS;
    }
    [[nodiscard]] std::vector<HANDLE> All() const {
        std::vector<HANDLE> handles = {error};
        if (input) handles.push_back(input.get());
        if (outputFile) handles.push_back(outputFile.get());
        return handles;
    }
};

// Starts program suspended (so that nothing it starts escapes the job it is put into), hidden,
// with the system folder as its current folder and only the standard handles inherited.
DWORD CreateSuspended(const std::wstring& program, std::wstring line, const StandardHandles& standard,
                      PROCESS_INFORMATION& info) {
    InheritedHandles inherited(standard.All());
    if (inherited.error() != ERROR_SUCCESS) return inherited.error();
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = standard.input ? standard.input.get() : nullptr;
    startup.StartupInfo.hStdOutput = standard.output;
    startup.StartupInfo.hStdError = standard.error;
    startup.lpAttributeList = inherited.list();
    const std::wstring folder = win32::SystemFolder();
    // `line` is a copy: CreateProcessW may write into its command line.
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, folder.c_str(),
                          &startup.StartupInfo, &info))
        return ::GetLastError();
    return ERROR_SUCCESS;
}

class Win32Runner final : public CommandRunner {
public:
    explicit Win32Runner(const Win32RunnerCalls& calls) : calls_(calls) {}

    std::unique_ptr<StartedCommand> Start(const CommandLine& command) override {
        const std::wstring program = ProgramFile(calls_.programFolder, command.program);
        auto fail = [&program](DWORD error) {
            return std::make_unique<NotStarted>(win32::ErrorText(error));  // the messages name the line
        };
        UniqueHandle outputRead, outputWrite;
        StandardHandles standard;
        PROCESS_INFORMATION info{};
        DWORD error = MakeOutputPipe(outputRead, outputWrite);
        if (error == ERROR_SUCCESS) error = standard.Open(command.outputFile, outputWrite.get());
        if (error == ERROR_SUCCESS) error = CreateSuspended(program, command.text, standard, info);
        if (error != ERROR_SUCCESS) return fail(error);

        ProcessTree tree(calls_, {UniqueHandle(info.hProcess), UniqueHandle(info.hThread)});
        if (calls_.resumeThread(tree.thread()) == static_cast<DWORD>(-1)) {
            // A child that never runs would otherwise wait suspended until the time bound.
            error = ::GetLastError();
            ::TerminateProcess(tree.process(), 1);
            return fail(error);
        }
        return std::make_unique<Win32Command>(calls_, std::move(tree), std::move(outputRead));
    }

    std::wstring DecodeOutput(std::string_view bytes) const override { return DecodeOem(bytes); }

private:
    Win32RunnerCalls calls_;
};

}  // namespace

std::unique_ptr<CommandRunner> MakeWin32CommandRunner(const Win32RunnerCalls& calls) {
    return std::make_unique<Win32Runner>(calls);
}

std::unique_ptr<CommandRunner> MakeSystemCommandRunner(win32::Wait wait) {
    Win32RunnerCalls calls;
    calls.wait = wait;
    return MakeWin32CommandRunner(calls);
}
