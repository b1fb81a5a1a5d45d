// The change flow behind 应用方案 and 修改为DHCP, with fakes for the window, the runner and the
// adapter reader: the lines in order, what failed and why, the read-back, the look before a change
// and the way back.
#include "app/change_flow.h"

#include <gtest/gtest.h>

#include "app/messages.h"
#include "fakes/fake_runner.h"
#include "fakes/fake_view.h"
#include "netconfig/address_commands.h"

namespace {

std::string Narrow(const std::wstring& text) {  // for failure output only
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

class ChangeFlowTest : public ::testing::Test {
protected:
    ChangeFlowTest() {
        runner_.log = &view_.log;
        reader_.log = &view_.log;
        reader_.clock = &clock_;
        view_.ticks = &clock_.ticks;
    }
    void Apply() { flow_.Run(view_.fields); }  // 应用方案 with a scheme chosen
    void Dhcp() { flow_.Run(std::nullopt); }   // 修改为DHCP
    bool Logged(const std::wstring& entry) const {
        return std::find(view_.log.begin(), view_.log.end(), entry) != view_.log.end();
    }

    FakeView view_;
    FakeRunner runner_;
    FakeChanges changes_{runner_};
    FakeReader reader_;
    FixedClock clock_;
    ChangeFlow flow_{view_, changes_, runner_, reader_, clock_};
};

TEST_F(ChangeFlowTest, ApplyRunsTheThreeLinesInOrderWhileBusyThenReportsSuccess) {
    view_.fields = {L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L"114.114.114.114"};
    reader_.reads = {StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5", L"114.114.114.114"})};
    Apply();
    ASSERT_EQ(runner_.started.size(), 3u);
    EXPECT_EQ(runner_.started[0].text,
              L"Netsh interface ip set address Name=以太网 static 192.168.1.10  255.255.255.0  192.168.1.1 ");
    EXPECT_EQ(runner_.started[1].text, L"Netsh interface ip Set Dns Name=以太网 static  223.5.5.5");
    EXPECT_EQ(runner_.started[2].text, L"netsh interface ip add dns Name=以太网   114.114.114.114");
    for (const CommandLine& c : runner_.started) EXPECT_EQ(c.program, Program::Netsh);
    // The adapters are read first (the way back); each command is awaited before the next starts,
    // then 以太网 is read back and the gateway asked, all inside the busy time; the message comes
    // after it, at once when the first read matches.
    const std::vector<std::wstring> expected = {L"Busy",
                                                L"ReadAll",
                                                L"Idle",
                                                L"Busy",
                                                L"Start:" + runner_.started[0].text,
                                                L"Wait:" + runner_.started[0].text,
                                                L"Start:" + runner_.started[1].text,
                                                L"Wait:" + runner_.started[1].text,
                                                L"Start:" + runner_.started[2].text,
                                                L"Wait:" + runner_.started[2].text,
                                                L"Read:以太网",
                                                L"Probe:192.168.1.1<-192.168.1.10",
                                                L"Idle",
                                                L"Message:配置成功"};
    EXPECT_EQ(view_.log, expected);
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::None);
}

TEST_F(ChangeFlowTest, AnyFailedCommandIsReportedWithWhatNetshSaidAndNeverAsSuccess) {
    std::wstring flood;  // a netsh that prints a great deal: a few lines of it, each cut short
    for (int i = 0; i < 1000; ++i) flood += std::wstring(300, L'x') + L"\r\n";
    runner_.results = {{CommandResult::Outcome::Exited, 1, L"\r\n请求的操作需要提升。\r\n\r\n"},
                       {CommandResult::Outcome::TimedOut, 0, flood}};
    Apply();
    ASSERT_EQ(runner_.started.size(), 2u);  // nothing after a time-out, not even the listing or a read
    EXPECT_FALSE(Logged(L"Read:以太网"));
    ASSERT_EQ(view_.messages.size(), 1u);
    const std::wstring& text = view_.messages[0].text;
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(text.starts_with(L"以下命令未成功执行：\r\n"));
    EXPECT_NE(text.find(runner_.started[0].text + L"\r\n退出代码 1。netsh 的输出：\r\n请求的操作需要提升。\r\n"),
              std::wstring::npos);
    EXPECT_NE(text.find(runner_.started[1].text + L"\r\n超过 30 秒仍未结束，已被终止。"), std::wstring::npos);
    EXPECT_NE(text.find(L"netsh interface ip add dns Name=以太网   114.114.114.114\r\n未执行：前一条命令超时。"),
              std::wstring::npos);
    EXPECT_LT(std::count(text.begin(), text.end(), L'\n'), 25) << text.size();
    EXPECT_LT(text.size(), 1500u);
    // Elevated: the closing part names only the time-out.
    EXPECT_TRUE(
        text.ends_with(L"\r\n· 有命令超过 30 秒仍未结束，已被终止，后面的命令没有执行：netsh "
                       L"可能正忙，请稍后再试。"))
        << Narrow(text);
    EXPECT_EQ(text.find(L"配置成功"), std::wstring::npos);
}

// What the closing part of the failure message says, from the token and the interfaces this
// computer has, asked for again after the failure.
TEST_F(ChangeFlowTest, AFailureSaysWhichCauseAppliesAndWhatToDo) {
    const std::wstring header =
        L"\r\n管理员状态     状态          类型             接口名称\r\n"
        L"-------------------------------------------------------------------------\r\n";
    const std::wstring wired = L"已启用            已连接            专用               以太网\r\n";
    const std::wstring others =
        L"已启用            已连接            专用               以太网 2\r\n"
        L"已禁用            已断开连接        专用               WLAN\r\n";
    const std::wstring disabled = L"已禁用            已断开连接        专用               以太网\r\n";
    const std::wstring admin =
        L"· 本程序没有以管理员身份运行，不能更改网络配置：请关闭它，右键点击程序 → 以管理员身份运行。";
    const std::wstring rename =
        L"· 方案总是应用到名为“以太网”的网卡，这台电脑没有这个名字的网卡，只有 “以太网 "
        L"2”、“WLAN”：可以把要用的网卡改名为“以太网”（按 Win+R，输入 ncpa.cpl，回车，在“网络连接”中右键点击网卡 → "
        L"重命名）。";
    const std::wstring enable =
        L"· 网卡“以太网”已被禁用：请按 Win+R，输入 ncpa.cpl，回车，在“网络连接”中右键点击它 → 启用。";
    const std::wstring netsh = L"请查看上面 netsh 给出的原因。";
    const std::wstring unreadable = L"\r\n· 无法读出这台电脑的网卡列表，不能判断是否有名为“以太网”的网卡。\r\n" + netsh;
    struct Case {
        bool elevated;
        CommandResult listing;
        std::wstring ending;
    };
    const Case cases[] = {
        {false, {CommandResult::Outcome::Exited, 0, header + wired}, L"\r\n" + admin},
        {true, {CommandResult::Outcome::Exited, 0, header + others}, L"\r\n" + rename},
        {false, {CommandResult::Outcome::Exited, 0, header + others}, admin + L"\r\n" + rename},
        {true, {CommandResult::Outcome::Exited, 0, header + disabled}, L"\r\n" + enable},
        {true, {CommandResult::Outcome::Exited, 0, header + wired}, L"\r\n" + netsh},
        // Nothing known about the interfaces: no listing, a header of another language, names the code page lost.
        {true, {CommandResult::Outcome::NotStarted, 0, L""}, unreadable},
        {true,
         {CommandResult::Outcome::Exited, 0, L"Verwaltungsstatus  Status\r\n----------\r\nAktiviert  x\r\n"},
         unreadable},
        {true,
         {CommandResult::Outcome::Exited, 0,
          header + L"已启用            已连接            专用               ???\r\n"},
         unreadable},
    };
    for (const Case& c : cases) {
        changes_.elevated = c.elevated;
        runner_.results = {{CommandResult::Outcome::Exited, 1, L"文件名、目录名或卷标语法不正确。"},
                           {CommandResult::Outcome::Exited, 0, L""},
                           c.listing};
        view_.messages.clear();
        Dhcp();
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_TRUE(view_.messages[0].text.ends_with(c.ending)) << Narrow(view_.messages[0].text);
        EXPECT_NE(view_.messages[0].text.find(L"文件名、目录名或卷标语法不正确。"), std::wstring::npos);
    }
}

TEST_F(ChangeFlowTest, ClosingTheWindowDuringACommandLetsItFinishAndStartsNoMore) {
    runner_.onWait = [&](const CommandLine&) { view_.ended = true; };  // the close box, while netsh runs
    runner_.runningFor = 1;
    Apply();
    EXPECT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.letRun, std::vector<std::wstring>{runner_.started[0].text});
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_FALSE(view_.busy);
}

TEST_F(ChangeFlowTest, DhcpRunsItsTwoLinesWhateverTheFieldsHoldAndLeavesThemAlone) {
    view_.fields = {L"", L"x", L"", L"", L""};
    runner_.results = {{CommandResult::Outcome::NotStarted, 0, L"找不到文件。"},
                       {CommandResult::Outcome::Unknown, 0, L"拒绝访问。"}};  // an exit code that could not be read
    Dhcp();
    ASSERT_EQ(runner_.started.size(), 3u);  // and the interface listing, for the message
    EXPECT_EQ(runner_.started[0].text, L"Netsh interface ip set address Name=以太网 Source=dhcp");
    EXPECT_EQ(runner_.started[1].text, L"Netsh interface ip Set Dns Name=以太网 Source=dhcp");
    EXPECT_EQ(view_.fields, (AddressFields{L"", L"x", L"", L"", L""}));
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"Source=dhcp\r\n无法启动：找不到文件。"), std::wstring::npos);
    EXPECT_NE(view_.messages[0].text.find(L"Source=dhcp\r\n已结束，但无法读取它的结果：拒绝访问。"),
              std::wstring::npos);

    // netsh's answer, with a non-zero exit, on an interface already on DHCP: what was asked for holds.
    for (const wchar_t* already :
         {L"已在此接口上启用 DHCP。\r\n", L"\r\nDHCP is already enabled on this interface.\r\n"}) {
        view_.messages.clear();
        runner_.started.clear();
        runner_.results = {{CommandResult::Outcome::Exited, 1, already}};
        reader_.reads = {DhcpRead()};
        Dhcp();
        EXPECT_EQ(runner_.started.size(), 2u);
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_EQ(view_.messages[0].text, L"配置成功");
    }
    // The same words from any other line are no success.
    EXPECT_FALSE(
        HasTakenEffect(DhcpCommandLines()[1], {CommandResult::Outcome::Exited, 1, L"已在此接口上启用 DHCP。"}));
}

// Reading 以太网 back after every command succeeded: at once when it matches, every 200 ms while
// what differs may still change, at once when waiting cannot mend it.
TEST_F(ChangeFlowTest, ReadBackWaitsOutATentativeAddressAndSaysWhatStillDiffersAtTheBound) {
    view_.fields = {L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L""};
    const AdapterRead probing =
        StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5"}, AddressState::Tentative);
    reader_.reads = {probing, probing, StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5"})};
    Apply();
    EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), L"Read:以太网"), 3);
    EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), L"Pause:200"), 2);
    EXPECT_EQ(std::vector(view_.log.end() - 3, view_.log.end()),
              (std::vector<std::wstring>{L"Probe:192.168.1.1<-192.168.1.10", L"Idle", L"Message:配置成功"}));
    EXPECT_EQ(view_.messages.back().text, L"配置成功");

    // An old gateway stays: about 5 s of reads (3 s for DHCP), then one warning that names it.
    AdapterRead old = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5"});
    old.state.gateways.push_back(*ParseIpv4(L"192.168.0.1"));
    old.state.interfaceIndex = 12;
    for (auto [read, reads] : {std::pair{old, 26}, std::pair{DhcpRead(false), 16}}) {
        view_.log.clear();
        reader_.reads = {read};
        read.state.addresses.empty() ? Dhcp() : Apply();
        EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), L"Read:以太网"), reads);
        EXPECT_EQ(view_.messages.back().icon, MessageIcon::Warning);
    }
    EXPECT_NE(
        view_.messages[1].text.find(L"留有旧的默认网关 192.168.0.1：要删除它，请在以管理员身份运行的命令提示符中执行 "
                                    L"route delete 0.0.0.0 mask 0.0.0.0 192.168.0.1 if 12。"),
        std::wstring::npos)
        << Narrow(view_.messages[1].text);
    EXPECT_NE(view_.messages[2].text.find(L"DHCP 仍未开启，网卡还在使用固定地址：请稍后再点一次"), std::wstring::npos);

    // Reads of 2 s each: the bound is time, so the wait ends at about 5 s, the last read unfinished.
    view_.log.clear();
    reader_.takes = std::chrono::seconds(2);
    const std::chrono::milliseconds start = clock_.ticks;
    Apply();
    EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), L"Read:以太网"), 3);
    EXPECT_EQ(clock_.ticks - start, std::chrono::seconds(5));
    EXPECT_NE(view_.messages.back().text.find(L"无法读出网卡“以太网”现在的设置"), std::wstring::npos);
}

TEST_F(ChangeFlowTest, ReadBackStopsAtOnceWhenWaitingCannotMendIt) {
    view_.fields = {L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L""};
    const std::pair<AdapterRead, std::wstring> cases[] = {
        {StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5"}, AddressState::Duplicate),
         L"· IP 地址冲突：192.168.1.10 已被网络中的另一台设备使用"},
        {{AdapterRead::Outcome::NotFound, {}, {}}, L"没有名为“以太网”的已启用网卡"},
        {DhcpRead(false, false), L"没有连接（网线未插好"},
    };
    for (const auto& [read, words] : cases) {
        view_.log.clear();
        view_.messages.clear();
        reader_.reads = {read};
        Apply();
        EXPECT_EQ(std::count(view_.log.begin(), view_.log.end(), L"Read:以太网"), 1);
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_TRUE(view_.messages[0].text.starts_with(L"命令都已执行，但检查网卡“以太网”时发现：\r\n· "));
        EXPECT_NE(view_.messages[0].text.find(words), std::wstring::npos) << Narrow(view_.messages[0].text);
    }
    // A read that fails is read again; Windows' stored choice says what the cable out means.
    view_.messages.clear();
    reader_.reads = {{AdapterRead::Outcome::Failed, {}, Status::Error(L"拒绝访问。")}, DhcpRead(true, false)};
    reader_.reads.back().state.storedDhcp = StoredDhcp::Off;
    Dhcp();
    EXPECT_NE(view_.messages.back().text.find(L"Windows 记下的仍是固定地址，插好网线后会恢复它"), std::wstring::npos);
    // The window closed while it waited: no box, nothing more read.
    view_.messages.clear();
    reader_.reads = {DhcpRead(false)};
    view_.onPause = [&] { view_.ended = true; };
    Dhcp();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_FALSE(view_.busy);
}

// Looking before a change and the way back: a device that answers for the asked address, a
// gateway that does not answer, a change that failed half-way, the window closed during a probe.
TEST_F(ChangeFlowTest, ADeviceThatAnswersOrASilentGatewayAsksFirstAndTheWayBackRestoresTheOldSetup) {
    view_.fields = {L"192.168.1.20", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L""};
    const AdapterRead old = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"8.8.8.8", L"8.8.4.4"});
    const AdapterRead asked = StaticRead(L"192.168.1.20", 24, L"192.168.1.1", {L"223.5.5.5"});
    const ArpReply replied{ArpReply::Outcome::Replied, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFE}};
    const ArpReply silent{ArpReply::Outcome::NoReply, {}};
    const auto click = [&](std::deque<ArpReply> replies, std::deque<bool> choices) {
        runner_.started.clear();
        view_.messages.clear();
        reader_.before = old;
        reader_.reads = {asked, old};
        reader_.replies = std::move(replies);
        view_.choices = std::move(choices);
        Apply();
    };
    click({replied}, {false});  // 否: nothing runs
    EXPECT_TRUE(runner_.started.empty());
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"物理地址是 00-1A-2B-3C-4D-FE"), std::wstring::npos);
    click({replied}, {true});  // 是: applied as usual
    EXPECT_EQ(runner_.started.size(), 3u);
    EXPECT_EQ(view_.messages.back().text, L"配置成功");
    // Only the cache remembers a device (it could not be asked afresh): 是 is the default, and a
    // gateway only the cache remembers is no answer.
    const ArpReply stale{ArpReply::Outcome::Stale, replied.mac};
    click({stale, stale, stale}, {true, false});
    EXPECT_TRUE(Logged(L"Ask(yes):" + view_.messages[0].text));
    EXPECT_NE(view_.messages[0].text.find(
                  L"这台电脑以前见过使用 192.168.1.20 的设备（网卡物理地址是 00-1A-2B-3C-4D-FE），现在不一定还在"),
              std::wstring::npos);
    EXPECT_NE(view_.messages.back().text.find(L"网关 192.168.1.1 没有应答"), std::wstring::npos);

    // The gateway silent twice: the box offers the old setup back; 是 restores it, DNS order too.
    const int clicks = changes_.clicks;
    click({{}, silent, silent}, {true});
    EXPECT_EQ(changes_.clicks, clicks + 1);  // the change and its restore in one session: one prompt
    ASSERT_EQ(runner_.started.size(), 6u);
    EXPECT_EQ(runner_.started[3].text,
              L"netsh interface ip set address name=以太网 static 192.168.1.10 255.255.255.0 192.168.1.1");
    EXPECT_EQ(runner_.started[5].text, L"netsh interface ip add dns name=以太网 8.8.4.4 index=2 validate=no");
    ASSERT_EQ(view_.messages.size(), 2u);
    EXPECT_NE(view_.messages[0].text.find(L"网关 192.168.1.1 没有应答"), std::wstring::npos);
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(view_.messages[1].text, L"已恢复为之前的设置");
    click({{}, silent, silent}, {false});  // 否 keeps it
    EXPECT_EQ(runner_.started.size(), 3u);
    EXPECT_EQ(view_.messages.size(), 1u);

    // A line that failed after one changed the adapter: the failure box offers the way back.
    runner_.results = {{CommandResult::Outcome::Exited, 0, L""}, {CommandResult::Outcome::Exited, 1, L"x"}};
    click({}, {false});
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"要恢复为更改之前的设置吗"), std::wstring::npos);

    reader_.onProbe = [&] { view_.ended = true; };  // closed while the link is asked
    click({replied}, {true});
    EXPECT_TRUE(runner_.started.empty());
    EXPECT_TRUE(view_.messages.empty());
}

// The rights are asked for on the click: declined, nothing runs and no diagnosis is made.
// The rights are asked for on the click: declined, not had, refused by the copy or by a policy,
// nothing runs, no diagnosis is made, and the box says why.
TEST_F(ChangeFlowTest, RightsThatCouldNotBeHadChangeNothingAndSayWhy) {
    const std::pair<ChangeRun, std::wstring> cases[] = {
        {{ChangeRun::Outcome::Declined}, L"未获得管理员权限，网络设置没有更改。"},
        {{ChangeRun::Outcome::NotElevated, {}, Status::Error(L"系统拒绝。")},
         L"无法取得管理员权限，网络设置没有更改：系统拒绝。\r\n请关闭本程序，右键点击程序 → 以管理员身份运行。"},
        {{ChangeRun::Outcome::Refused, {}, Status::Because(Status::Reason::CopyOfAnotherProgram)},
         L"以管理员身份运行的本程序副本拒绝执行：启动它的窗口运行的不是同一个程序文件。\r\n网络设置没有更改。"},
        {{ChangeRun::Outcome::Forbidden, {}, Status::Because(Status::Reason::UnsignedElevationRefused)},
         L"网络设置没有更改：这台电脑的策略只允许有数字签名的程序获得管理员权限"},
    };
    for (const auto& [run, words] : cases) {
        changes_.canned = {run, run};
        view_.messages.clear();
        Apply();
        Dhcp();
        EXPECT_TRUE(runner_.started.empty());  // not even the listing of the diagnosis
        ASSERT_EQ(view_.messages.size(), 2u);
        for (const auto& message : view_.messages) EXPECT_TRUE(message.text.starts_with(words)) << Narrow(message.text);
    }
}

// An elevated copy that ended while its second line ran: that line may have run, the third did not,
// and the adapter itself says whether there is anything to go back from.
TEST_F(ChangeFlowTest, ACopyThatEndedMidRunSaysWhatIsUnknownAndOffersTheWayBackWhereTheAdapterChanged) {
    view_.fields = {L"192.168.1.20", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L""};
    const AdapterRead old = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"8.8.8.8"});
    const auto lines = StaticCommandLines(view_.fields);
    const ChangeRun ended{ChangeRun::Outcome::Ran,
                          {{lines[0], CommandResult{CommandResult::Outcome::Exited, 0, L""}},
                           {lines[1], CommandResult{CommandResult::Outcome::Lost, 0, L""}},
                           {lines[2], std::nullopt}},
                          {},
                          true};
    for (const bool changed : {true, false}) {
        reader_.before = old;
        reader_.reads = {changed ? StaticRead(L"192.168.1.20", 24, L"192.168.1.1", {}) : old};
        changes_.canned = {ended};
        view_.messages.clear();
        Apply();
        ASSERT_EQ(view_.messages.size(), 1u);
        const std::wstring& text = view_.messages[0].text;
        EXPECT_NE(text.find(lines[1] + L"\r\n可能已执行，但结果不明"), std::wstring::npos) << Narrow(text);
        EXPECT_NE(text.find(lines[2] + L"\r\n未执行：以管理员身份运行的本程序副本已结束。"), std::wstring::npos);
        EXPECT_EQ(text.find(L"没有以管理员身份运行"), std::wstring::npos);  // the lines ran with the rights
        EXPECT_EQ(text.find(L"要恢复为更改之前的设置吗") != std::wstring::npos, changed);
        EXPECT_EQ(view_.messages[0].icon, changed ? MessageIcon::Question : MessageIcon::Warning);
    }
}

}  // namespace
