// The apply and DHCP buttons of the real window with the real runner: the stand-in netsh gets
// exactly the lines, one after another, and a failing one is reported, never "配置成功".
#include <gtest/gtest.h>

#include "app/main_window_win32.h"
#include "fakes/fake_runner.h"
#include "fakes/temp_folder.h"
#include "netconfig/command_runner_win32.h"
#include "netconfig/elevating_runner_win32.h"
#include "window_helpers.h"

namespace {

using wintest::ScopedVariable;

class ApplySchemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_.steady = true;  // the window's pauses are real
        window_ = std::make_unique<MainWindow>(*runner_, changes_, reader_, *fs_, clock_, folder_.path().wstring());
        ASSERT_TRUE(window_->Create().ok());
        wintest::DialogWatcher watcher;
        window_->LoadAndShow();
        wintest::Pump();
        ::DeleteFileW(log_path_.c_str());  // only the lines the buttons start
    }
    void TearDown() override {
        window_.reset();
        wintest::Pump();
    }

    std::vector<wintest::SeenDialog> Click(ControlId id) {
        wintest::DialogWatcher watcher;
        ::SendMessageW(window_->Control(id), BM_CLICK, 0, 0);
        wintest::Pump();
        return watcher.Seen();
    }

    // The command lines netsh was started with, in order.
    [[nodiscard]] std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        for (const std::wstring& entry : wintest::ReadLogLines(log_path_))
            if (entry.rfind(L"line:", 0) == 0) lines.push_back(entry.substr(5));
        return lines;
    }

    TempFolder folder_;
    std::wstring log_path_ = folder_ / "netsh.log";
    ScopedVariable log_{L"NETSH_STANDIN_LOG", log_path_};
    // netsh from the stand-in's folder; the start-up listing finds no cmd.exe there and fails.
    std::unique_ptr<CommandRunner> runner_ = MakeWin32CommandRunner(wintest::StandInCalls());
    LocalChangeRunner changes_{*runner_, true};
    FakeReader reader_;
    std::unique_ptr<FileSystem> fs_ = MakeSystemFileSystem();
    FixedClock clock_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(ApplySchemeTest, ApplyStartsTheThreeLinesInOrderThenSaysSo) {
    const wchar_t* fields[] = {L"192.168.10.23", L"255.255.255.0", L"192.168.10.1", L"192.168.10.1",
                               L"114.114.114.114"};
    for (size_t i = 0; i < kFieldCount; ++i) window_->SetFieldText(kFields[i], fields[i]);
    ::SetWindowTextW(window_->Control(ControlId::Combo1), L"办公室");
    reader_.reads = {StaticRead(L"192.168.10.23", 24, L"192.168.10.1", {L"192.168.10.1", L"114.114.114.114"})};
    const auto seen = Click(ControlId::Command3);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"配置成功");
    EXPECT_FALSE(seen[0].icon);
    EXPECT_EQ(Lines(),
              (std::vector<std::wstring>{
                  L"Netsh interface ip set address Name=以太网 static 192.168.10.23  255.255.255.0  192.168.10.1 ",
                  L"Netsh interface ip Set Dns Name=以太网 static  192.168.10.1",
                  L"netsh interface ip add dns Name=以太网   114.114.114.114"}));
}

// Without rights, one click asks once: the apply's lines and, after 是 to the silent gateway, the
// restore's all run in the one elevated copy the click started.
TEST_F(ApplySchemeTest, AClickAndTheWayBackItOffersRunInOneElevatedCopy) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();  // the copy starts the system's netsh
    ElevationCalls calls;
    calls.wait = win32::WaitKeepingWindowsPainted;
    const auto elevating = MakeElevatingChangeRunner(calls);
    window_.reset();
    wintest::Pump();  // the WM_QUIT the first window left
    window_ = std::make_unique<MainWindow>(*runner_, *elevating, reader_, *fs_, clock_, folder_.path().wstring());
    ASSERT_TRUE(window_->Create().ok());
    {
        wintest::DialogWatcher watcher;
        window_->LoadAndShow();
    }
    const AddressFields fields{L"192.168.10.23", L"255.255.255.0", L"192.168.10.1", L"192.168.10.1", L""};
    for (Field field : kFields) window_->SetFieldText(field, fields[field]);
    ::SetWindowTextW(window_->Control(ControlId::Combo1), L"办公室");
    reader_.before = StaticRead(L"192.168.10.5", 24, L"192.168.10.254", {L"8.8.8.8", L"8.8.4.4"});
    reader_.reads = {StaticRead(L"192.168.10.23", 24, L"192.168.10.1", {L"192.168.10.1"}), *reader_.before};
    reader_.replies = {{}, {ArpReply::Outcome::NoReply, {}}, {ArpReply::Outcome::NoReply, {}}};
    ::DeleteFileW(log_path_.c_str());
    std::vector<wintest::SeenDialog> seen;
    {
        wintest::DialogWatcher watcher({wintest::DialogAnswer(IDYES)});
        ::SendMessageW(window_->Control(ControlId::Command3), BM_CLICK, 0, 0);
        wintest::Pump();
        seen = watcher.Seen();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].text.find(L"网关 192.168.10.1 没有应答"), std::wstring::npos);
    EXPECT_EQ(seen[1].text, L"已恢复为之前的设置");
    EXPECT_EQ(Lines().size(), 6u);  // the three of the apply, the three of the restore
    std::vector<std::wstring> parents;
    for (const std::wstring& entry : wintest::ReadLogLines(log_path_))
        if (entry.starts_with(L"parent:")) parents.push_back(entry.substr(7));
    ASSERT_EQ(parents.size(), 6u);
    EXPECT_EQ(std::count(parents.begin(), parents.end(), parents[0]), 6) << "more than one copy, more than one prompt";
    EXPECT_NE(parents[0], std::to_wstring(::GetCurrentProcessId()));
    window_.reset();
}

TEST_F(ApplySchemeTest, WithNoSchemeChosenApplyStartsNothing) {
    EXPECT_TRUE(Click(ControlId::Command3).empty());
    EXPECT_TRUE(Lines().empty());
}

TEST_F(ApplySchemeTest, AFailingNetshIsReportedWithItsOwnWordsForEachLine) {
    ScopedVariable exit(L"NETSH_STANDIN_EXIT", L"1");
    ScopedVariable output(L"NETSH_STANDIN_OUTPUT", L"请求的操作需要提升。");
    const auto seen = Click(ControlId::Command4);
    ASSERT_EQ(Lines().size(), 3u);  // both DHCP lines still run, then the listing for the causes
    EXPECT_EQ(Lines()[2], L"netsh interface show interface");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].icon);
    EXPECT_EQ(seen[0].text.rfind(L"以下命令未成功执行：", 0), 0u);
    for (size_t i = 0; i < 2; ++i) EXPECT_NE(seen[0].text.find(Lines()[i]), std::wstring::npos) << i;
    if (wintest::OemIs936()) {
        EXPECT_NE(seen[0].text.find(L"请求的操作需要提升。"), std::wstring::npos);
    }
    EXPECT_EQ(seen[0].text.find(L"配置成功"), std::wstring::npos);
}

// The close box, the exit button or Alt+F4, while netsh takes seconds: the program ends at once
// and netsh finishes its change on its own. Other clicks meanwhile are dropped.
TEST_F(ApplySchemeTest, TheCloseBoxAndTheExitButtonEndTheProgramAtOnceWhileNetshRuns) {
    ScopedVariable sleep(L"NETSH_STANDIN_SLEEP_MS", L"3000");
    for (int way = 0; way < 3; ++way) {
        const bool exitButton = way == 1;
        SCOPED_TRACE(way);
        if (!window_) SetUp();
        ::DeleteFileW(log_path_.c_str());
        ::SetWindowTextW(window_->Control(ControlId::Combo1), L"办公室");
        auto post = [](HWND to, UINT message) {
            ::PostMessageW(to, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
        };
        post(window_->Control(ControlId::Command5), WM_LBUTTONDOWN);  // dropped: no prompt comes
        post(window_->Control(ControlId::Command5), WM_LBUTTONUP);
        if (exitButton) {
            post(window_->Control(ControlId::Command2), WM_LBUTTONDOWN);
            post(window_->Control(ControlId::Command2), WM_LBUTTONUP);
        } else if (way == 0) {
            ::PostMessageW(window_->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            ::PostMessageW(window_->Control(ControlId::Command3), WM_SYSKEYDOWN, VK_F4, 1 | (KF_ALTDOWN << 16));
        }
        const HWND main = window_->hwnd();
        const auto seen = Click(ControlId::Command3);
        // Gone while the first netsh still sleeps: the order of events, whatever the PC's speed.
        const auto during = wintest::ReadLogLines(log_path_);
        EXPECT_EQ(std::count(during.begin(), during.end(), L"woke"), 0);
        EXPECT_FALSE(::IsWindow(main));
        EXPECT_TRUE(seen.empty());  // neither a prompt nor "配置成功" nor a failure
        window_.reset();
        ::Sleep(3500);
        EXPECT_EQ(Lines().size(), 1u);  // the first line only; the others never started
        const auto log = wintest::ReadLogLines(log_path_);
        EXPECT_EQ(std::count(log.begin(), log.end(), L"woke"), 1) << "netsh was ended half-way through its change";
    }
}

TEST_F(ApplySchemeTest, ASlowListingShowsTheWindowFirstAndFillsTheAdaptersWhenItEnds) {
    NETSCHEME_NEEDS_SYSTEM_NETSH();  // the listing goes through cmd
    window_.reset();
    runner_ = MakeSystemCommandRunner(win32::WaitKeepingWindowsPainted);
    LocalChangeRunner changes(*runner_, true);
    ScopedVariable sleep(L"NETSH_STANDIN_SLEEP_MS", L"3500");
    window_ = std::make_unique<MainWindow>(*runner_, changes, reader_, *fs_, clock_, folder_.path().wstring());
    ASSERT_TRUE(window_->Create().ok());
    const auto start = std::chrono::steady_clock::now();
    {
        wintest::DialogWatcher watcher;
        window_->LoadAndShow();
    }
    HWND combo2 = window_->Control(ControlId::Combo2);
    EXPECT_TRUE(::IsWindowVisible(window_->hwnd()));  // shown before the listing ended
    EXPECT_EQ(::SendMessageW(combo2, CB_GETCOUNT, 0, 0), 0);
    while (::SendMessageW(combo2, CB_GETCOUNT, 0, 0) == 0 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(8)) {
        wintest::Pump();
        ::Sleep(20);
    }
    EXPECT_EQ(::SendMessageW(combo2, CB_GETCOUNT, 0, 0), 2);  // 以太网 and WLAN2, as at a quick start
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "ls.txt"));
}

}  // namespace
