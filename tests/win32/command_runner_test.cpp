// The real runner against the stand-in netsh in the prefix's system folder: the exact command
// line, the system folder as current folder, exit codes, captured OEM output, the time bound,
// and the listing redirected by cmd into folders with awkward names.
#include "netconfig/command_runner_win32.h"

#include <gtest/gtest.h>

#include "fakes/temp_folder.h"
#include "netconfig/listing_command.h"
#include "win32/system_text.h"
#include "window_helpers.h"

namespace {

using namespace std::chrono_literals;
using wintest::ReadLogLines;
using wintest::ScopedVariable;

const std::string kListingBytes =  // the stand-in's listing as cmd writes it to the file, in 936
    "\r\n\xB9\xDC\xC0\xED\xD4\xB1\xD7\xB4\xCC\xAC";

class CommandRunnerTest : public ::testing::Test {
protected:
    [[nodiscard]] std::vector<std::wstring> Log() const { return ReadLogLines(log_path_); }
    [[nodiscard]] bool Logged(const std::wstring& entry) const {
        const auto lines = Log();
        return std::find(lines.begin(), lines.end(), entry) != lines.end();
    }

    TempFolder folder_;
    std::wstring log_path_ = folder_ / "netsh.log";
    ScopedVariable log_{L"NETSH_STANDIN_LOG", log_path_};
    std::unique_ptr<CommandRunner> runner_ = MakeWin32CommandRunner(wintest::StandInCalls());
};

TEST_F(CommandRunnerTest, NetshGetsTheExactLineInTheSystemFolderAndItsOutputIsDecoded) {
    ScopedVariable output(L"NETSH_STANDIN_OUTPUT", L"确定。\r\n");
    const std::wstring line =
        L"netsh interface ip set address name=\"以太网 2\" source=static addr=10.0.0.7 mask=255.0.0.0 "
        L"gateway=10.0.0.1 ";
    const CommandResult result = RunToEnd(*runner_, {Program::Netsh, line, {}}, 20s);
    EXPECT_EQ(result.outcome, CommandResult::Outcome::Exited);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(result.output, L"确定。\r\n");
    EXPECT_TRUE(Logged(L"line:" + line));
    EXPECT_TRUE(Logged(L"folder:" + win32::SystemFolder()));
}

TEST_F(CommandRunnerTest, ANonZeroExitIsAFailureWithWhatNetshSaid) {
    ScopedVariable output(L"NETSH_STANDIN_OUTPUT", L"此接口上已启用 DHCP。");
    ScopedVariable exit(L"NETSH_STANDIN_EXIT", L"1");
    const CommandResult result =
        RunToEnd(*runner_, {Program::Netsh, L"netsh interface ip set address name=\"以太网\" source=dhcp", {}}, 20s);
    EXPECT_EQ(result.outcome, CommandResult::Outcome::Exited);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_FALSE(result.Succeeded());
    if (wintest::OemIs936()) {
        EXPECT_EQ(result.output, L"此接口上已启用 DHCP。");
    }
}

TEST_F(CommandRunnerTest, MoreOutputThanThePipeHoldsDoesNotStallTheChild) {
    ScopedVariable output(L"NETSH_STANDIN_OUTPUT", std::wstring(1000, L'网'));
    ScopedVariable repeat(L"NETSH_STANDIN_REPEAT", L"300");  // 600 KB through a 64 KB pipe
    const CommandResult result = RunToEnd(*runner_, {Program::Netsh, L"netsh", {}}, 30s);
    EXPECT_EQ(result.outcome, CommandResult::Outcome::Exited);
    EXPECT_FALSE(result.output.empty());
    EXPECT_LE(result.output.size(), 64u * 1024u);
    EXPECT_TRUE(Logged(L"printed"));
}

BOOL WINAPI RefuseNestedJob(HANDLE, HANDLE) {
    ::SetLastError(ERROR_ACCESS_DENIED);  // what Windows 7 says when this program already runs in a job
    return FALSE;
}

TEST_F(CommandRunnerTest, ACommandThatRunsTooLongIsEndedWithItsChildrenAndCountsAsFailed) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();  // cmd finds netsh in the system folder
    Win32RunnerCalls withoutJob;
    withoutJob.wait = win32::WaitKeepingWindowsPainted;
    withoutJob.assignProcessToJobObject = RefuseNestedJob;
    for (bool inJob : {true, false}) {
        SCOPED_TRACE(inJob ? "in a job of ours" : "no job of ours (Windows 7 inside another job)");
        ::DeleteFileW(log_path_.c_str());
        auto runner =
            inJob ? MakeSystemCommandRunner(win32::WaitKeepingWindowsPainted) : MakeWin32CommandRunner(withoutJob);
        ScopedVariable sleep(L"NETSH_STANDIN_SLEEP_MS", L"1500");
        const CommandResult result =
            RunToEnd(*runner, {Program::Cmd, L"cmd.exe /c netsh interface show interface", {}}, 500ms);
        EXPECT_EQ(result.outcome, CommandResult::Outcome::TimedOut);
        EXPECT_FALSE(result.Succeeded());
        EXPECT_FALSE(Logged(L"woke"));  // ended before the stand-in's sleep was over
        ::Sleep(2000);
        EXPECT_TRUE(Logged(L"printed"));
        EXPECT_FALSE(Logged(L"woke")) << "cmd's netsh outlived the time bound";
    }
}

DWORD WINAPI FailToResume(HANDLE) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return static_cast<DWORD>(-1);
}

BOOL WINAPI FailToReadExitCode(HANDLE, LPDWORD code) {
    *code = 0;  // what a caller that ignored the result would take for success
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(CommandRunnerTest, AChildThatCannotRunOrWhoseExitCodeCannotBeReadIsAFailure) {
    Win32RunnerCalls noResume = wintest::StandInCalls();
    noResume.resumeThread = FailToResume;
    const CommandResult suspended = RunToEnd(*MakeWin32CommandRunner(noResume), {Program::Netsh, L"netsh", {}}, 5s);
    EXPECT_EQ(suspended.outcome, CommandResult::Outcome::NotStarted);
    EXPECT_FALSE(suspended.output.empty());  // why, in the system's words

    Win32RunnerCalls noExitCode = wintest::StandInCalls();
    noExitCode.getExitCodeProcess = FailToReadExitCode;
    const CommandResult unread = RunToEnd(*MakeWin32CommandRunner(noExitCode), {Program::Netsh, L"netsh", {}}, 20s);
    EXPECT_EQ(unread.outcome, CommandResult::Outcome::Unknown);
    EXPECT_FALSE(unread.Succeeded());
    ::Sleep(300);
    EXPECT_EQ(Log().size(), 4u);  // only the second one ran: its line, folder, parent and "printed"
}

TEST_F(CommandRunnerTest, StartsTheNativeNetshAndCmdAlsoAsA32BitProgram) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();
    runner_ = MakeSystemCommandRunner(win32::WaitKeepingWindowsPainted);
    // To a 32-bit program on 64-bit Windows, System32 is SysWOW64: there netsh is Wine's stub.
    if (wintest::RunsUnderWow64()) {
        EXPECT_NE(ReadBytes(std::filesystem::path(wintest::SystemFile(L"netsh.exe"))),
                  ReadBytes(std::filesystem::path(wintest::StandInNetsh())));
    }
    EXPECT_TRUE(RunToEnd(*runner_, {Program::Netsh, L"netsh.exe interface show interface", {}}, 20s).Succeeded());
    EXPECT_TRUE(RunToEnd(*runner_, {Program::Cmd, L"cmd.exe /c netsh interface ip show config", {}}, 20s).Succeeded());
    EXPECT_TRUE(Logged(L"line:netsh.exe interface show interface"));
    // cmd hands netsh its own spelling of the line; the words after the program name stay.
    const auto log = Log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::wstring& entry) {
        return entry.starts_with(L"line:netsh") && entry.ends_with(L" interface ip show config");
    }));
}

// The window was closed while netsh runs: the wait ends at once, the WM_QUIT is kept for the
// loop, and netsh, let run, finishes its change on its own.
TEST_F(CommandRunnerTest, AQuitWhileWaitingEndsTheWaitAndTheCommandLetRunFinishesOnItsOwn) {
    ScopedVariable sleep(L"NETSH_STANDIN_SLEEP_MS", L"1000");
    auto command = runner_->Start({Program::Netsh, L"netsh", {}});
    ::PostQuitMessage(7);
    EXPECT_FALSE(command->WaitFor(20s));
    EXPECT_FALSE(Logged(L"woke"));  // the wait ended before netsh did
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    command->LetRun();
    command.reset();
    ::Sleep(2000);
    EXPECT_TRUE(Logged(L"woke")) << "netsh was ended with the program";
}

// Folders with characters that mean something to cmd; the listing must land in each one.
TEST_F(CommandRunnerTest, TheListingLandsInTheProgramFolderWhateverItsName) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();
    runner_ = MakeSystemCommandRunner(win32::WaitKeepingWindowsPainted);
    const std::vector<std::wstring> names = {L"a b&c^d(e)", L"方案 工具", L"x%OS%y", L"100%"};
    for (const std::wstring& name : names) {
        const std::wstring folder = (folder_.path() / name).wstring();
        SCOPED_TRACE(folder_.path() / name);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        auto started = runner_->Start(ListingCommand(folder));
        EXPECT_TRUE(started->WaitFor(20s));
        const CommandResult result = started->Finish();
        EXPECT_TRUE(result.Succeeded()) << "outcome " << static_cast<int>(result.outcome) << ", exit code "
                                        << result.exitCode << ", said " << result.output.size()
                                        << " characters: " << std::string(result.output.begin(), result.output.end());
        const std::string bytes = ReadBytes(std::filesystem::path(folder) / "ls.txt");
        EXPECT_EQ(bytes.substr(0, kListingBytes.size()), kListingBytes);
        // The command object still lives, as while the program reads the listing: no handle is left.
        EXPECT_TRUE(::DeleteFileW((folder + L"\\ls.txt").c_str())) << ::GetLastError();
    }
    // Nothing was written anywhere else, such as a folder named after an expanded %OS%.
    std::vector<std::wstring> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
        found.push_back(entry.path().filename().wstring());
    std::vector<std::wstring> expected = names;
    expected.push_back(L"netsh.log");
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

// netsh writes UTF-8 where the console code page was set to it; else the OEM code page (936).
TEST(CommandRunnerDecode, ValidUtf8IsReadAsUtf8AndAnythingElseInTheOemCodePage) {
    const auto runner = MakeSystemCommandRunner(win32::WaitKeepingWindowsPainted);
    EXPECT_EQ(runner->DecodeOutput("\xE8\xAF\xB7\xE6\xB1\x82 ok"), L"请求 ok");
    if (wintest::OemIs936()) {
        EXPECT_EQ(runner->DecodeOutput("\xC7\xEB\xC7\xF3 ok"), L"请求 ok");
    }
}

}  // namespace
