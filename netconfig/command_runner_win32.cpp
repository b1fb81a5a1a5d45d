#include "command_runner_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "win32/message_pump.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"

namespace {

using win32::UniqueFile;
using win32::UniqueHandle;

constexpr size_t kOutputLimit = 64 * 1024;  // enough for any netsh message; bounds the box

std::wstring DecodeOem(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0) ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, text.data(), length);
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

class Win32Command final : public StartedCommand {
public:
    Win32Command(const Win32RunnerCalls& calls, UniqueHandle job, win32::ProcessInfo process, UniqueHandle outputRead)
        : calls_(calls), job_(std::move(job)), process_(std::move(process)), output_read_(std::move(outputRead)) {}

    ~Win32Command() override { End(); }

    bool WaitFor(std::chrono::milliseconds bound) override {
        // Short slices so the pipe is drained while the child writes (a full pipe stalls it).
        (void)win32::WaitKeepingWindowsPainted(process_.process.get(), static_cast<DWORD>(bound.count()), 50,
                                               [this] { return Ended(); });
        return finished_.has_value();
    }

    CommandResult Finish() override {
        if (finished_) return *finished_;
        End();
        return {CommandResult::Outcome::TimedOut, 0, DecodeOem(output_)};
    }

    void LetRun() override {
        if (finished_ || !process_.process) return;
        // The job would end it when its handle closes: lift that first.
        if (job_) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            if (!::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
                return;  // then it is ended with the program, as a command past its bound is
        }
        Release();
    }

private:
    // Whether it has ended; if so, its result is kept and its handles are let go.
    bool Ended() {
        if (finished_) return true;
        Drain();
        if (::WaitForSingleObject(process_.process.get(), 0) != WAIT_OBJECT_0) return false;
        Drain();
        DWORD code = 0;
        // An exit code that cannot be read is no success.
        if (calls_.getExitCodeProcess(process_.process.get(), &code))
            finished_ = {CommandResult::Outcome::Exited, code, DecodeOem(output_)};
        else
            finished_ = {CommandResult::Outcome::Unknown, 0, win32::ErrorText(::GetLastError())};
        // Under Wine the child's handles (a redirected output file among them) stay open while
        // its process handle does: let go now, so the caller can remove it.
        Release();
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

    void Release() {
        output_read_.reset();
        process_ = {};
        job_.reset();
    }

    void End() {
        if (!process_.process || ::WaitForSingleObject(process_.process.get(), 0) == WAIT_OBJECT_0) return;
        Drain();
        if (job_)
            ::TerminateJobObject(job_.get(), 1);
        else
            EndProcessTree(process_.process.get());
        ::WaitForSingleObject(process_.process.get(), 5000);
    }

    Win32RunnerCalls calls_;
    UniqueHandle job_;
    win32::ProcessInfo process_;
    UniqueHandle output_read_;
    std::string output_;
    std::optional<CommandResult> finished_;
};

std::wstring ProgramFile(Program program) {
    return win32::NativeProgramFolder() + (program == Program::Cmd ? L"\\cmd.exe" : L"\\netsh.exe");
}

// A job that ends the child and everything it starts when the job handle closes.
UniqueHandle MakeKillOnCloseJob() {
    UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.reset();
    return job;
}

class Win32Runner final : public CommandRunner {
public:
    explicit Win32Runner(const Win32RunnerCalls& calls) : calls_(calls) {}

    std::unique_ptr<StartedCommand> Start(const CommandLine& command) override {
        const std::wstring program = ProgramFile(command.program);
        auto fail = [&program](DWORD error) {
            return std::make_unique<NotStarted>(L"无法启动 " + program + L"：" + win32::ErrorText(error));
        };

        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 64 * 1024)) return fail(::GetLastError());
        UniqueHandle outputRead(readEnd);
        UniqueHandle outputWrite(writeEnd);
        ::SetHandleInformation(outputRead.get(), HANDLE_FLAG_INHERIT, 0);

        UniqueFile input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, 0, nullptr));
        UniqueFile outputFile;
        if (!command.outputFile.empty()) {
            outputFile.reset(::CreateFileW(command.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!outputFile) return fail(::GetLastError());
        }

        // Only these handles reach the child, whatever else this process has open.
        std::vector<HANDLE> inherited = {outputWrite.get()};
        if (input) inherited.push_back(input.get());
        if (outputFile) inherited.push_back(outputFile.get());
        SIZE_T attributeSize = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeSize);
        std::vector<unsigned char> attributeBuffer(attributeSize);
        auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
        if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &attributeSize)) return fail(::GetLastError());
        struct AttributeListGuard {
            LPPROC_THREAD_ATTRIBUTE_LIST list;
            ~AttributeListGuard() { ::DeleteProcThreadAttributeList(list); }
        } guard{attributes};
        if (!::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                         inherited.size() * sizeof(HANDLE), nullptr, nullptr))
            return fail(::GetLastError());

        STARTUPINFOEXW startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = SW_HIDE;
        startup.StartupInfo.hStdInput = input ? input.get() : nullptr;
        startup.StartupInfo.hStdOutput = outputFile ? outputFile.get() : outputWrite.get();
        startup.StartupInfo.hStdError = outputWrite.get();
        startup.lpAttributeList = attributes;

        std::wstring line = command.text;  // CreateProcessW may write into its command line
        const std::wstring folder = win32::SystemFolder();
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                              CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                              folder.c_str(), &startup.StartupInfo, &info))
            return fail(::GetLastError());
        win32::ProcessInfo process{UniqueHandle(info.hProcess), UniqueHandle(info.hThread)};

        UniqueHandle job = MakeKillOnCloseJob();
        if (job && !calls_.assignProcessToJobObject(job.get(), process.process.get())) job.reset();
        if (calls_.resumeThread(process.thread.get()) == static_cast<DWORD>(-1)) {
            // A child that never runs would otherwise wait suspended until the time bound.
            const DWORD error = ::GetLastError();
            ::TerminateProcess(process.process.get(), 1);
            return fail(error);
        }
        return std::make_unique<Win32Command>(calls_, std::move(job), std::move(process), std::move(outputRead));
    }

    std::wstring DecodeOutput(std::string_view bytes) const override { return DecodeOem(bytes); }

    bool RunsElevated() const override {
        // The Administrators group counts only where it is enabled in the token: not in the
        // filtered token UAC gives a program started without "以管理员身份运行".
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID administrators = nullptr;
        if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                        &administrators))
            return true;  // unknown: claim nothing
        BOOL member = TRUE;
        if (!::CheckTokenMembership(nullptr, administrators, &member)) member = TRUE;
        ::FreeSid(administrators);
        return member != FALSE;
    }

private:
    Win32RunnerCalls calls_;
};

}  // namespace

std::unique_ptr<CommandRunner> MakeWin32CommandRunner(const Win32RunnerCalls& calls) {
    return std::make_unique<Win32Runner>(calls);
}

std::unique_ptr<CommandRunner> MakeSystemCommandRunner() { return MakeWin32CommandRunner({}); }
