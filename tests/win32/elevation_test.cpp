// Administrator rights on the click: a session of the elevating runner starts a copy of this test
// program with "runas" (Wine asks nothing and keeps the token; test_main.cpp makes the program that
// copy) and hands it the click's changes through the pipe. Also the copy's own end, run here on a
// thread against a pipe the test serves, where the window's process cannot be opened at first.
#include "netconfig/elevating_runner_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "fakes/temp_folder.h"
#include "netconfig/copy_protocol.h"
#include "netconfig/elevated_copy_win32.h"
#include "win32/system_text.h"
#include "win32/unique_handle.h"
#include "window_helpers.h"

namespace {

using namespace std::chrono_literals;
using wintest::ScopedVariable;

const auto kNever = [] { return false; };

class ElevationTest : public ::testing::Test {
protected:
    [[nodiscard]] std::vector<std::wstring> Logged(const wchar_t* prefix) const {
        std::vector<std::wstring> found;
        for (const std::wstring& entry : wintest::ReadLogLines(log_path_))
            if (entry.starts_with(prefix)) found.push_back(entry.substr(std::wcslen(prefix)));
        return found;
    }
    [[nodiscard]] ElevationCalls Calls() const {
        ElevationCalls calls;
        calls.wait = win32::WaitKeepingWindowsPainted;
        return calls;
    }

    TempFolder folder_;
    std::wstring log_path_ = folder_ / "netsh.log";
    ScopedVariable log_{L"NETSH_STANDIN_LOG", log_path_};
};

TEST_F(ElevationTest, OneCopyServesEveryChangeOfAClickAndEndsWithIt) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();  // the copy starts the system's netsh
    auto session = MakeElevatingChangeRunner(Calls())->BeginClick();
    const ChangeRun dhcp = session->Run({AddressChange::Kind::Dhcp}, 20s, kNever);
    const ChangeRun removal = session->Run({AddressChange::Kind::RemoveGateways, {}, {}, {0x0A000001}}, 20s, kNever);
    for (const ChangeRun* run : {&dhcp, &removal}) {
        ASSERT_EQ(run->outcome, ChangeRun::Outcome::Ran);
        EXPECT_TRUE(run->elevated);
        for (const ChangeRun::Line& line : run->lines) {
            ASSERT_TRUE(line.result);
            EXPECT_TRUE(line.result->Succeeded()) << static_cast<int>(line.result->outcome);
        }
    }
    EXPECT_EQ(Logged(L"line:").size(), 3u);
    const auto parents = Logged(L"parent:");
    ASSERT_EQ(parents.size(), 3u);
    EXPECT_EQ(std::count(parents.begin(), parents.end(), parents[0]), 3);  // one copy, one prompt
    EXPECT_NE(parents[0], std::to_wstring(::GetCurrentProcessId()));
    const win32::UniqueHandle copy(::OpenProcess(SYNCHRONIZE, FALSE, std::stoul(parents[0])));
    session.reset();  // the click is over
    EXPECT_TRUE(!copy || ::WaitForSingleObject(copy.get(), 10000) == WAIT_OBJECT_0) << "the copy outlived its click";

    // A field that is not a plain address is never handed over, and asks for nothing.
    const AddressChange notPlain{AddressChange::Kind::Static, {L"10.0.0.7 ", L"255.0.0.0", L"", L"", L""}};
    const ChangeRun refused = MakeElevatingChangeRunner(Calls())->BeginClick()->Run(notPlain, 20s, kNever);
    EXPECT_EQ(refused.outcome, ChangeRun::Outcome::NotElevated);
    EXPECT_EQ(refused.why.reason(), Status::Reason::NotPlainAddress);
}

// The stand-in ends the copy while the second line runs, as a security product might.
TEST_F(ElevationTest, ACopyThatEndsMidRunLeavesThatLineUnknownAndTheRestNotRun) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();
    ScopedVariable kill(L"NETSH_STANDIN_KILL_PARENT_ON", L"Set Dns");
    const AddressChange change{AddressChange::Kind::Static,
                               {L"10.0.0.7", L"255.0.0.0", L"10.0.0.1", L"10.0.0.1", L"10.0.0.2"}};
    const ChangeRun run = MakeElevatingChangeRunner(Calls())->BeginClick()->Run(change, 20s, kNever);
    ASSERT_EQ(run.outcome, ChangeRun::Outcome::Ran);
    ASSERT_EQ(run.lines.size(), 3u);
    ASSERT_TRUE(run.lines[0].result && run.lines[1].result);
    EXPECT_TRUE(run.lines[0].result->Succeeded());
    EXPECT_EQ(run.lines[1].result->outcome, CommandResult::Outcome::Lost);
    EXPECT_FALSE(run.lines[2].result);
    EXPECT_EQ(Logged(L"line:").size(), 2u);
}

// A copy of the program in another folder is another file: the copy says so, and runs nothing.
TEST_F(ElevationTest, ACopyThatWillNotServeTheWindowSaysWhy) {
    const std::wstring other = folder_ / "other.exe";
    ASSERT_TRUE(::CopyFileW(win32::ProgramFile().c_str(), other.c_str(), FALSE));
    ElevationCalls calls = Calls();
    calls.exe = other;
    const ChangeRun run = MakeElevatingChangeRunner(calls)->BeginClick()->Run({AddressChange::Kind::Dhcp}, 20s, kNever);
    EXPECT_EQ(run.outcome, ChangeRun::Outcome::Refused);
    EXPECT_EQ(run.why.reason(), Status::Reason::CopyOfAnotherProgram);
    EXPECT_TRUE(Logged(L"line:").empty());
}

BOOL WINAPI ClientIsAnother(HANDLE, PULONG id) {
    *id = 4;
    return TRUE;
}

HANDLE WINAPI NoPipe(LPCWSTR, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPSECURITY_ATTRIBUTES) {
    ::SetLastError(ERROR_PIPE_BUSY);
    return INVALID_HANDLE_VALUE;
}

TEST_F(ElevationTest, AWindowThatGivesUpHandsOverNothingAndAPipeNotMadeIsSaidBeforeAnyPrompt) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();
    ElevationCalls calls = Calls();
    calls.clientProcessId = ClientIsAnother;  // not the copy started here: the window gives up
    ChangeRun run = MakeElevatingChangeRunner(calls)->BeginClick()->Run({AddressChange::Kind::Dhcp}, 20s, kNever);
    EXPECT_EQ(run.outcome, ChangeRun::Outcome::NotElevated);
    EXPECT_EQ(run.why.reason(), Status::Reason::NoAnswer);
    ::Sleep(1500);
    EXPECT_TRUE(Logged(L"line:").empty()) << "the copy changed something without a go-ahead";

    // No pipe: said at once with the system's words. A copy started from a file that is not there
    // would have said "not found" instead.
    calls = Calls();
    calls.createNamedPipe = NoPipe;
    calls.exe = folder_ / "missing.exe";
    run = MakeElevatingChangeRunner(calls)->BeginClick()->Run({AddressChange::Kind::Dhcp}, 20s, kNever);
    EXPECT_EQ(run.outcome, ChangeRun::Outcome::NotElevated);
    EXPECT_EQ(run.why.detail(), win32::ErrorText(ERROR_PIPE_BUSY));
}

// --- the copy's end ----------------------------------------------------------------------------

std::atomic<int> opens{0};
std::atomic<bool> openedWithDebug{false};

bool DebugPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const win32::UniqueHandle owned(token);
    PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {}};
    BOOL held = FALSE;
    return ::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &set.Privilege[0].Luid) &&
           ::PrivilegeCheck(token, &set, &held) && held;
}

// What Windows does for a copy that runs as another account: access denied, unless SeDebugPrivilege
// is enabled.
HANDLE WINAPI OpenOnlyWithDebugPrivilege(DWORD access, BOOL inherit, DWORD id) {
    ++opens;
    if (!DebugPrivilegeEnabled()) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    openedWithDebug = true;
    return ::OpenProcess(access, inherit, id);
}

// Serves one pipe as the window does and returns the copy's records; `handed` goes to the copy
// after its first record.
std::vector<CopyRecord> ServeCopy(const ElevatedCopyCalls& calls, const std::string& handed, int& exitCode) {
    unsigned char random[16] = {7};
    const std::wstring name = CopyPipeName(random);
    const win32::UniqueFile pipe(
        ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    std::thread copy([&] { exitCode = RunElevatedCopy({name, std::to_wstring(::GetCurrentProcessId())}, calls); });
    ::ConnectNamedPipe(pipe.get(), nullptr);
    std::string received;
    std::vector<CopyRecord> records;
    char buffer[4096];
    DWORD got = 0;
    bool handedOver = false;
    while (::ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr) &&
           TakeRecords(received.append(buffer, got), records)) {
        if (records.empty()) continue;
        if (records.back().kind == CopyRecord::Kind::Refused || handed.empty()) break;
        if (!handedOver) ::WriteFile(pipe.get(), handed.data(), static_cast<DWORD>(handed.size()), &got, nullptr);
        handedOver = true;
    }
    ::DisconnectNamedPipe(pipe.get());  // the window goes
    copy.join();
    return records;
}

TEST(ElevatedCopy, OpensTheWindowsProcessWithSeDebugPrivilegeForThatOneOpenAndTakesOnlyAChange) {
    ElevatedCopyCalls calls;
    calls.openProcess = OpenOnlyWithDebugPrivilege;
    int exitCode = -1;
    std::vector<CopyRecord> records = ServeCopy(calls, {}, exitCode);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].kind, CopyRecord::Kind::Ready) << static_cast<int>(records[0].refusal);
    EXPECT_EQ(opens, 2);
    EXPECT_TRUE(openedWithDebug);
    EXPECT_FALSE(DebugPrivilegeEnabled());  // put back as it was
    EXPECT_EQ(exitCode, 0);

    // Handed what is no change this program writes: refused, and nothing runs.
    records = ServeCopy({}, "format c:\n", exitCode);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].kind, CopyRecord::Kind::Refused);
    EXPECT_EQ(records[1].refusal, CopyRefusal::BadChange);
    EXPECT_EQ(exitCode, 2);
    // Started with anything but a pipe of ours and a process id: nothing at all.
    EXPECT_EQ(RunElevatedCopy({L"\\\\.\\pipe\\netscheme-" + std::wstring(32, L'0'), L"04"}), 2);
}

}  // namespace
