#include "app/form1.h"
#include "app/messages.h"
#include "app/form_layout.h"

#include <gtest/gtest.h>

#include "fakes/fake_runner.h"
#include "fakes/fake_view.h"
#include "fakes/faulty_file_system.h"
#include "fakes/temp_folder.h"
#include "textfile/codepage936.h"
#include "textfile/text_encoding.h"

namespace {

std::string Narrow(const std::wstring& text) {  // for failure output only
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

const std::string kHomeBlock =
    "name:home\r\nIP:0.0.0.0\r\n\xD1\xDA\xC2\xEB:255.255.255.0\r\n\xCD\xF8\xB9\xD8:0.0.0.0\r\n"
    "\xCA\xD7\xD1\xA1:0.0.0.0\r\n\xB1\xB8\xD1\xA1:114.114.114.114\r\n\r\n";

std::string Block(const std::wstring& name, const AddressFields& f) {
    Codepage936 codepage;
    return codepage
        .Encode(L"name:" + name + L"\r\nIP:" + f[Field::Ip] + L"\r\n掩码:" + f[Field::Mask] + L"\r\n网关:" +
                f[Field::Gateway] + L"\r\n首选:" + f[Field::PreferredDns] + L"\r\n备选:" + f[Field::AlternateDns] +
                L"\r\n\r\n")
        .bytes;
}

class Form1Test : public ::testing::Test {
protected:
    Form1Test()
        : real_fs_(MakeSystemFileSystem()),
          fs_(*real_fs_),
          form_(view_, runner_, changes_, reader_, fs_, clock_, folder_.path().wstring()) {
        view_.form = &form_;
        runner_.log = &view_.log;
        reader_.log = &view_.log;
        reader_.clock = &clock_;
        view_.ticks = &clock_.ticks;
    }

    std::filesystem::path SchemeFile() const { return folder_ / "ui.kvo"; }
    std::filesystem::path Listing() const { return folder_ / "ls.txt"; }
    void Type(Field field, const std::wstring& text) { view_.SetFieldText(field, text); }
    bool Logged(const std::wstring& entry) const {
        return std::find(view_.log.begin(), view_.log.end(), entry) != view_.log.end();
    }
    size_t Position(const std::wstring& entry) const {
        return static_cast<size_t>(std::find(view_.log.begin(), view_.log.end(), entry) - view_.log.begin());
    }

    TempFolder folder_;
    std::unique_ptr<FileSystem> real_fs_;
    FaultyFileSystem fs_;
    FakeView view_;
    FakeRunner runner_;
    FakeChanges changes_{runner_};
    FakeReader reader_;
    FixedClock clock_;
    Form1 form_;
};

// --- layout arithmetic, by hand -------------------------------------------------------------

TEST(FormLayout, TwipsPointsAndDpiScalingRoundLikeMulDiv) {
    // 15 twips are a pixel at 96 DPI; halves round up: 5775 * 120 / 1440 = 481.25, 330 * 120 / 1440 = 27.5.
    const int twips[][3] = {{5775, 96, 385}, {5835, 96, 389}, {5775, 120, 481}, {330, 120, 28},
                            {330, 144, 33},  {495, 192, 66},  {7, 96, 0},       {8, 96, 1}};
    for (const auto& [value, dpi, pixels] : twips) EXPECT_EQ(TwipsToPixels(value, dpi), pixels) << value << "@" << dpi;
    // 10.5 pt: 14 px at 96, 17.5 -> 18 at 120, 21 at 144, 28 at 192.
    EXPECT_EQ(FontHeight(96), -14);
    EXPECT_EQ(FontHeight(120), -18);
    EXPECT_EQ(FontHeight(144), -21);
    EXPECT_EQ(FontHeight(192), -28);
    // A Windows 7 message font of -12 at 96 DPI, for a window at 120 and 144; negative heights
    // round away from zero like MulDiv.
    EXPECT_EQ(ScaleToDpi(-12, 96, 120), -15);
    EXPECT_EQ(ScaleToDpi(-11, 96, 120), -14);  // -13.75
    EXPECT_EQ(ScaleToDpi(-15, 120, 144), -18);
    EXPECT_EQ(ScaleToDpi(9, 96, 144), 14);    // 13.5 rounds up
    EXPECT_EQ(ScaleToDpi(-12, 0, 120), -12);  // no system DPI known: unchanged
}

// --- gateway auto-fill ---------------------------------------------------------------------

TEST_F(Form1Test, TypingAnAddressOfferItsNetworkPartAsGateway) {
    Type(Field::Ip, L"");
    std::vector<std::wstring> gateways;
    std::wstring typed;
    for (wchar_t c : std::wstring(L"192.168.1.10")) {
        typed += c;
        Type(Field::Ip, typed);
        gateways.push_back(view_.fields[Field::Gateway]);
    }
    EXPECT_EQ(gateways, (std::vector<std::wstring>{L"", L"", L"", L"192.", L"192.", L"192.", L"192.", L"192.168.",
                                                   L"192.168.", L"192.168.1.", L"192.168.1.", L"192.168.1."}));
}

TEST_F(Form1Test, GatewayRuleEdgeCases) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"", L""},
        {L"abc", L""},
        {L"1921681", L""},
        {L"10.1.", L"10.1."},
        {L".", L"."},
        {L"192\u3002168\u30021", L""},
        {L" 10.1.2.3", L" 10.1.2."},
    };
    for (const auto& [address, gateway] : cases) {
        Type(Field::Ip, address);
        EXPECT_EQ(view_.fields[Field::Gateway], gateway) << std::string(address.begin(), address.end());
    }
    Type(Field::Gateway, L"10.0.0.254");  // typed by hand, then Text1 changes: replaced
    Type(Field::Ip, L"10.0.0.7");
    EXPECT_EQ(view_.fields[Field::Gateway], L"10.0.0.");
}

// --- start-up, list and pick ---------------------------------------------------------------

TEST_F(Form1Test, StartUpWithoutSchemeFileListsNothingSetsDefaultsAndCreatesNoFile) {
    view_.fields = {L"x", L"x", L"x", L"x", L"x"};
    form_.Form_Load();
    EXPECT_TRUE(view_.schemes.empty());
    EXPECT_EQ(view_.fields, kDefaultFields);  // Text3 "0.0.0.0", not the derived "0.0.0."
    EXPECT_FALSE(std::filesystem::exists(SchemeFile()));
    ASSERT_EQ(view_.messages.size(), 1u);  // the welcome message only
    EXPECT_TRUE(view_.messages[0].text.starts_with(L"欢迎使用，欢迎指正，不定时更新。\r\n"));
    EXPECT_GT(view_.messages[0].text.size(), std::wstring(L"欢迎使用，欢迎指正，不定时更新。\r\n").size());
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::None);
}

TEST_F(Form1Test, ReadtxtListsNamesInFileOrderAndResetsTheFields) {
    WriteBytes(SchemeFile(), kHomeBlock +
                                 "Name:upper\r\n name:space\r\n2026/1/1-1:00:00-\xD2\xD1\xC9\xBE\xB3\xFD-name:gone\r\n"
                                 "name:\r\nname: lab \r\nname:home");
    view_.schemeText = L"typed";
    Type(Field::Ip, L"1.2.3.4");
    form_.Readtxt();
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"", L" lab ", L"home"}));
    EXPECT_EQ(view_.schemeText, L"");
    EXPECT_EQ(view_.fields, kDefaultFields);
    EXPECT_TRUE(view_.messages.empty());
}

TEST_F(Form1Test, PickLoadsTheLastBlockOfThatNameAndKeepsItsStoredGateway) {
    WriteBytes(SchemeFile(),
               Block(L"home", {L"1.1.1.1", L"m", L"g", L"p", L"a"}) +
                   Block(L"office", {L"192.168.1.10", L"255.255.255.0", L"192.168.1.254", L"223.5.5.5", L"8.8.8.8"}) +
                   Block(L"home", {L"10.0.0.2", L"255.0.0.0", L"10.0.0.1", L"", L"114.114.114.114"}));
    form_.Readtxt();
    view_.Pick(1);
    EXPECT_EQ(view_.fields,
              (AddressFields{L"192.168.1.10", L"255.255.255.0", L"192.168.1.254", L"223.5.5.5", L"8.8.8.8"}));
    view_.Pick(0);  // the first "home" entry still shows the later block
    EXPECT_EQ(view_.fields, (AddressFields{L"10.0.0.2", L"255.0.0.0", L"10.0.0.1", L"", L"114.114.114.114"}));
    EXPECT_TRUE(view_.messages.empty());

    // A block cut short by the end of the file has no gateway line: the auto-filled one stays.
    WriteBytes(SchemeFile(), "name:c\r\nIP:172.16.0.9");
    form_.Readtxt();
    view_.Pick(0);
    EXPECT_EQ(view_.fields[Field::Gateway], L"172.16.0.");
}

TEST_F(Form1Test, PickAfterTheFileVanishedChangesNothingAndSaysNothing) {
    WriteBytes(SchemeFile(), kHomeBlock);
    form_.Readtxt();
    std::filesystem::remove(SchemeFile());
    Type(Field::PreferredDns, L"kept");
    view_.Pick(0);
    EXPECT_EQ(view_.fields[Field::PreferredDns], L"kept");
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_FALSE(std::filesystem::exists(SchemeFile()));

    // The window closed while the pick's read waited for the file: nothing more is written.
    WriteBytes(SchemeFile(), kHomeBlock);
    fs_.onStep = [&](FaultStep) { view_.ended = true; };
    view_.log.clear();
    view_.Pick(0);
    EXPECT_EQ(view_.log, (std::vector<std::wstring>{L"Busy", L"Idle"}));
}

TEST_F(Form1Test, UnreadableSchemeFileIsReportedNotPassedOffAsEmpty) {
    WriteBytes(SchemeFile(), kHomeBlock);
    fs_.FailAt(FaultStep::Read);
    form_.Readtxt();
    EXPECT_TRUE(view_.schemes.empty());
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::Warning);
    EXPECT_NE(view_.messages[0].text.find(L"injected read fault"), std::wstring::npos);
    EXPECT_EQ(view_.fields, kDefaultFields);
}

// --- apply and DHCP ------------------------------------------------------------------------

TEST_F(Form1Test, ApplyWithEmptySchemeTextRunsNothingAndSaysNothing) {
    form_.Command3_Click();
    EXPECT_TRUE(runner_.started.empty());
    EXPECT_TRUE(view_.messages.empty());
}

// --- adapter discovery ---------------------------------------------------------------------

TEST_F(Form1Test, ListingIsStartedBeforeTheWelcomeAndReadWhenFinishedThenRemoved) {
    WriteBytes(Listing(), "stale");
    Codepage936 codepage;
    runner_.onWait = [&](const CommandLine&) {
        WriteBytes(Listing(),
                   codepage
                       .Encode(L"\r\n管理员状态     状态           类型             接口名称\r\n"
                               L"-------------------------------------------------------------------------\r\n"
                               L"已启用            已连接            专用               以太网\r\n"
                               L"已禁用            已断开连接        专用               以太网 3\r\n"
                               L"已启用            已连接            专用               以太网 2\r\n")
                       .bytes);
    };
    form_.readPcNet();
    ASSERT_EQ(runner_.started.size(), 1u);
    EXPECT_EQ(runner_.started[0].program, Program::Cmd);
    EXPECT_EQ(runner_.started[0].text,
              L"cmd.exe /d /v:off /c netsh interface show interface  >\"" + folder_.path().wstring() + L"\\ls.txt\"");
    const std::wstring start = L"Start:" + runner_.started[0].text;
    EXPECT_LT(Position(start), Position(L"Message:" + view_.messages[0].text));
    EXPECT_LT(Position(L"Message:" + view_.messages[0].text), Position(L"ClearAdapters"));
    EXPECT_LT(Position(L"ClearAdapters"), Position(L"Wait:" + runner_.started[0].text));
    EXPECT_EQ(view_.adapters, (std::vector<std::wstring>{L"以太网", L"以太网2"}));
    EXPECT_FALSE(std::filesystem::exists(Listing()));
}

TEST_F(Form1Test, ListingThatFailedOrIsOldIsNotReadButStillRemoved) {
    const std::string stale = "\xD2\xD1\xC6\xF4\xD3\xC3 \xD7\xA8\xD3\xC3 stale\r\n";  // 已启用 专用 stale
    runner_.onWait = [&](const CommandLine&) { WriteBytes(Listing(), stale); };
    for (auto outcome :
         {CommandResult::Outcome::TimedOut, CommandResult::Outcome::NotStarted, CommandResult::Outcome::Exited}) {
        runner_.results = {{outcome, 1, L""}};  // Exited 1: cmd could not write the file, or netsh failed
        view_.messages.clear();
        form_.readPcNet();
        EXPECT_TRUE(view_.adapters.empty());
        EXPECT_EQ(view_.messages.size(), 1u);  // the welcome message only
        EXPECT_FALSE(std::filesystem::exists(Listing()));
    }
    // An ls.txt of an earlier run that cannot be removed, and a listing that wrote nowhere.
    runner_.onWait = nullptr;
    WriteBytes(Listing(), stale);
    fs_.FailAt(FaultStep::Remove);
    form_.readPcNet();
    EXPECT_TRUE(view_.adapters.empty());
}

TEST_F(Form1Test, ASlowListingLetsTheWindowShowAndFillsTheAdapterListWhenItEnds) {
    Codepage936 codepage;
    const std::string listing = codepage
                                    .Encode(
                                        L"管理员状态     状态           类型             接口名称\r\n"
                                        L"-------------------------------------------------------------------------\r\n"
                                        L"已启用            已连接            专用               以太网 2\r\n")
                                    .bytes;
    runner_.onWait = [&](const CommandLine&) { WriteBytes(Listing(), listing); };
    runner_.runningFor = 3;  // outlasts the moment after the welcome box and two ticks
    form_.Form_Load();       // returns: the window shows without the adapters
    EXPECT_TRUE(view_.listingTimer);
    EXPECT_TRUE(view_.adapters.empty());
    form_.ListingTick();
    form_.ListingTick();
    EXPECT_TRUE(view_.adapters.empty());
    EXPECT_TRUE(std::filesystem::exists(Listing()));
    form_.ListingTick();
    EXPECT_FALSE(view_.listingTimer);
    EXPECT_EQ(view_.adapters, std::vector<std::wstring>{L"以太网2"});
    EXPECT_FALSE(std::filesystem::exists(Listing()));

    // One that never ends is ended 10 s after it started (2 s, then 80 ticks): nothing listed.
    runner_.runningFor = 100000;
    form_.readPcNet();
    int ticks = 0;
    for (; view_.listingTimer && ticks < 1000; ++ticks) form_.ListingTick();
    EXPECT_EQ(ticks, 80);
    EXPECT_TRUE(view_.adapters.empty());
    EXPECT_FALSE(std::filesystem::exists(Listing()));
}

// --- add -----------------------------------------------------------------------------------

TEST_F(Form1Test, ThreeAddsGiveThreeSevenLineBlocksAndReloadEachTime) {
    view_.answers = {L"home", L"office", L"home"};
    form_.Command5_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock);

    view_.fields = {L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"114.114.114.114", L"8.8.8.8"};
    form_.Command5_Click();
    EXPECT_EQ(view_.fields, kDefaultFields);
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"office"}));
    form_.Command5_Click();

    const std::string office =
        Block(L"office", {L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"114.114.114.114", L"8.8.8.8"});
    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock + office + kHomeBlock);
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"office", L"home"}));
    EXPECT_EQ(view_.prompts[0], L"输入 当前方案 的名称|输入 当前方案 的名称");
    EXPECT_TRUE(view_.messages.empty());  // an add shows no message
}

TEST_F(Form1Test, AnAddFromTheTemporaryFolderSavesAndSaysToUnzipFirst) {
    Form1 form(view_, runner_, changes_, reader_, fs_, clock_, {folder_.path().wstring(), true});
    view_.form = &form;
    view_.answers = {L"home"};
    form.Command5_Click();
    view_.form = &form_;
    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock);
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"临时"), std::wstring::npos);
    EXPECT_NE(view_.messages[0].text.find(L"解压"), std::wstring::npos);
}

TEST_F(Form1Test, NamesAndValuesAreStoredExactlyAsTyped) {
    view_.answers = {L"  ", L" 实验室 A "};
    view_.fields = {L"", L" 255.0.0.0", L"", L"", L""};
    form_.Command5_Click();
    form_.Command5_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()),
              Block(L"  ", {L"", L" 255.0.0.0", L"", L"", L""}) + Block(L" 实验室 A ", kDefaultFields));
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"  ", L" 实验室 A "}));
}

TEST_F(Form1Test, AddAfterALastLineWithoutLineEndStartsTheBlockOnItsOwnLine) {
    // As an editor saves it: the last value line has no CR LF.
    const std::string saved = kHomeBlock.substr(0, kHomeBlock.size() - 4);
    WriteBytes(SchemeFile(), saved);
    view_.answers = {L"新"};
    form_.Command5_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), saved + "\r\n" + Block(L"新", kDefaultFields));
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"新"}));
    view_.Pick(0);
    EXPECT_EQ(view_.fields[Field::AlternateDns], L"114.114.114.114");
}

TEST_F(Form1Test, CancelledAddLeavesAnEmptyFileAndChangesNothingElse) {
    view_.schemes = {L"old"};
    view_.fields = {L"1.2.3.4", L"m", L"g", L"p", L"a"};
    form_.Command5_Click();
    EXPECT_TRUE(std::filesystem::exists(SchemeFile()));
    EXPECT_EQ(ReadBytes(SchemeFile()), "");
    EXPECT_EQ(view_.schemes, std::vector<std::wstring>{L"old"});
    EXPECT_EQ(view_.fields, (AddressFields{L"1.2.3.4", L"m", L"g", L"p", L"a"}));
    EXPECT_FALSE(Logged(L"ClearSchemes"));
}

TEST_F(Form1Test, TextThatCannotBeStoredIsRefusedByNameAndNothingIsWritten) {
    WriteBytes(SchemeFile(), kHomeBlock);
    const std::pair<std::wstring, AddressFields> cases[] = {
        {L"caf\u00E9\u00A5", kDefaultFields},
        {L"two\r\nlines", kDefaultFields},
        {L"ok", {L"1.1.1.1", L"m", L"g", L"p\u2022", L"a"}},
    };
    for (const auto& [name, fields] : cases) {
        view_.answers = {name};
        view_.fields = fields;
        view_.messages.clear();
        form_.Command5_Click();
        EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock);
        EXPECT_EQ(view_.fields, fields);
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_EQ(view_.messages[0].icon, MessageIcon::Warning);
    }
    EXPECT_NE(view_.messages[0].text.find(L"“首选 DNS”中含有字符 U+2022"), std::wstring::npos);
    EXPECT_FALSE(Logged(L"ClearSchemes"));
}

TEST_F(Form1Test, AddThatCannotOpenOrWriteTellsTheUserAndLeavesTheFileAsItWas) {
    WriteBytes(SchemeFile(), kHomeBlock);
    fs_.FailAt(FaultStep::OpenForAppend);
    view_.answers = {L"new"};
    form_.Command5_Click();
    EXPECT_TRUE(view_.prompts.empty());  // no prompt for a file that cannot take the scheme
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"不能添加方案"), std::wstring::npos);

    fs_.FailAt(FaultStep::Append);
    form_.Command5_Click();
    ASSERT_EQ(view_.messages.size(), 2u);
    EXPECT_NE(view_.messages[1].text.find(L"方案未保存"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock);
    EXPECT_FALSE(Logged(L"ClearSchemes"));
}

// --- delete --------------------------------------------------------------------------------

TEST_F(Form1Test, DeleteMarksTheLastMatchingNameLineThenTheEarlierOne) {
    const std::string second = Block(L"home", {L"2.2.2.2", L"m", L"g", L"p", L"a"});
    WriteBytes(SchemeFile(), kHomeBlock + second);
    const std::string mark = "2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-";
    form_.Readtxt();
    view_.Pick(1);
    std::string atMessage;
    view_.onMessage = [&](const FakeView::Message&) { atMessage = ReadBytes(SchemeFile()); };
    view_.log.clear();
    form_.Command1_Click();

    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock + mark + second);
    EXPECT_EQ(atMessage, kHomeBlock + mark + second);  // rewritten before the message
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, L"删除成功！");
    EXPECT_EQ(view_.messages[0].icon, MessageIcon::None);
    EXPECT_LT(Position(L"Message:删除成功！"), Position(L"ClearSchemes"));
    EXPECT_EQ(view_.schemes, std::vector<std::wstring>{L"home"});

    view_.Pick(0);
    clock_.now.date = L"2026/12/6 ก";  // a short date format the file cannot hold: the plain one instead
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), mark + kHomeBlock + mark + second);
    EXPECT_TRUE(view_.schemes.empty());
    EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});

    // A date format that begins with "name:" would make the marked line a name line again.
    WriteBytes(SchemeFile(), kHomeBlock);
    form_.Readtxt();
    view_.Pick(0);
    clock_.now.date = L"name:12/6";
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), mark + kHomeBlock);
}

// An editor re-saved ui.kvo in another encoding: every scheme is listed and loaded, and what is
// added or marked is written in that encoding, the byte order mark first.
TEST_F(Form1Test, EveryEncodingNotepadSavesIsKept) {
    using namespace std::string_literals;
    const std::tuple<TextEncoding, std::string> files[] = {{TextEncoding::Utf8, "\xEF\xBB\xBF"},
                                                           {TextEncoding::Utf8, ""},  // Notepad's default since 1903
                                                           {TextEncoding::Utf16Le, "\xFF\xFE"},
                                                           {TextEncoding::Utf16Be, "\xFE\xFF"}};
    Codepage936 codepage;
    for (const auto& [encoding, mark] : files) {
        const auto in = [&](const std::wstring& text) { return EncodeText(encoding, text, codepage).bytes; };
        const std::string first = in(L"name:家\r\nIP:10.0.0.2\r\n掩码:255.0.0.0\r\n");
        WriteBytes(SchemeFile(), mark + first);
        form_.Readtxt();
        ASSERT_EQ(view_.schemes, std::vector<std::wstring>{L"家"});
        view_.Pick(0);
        EXPECT_EQ(view_.fields[Field::Mask], L"255.0.0.0");
        view_.answers = {L"实验室"};
        form_.Command5_Click();
        EXPECT_NE(ReadBytes(SchemeFile()).find(in(L"\r\nname:实验室\r\n")), std::string::npos);
        view_.Pick(1);  // the last scheme, then the first: the mark stays first
        form_.Command1_Click();
        EXPECT_NE(ReadBytes(SchemeFile()).find(in(L"9:05:03-已删除-name:实验室")), std::string::npos);
        view_.Pick(0);
        form_.Command1_Click();
        EXPECT_TRUE(ReadBytes(SchemeFile()).starts_with(mark + in(L"2026/12/6-9:05:03-已删除-name:家\r\nIP:")));

        // Old Mac line ends: each lone CR ends a line, and a delete gives them back as they were.
        WriteBytes(SchemeFile(), mark + in(L"name:甲\rIP:1.1.1.1\rname:乙\r"));
        form_.Readtxt();
        EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"甲", L"乙"}));
        view_.Pick(1);
        form_.Command1_Click();
        EXPECT_EQ(ReadBytes(SchemeFile()), mark + in(L"name:甲\rIP:1.1.1.1\r2026/12/6-9:05:03-已删除-name:乙\r"));
    }
    EXPECT_EQ(EncodeText(TextEncoding::Utf16Be, L"家\r", codepage).bytes, "\x5B\xB6\0\r"s);

    // UTF-16 without its mark, or marked but cut short by a byte or with a lone surrogate, cannot be
    // told: listed as it reads, never added to or rewritten.
    const std::string line = "n\0a\0m\0e\0:\0x\0\r\0\n\0"s;
    for (const std::string& told : {line, "\xFF\xFE"s + line + "y", "\xFF\xFE"s + line + "\x00\xD8"s}) {
        WriteBytes(SchemeFile(), told);
        view_.messages.clear();
        form_.Readtxt();
        if (told != line) {  // a mark says UTF-16: read so as far as it is whole
            EXPECT_EQ(view_.schemes, std::vector<std::wstring>{L"x"});
        }
        view_.answers = {L"new"};
        form_.Command5_Click();
        view_.schemeText = L"x";
        form_.Command1_Click();
        EXPECT_EQ(ReadBytes(SchemeFile()), told);
        ASSERT_EQ(view_.messages.size(), 3u);
        for (const auto& message : view_.messages) EXPECT_NE(message.text.find(L"另存为"), std::wstring::npos);
    }
}

TEST_F(Form1Test, DeleteKeepsEveryOtherByteAndEndsAnUnendedLastLine) {
    const std::string odd = "first\r\nbad \xFF\x81 bytes\r\nlone\rcr\r\nname:x\r\nIP:1\nlast";
    WriteBytes(SchemeFile(), odd);
    view_.schemeText = L"x";
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()),
              "first\r\nbad \xFF\x81 "
              "bytes\r\nlone\rcr\r\n2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-name:x\r\nIP:1\r\nlast\r\n");
}

TEST_F(Form1Test, NamesThatDifferOnlyInUndecodableBytesAreNeverTakenForEachOther) {
    // Two bytes that are valid in no encoding we read.
    const std::string six = "name:x\xFF\r\nIP:6.6.6.6\r\n";
    const std::string eight = "name:x\xFE\r\nIP:8.8.8.8\r\n";
    WriteBytes(SchemeFile(), six + eight);
    form_.Readtxt();
    ASSERT_EQ(view_.schemes.size(), 2u);
    EXPECT_NE(view_.schemes[0], view_.schemes[1]);
    view_.Pick(0);
    EXPECT_EQ(view_.fields[Field::Ip], L"6.6.6.6");
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), "2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-" + six + eight);

    view_.answers = {view_.schemes[0]};  // the other name, copied back into the prompt
    view_.messages.clear();
    form_.Command5_Click();
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"方案未保存"), std::wstring::npos);
}

TEST_F(Form1Test, DeleteRedoesItsWorkWhenAnotherProgramWroteTheFileMeanwhile) {
    const std::string other = Block(L"lab", kDefaultFields);
    const std::string mark = "2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-";
    WriteBytes(SchemeFile(), kHomeBlock);
    // Another copy adds a scheme after this delete has read the file, once.
    int writes = 1;
    fs_.onStep = [&](FaultStep step) {
        if (step == FaultStep::CreateTemp && writes-- > 0) WriteBytes(SchemeFile(), ReadBytes(SchemeFile()) + other);
    };
    view_.schemeText = L"home";
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), mark + kHomeBlock + other);
    EXPECT_EQ(view_.messages.back().text, L"删除成功！");
    EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});

    // One that never stops writing: the delete gives up and says so; every write of it is kept.
    writes = 100;
    view_.schemeText = L"lab";
    view_.messages.clear();
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), mark + kHomeBlock + other + other + other + other);
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"没有删除任何方案"), std::wstring::npos);
    EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});
}

// Saved, but the file cannot be read again just then (a scanner holds the new file for long).
TEST_F(Form1Test, AReloadThatFailsAfterASavedChangeKeepsTheListAsTheChangeLeftIt) {
    WriteBytes(SchemeFile(), kHomeBlock);
    form_.Readtxt();
    fs_.onStep = [&](FaultStep step) {
        if (step == FaultStep::Append || step == FaultStep::Replace) fs_.FailAt(FaultStep::Read);
    };
    view_.answers = {L"lab"};
    form_.Command5_Click();
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"lab"}));
    EXPECT_NE(view_.messages.back().text.find(L"修改已保存"), std::wstring::npos);
    fs_.FailAt(FaultStep::None);
    view_.Pick(0);
    form_.Command1_Click();
    EXPECT_EQ(view_.schemes, std::vector<std::wstring>{L"lab"});
    EXPECT_EQ(view_.messages.end()[-2].text, L"删除成功！");
}

TEST_F(Form1Test, DeleteThenAddAgainListsOnlyTheNewBlock) {
    WriteBytes(SchemeFile(), kHomeBlock);
    form_.Readtxt();
    view_.Pick(0);
    form_.Command1_Click();
    view_.answers = {L"home"};
    form_.Command5_Click();
    EXPECT_EQ(view_.schemes, std::vector<std::wstring>{L"home"});
    EXPECT_EQ(ReadBytes(SchemeFile()), "2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-" + kHomeBlock + kHomeBlock);
}

TEST_F(Form1Test, DeleteWithoutAMatchOrAFileSaysNothingWasDeleted) {
    view_.schemeText = L"home";
    form_.Command1_Click();  // no file
    EXPECT_FALSE(std::filesystem::exists(SchemeFile()));

    WriteBytes(SchemeFile(), kHomeBlock);
    view_.schemeText = L"";  // nothing selected, and no line is exactly "name:"
    form_.Command1_Click();
    view_.schemeText = L"Home";
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock);
    ASSERT_EQ(view_.messages.size(), 3u);
    for (const auto& message : view_.messages) {
        EXPECT_EQ(message.icon, MessageIcon::Warning);
        EXPECT_NE(message.text.find(L"没有删除任何方案"), std::wstring::npos);
    }
    EXPECT_FALSE(Logged(L"ClearSchemes"));

    WriteBytes(SchemeFile(), kHomeBlock + "name:\r\n");  // an empty selection matches "name:"
    view_.schemeText = L"";
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock + "2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-name:\r\n");
}

TEST_F(Form1Test, DeleteWhoseRewriteFailsAtAnyStepLeavesTheFileAsItWas) {
    for (FaultStep step : {FaultStep::CreateTemp, FaultStep::Write, FaultStep::Sync, FaultStep::Close, FaultStep::Hold,
                           FaultStep::Replace}) {
        WriteBytes(SchemeFile(), kHomeBlock);
        view_.messages.clear();
        view_.schemeText = L"home";
        fs_.FailAt(step);
        form_.Command1_Click();
        EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock);
        EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_NE(view_.messages[0].text.find(L"没有删除任何方案"), std::wstring::npos);
        EXPECT_NE(view_.messages[0].text.find(L"injected fault"), std::wstring::npos);
    }
    // The temporary copy cannot be removed afterwards either: the message names it.
    fs_.AlsoFailAt(FaultStep::Remove);
    view_.messages.clear();
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), kHomeBlock);
    const auto files = folder_.Files();
    ASSERT_EQ(files.size(), 2u);
    ASSERT_EQ(view_.messages.size(), 1u);
    std::wstring told = view_.messages[0].text;  // long paths come broken into lines
    std::erase(told, L'\r');
    std::erase(told, L'\n');
    EXPECT_NE(told.find(folder_ / (files[0] == "ui.kvo" ? files[1] : files[0])), std::wstring::npos);
}

TEST_F(Form1Test, DeleteWorksBeyond32767Lines) {
    std::string big;
    for (int i = 0; i < 40000; ++i) big += "filler " + std::to_string(i) + "\r\n";
    WriteBytes(SchemeFile(), big + kHomeBlock);
    view_.schemeText = L"home";
    form_.Command1_Click();
    EXPECT_EQ(ReadBytes(SchemeFile()), big + "2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-" + kHomeBlock);
    EXPECT_EQ(view_.messages.back().text, L"删除成功！");
}

TEST_F(Form1Test, ExitEndsTheProgram) {
    form_.Command2_Click();
    EXPECT_TRUE(view_.ended);
    EXPECT_TRUE(view_.messages.empty());
}

// --- 以太网 as it is now ---------------------------------------------------------------------

// The five fields from what 以太网 has: its first usable address and that address's mask, the first
// gateway, the first two DNS servers; nothing runs, and a box only where something needs saying.
TEST_F(Form1Test, TheFieldsTakeWhatTheWiredAdapterHasNowAndABoxSaysOnlyWhatNeedsSaying) {
    AdapterRead several = StaticRead(L"169.254.7.7", 16, L"10.0.0.1", {L"10.0.0.53", L"8.8.8.8", L"1.1.1.1"});
    several.state.addresses.push_back({*ParseIpv4(L"10.0.0.9"), 8, AddressState::Tentative});
    several.state.addresses.push_back({*ParseIpv4(L"10.0.0.7"), 8});
    const AdapterRead lease = DhcpRead();
    const AdapterRead linkLocal = StaticRead(L"169.254.3.3", 16, L"", {});
    AdapterRead none = StaticRead(L"1.1.1.1", 8, L"", {});
    none.state.addresses.clear();
    const std::tuple<AdapterRead, AddressFields, std::wstring> cases[] = {
        {StaticRead(L"192.168.5.20", 24, L"192.168.5.1", {L"223.5.5.5", L"114.114.114.114"}),
         {L"192.168.5.20", L"255.255.255.0", L"192.168.5.1", L"223.5.5.5", L"114.114.114.114"},
         L""},
        {several, {L"10.0.0.7", L"255.0.0.0", L"10.0.0.1", L"10.0.0.53", L"8.8.8.8"}, L""},
        {linkLocal, {L"169.254.3.3", L"255.255.0.0", L"", L"", L""}, L""},
        {lease, {L"192.168.1.77", L"255.255.255.0", L"", L"", L""}, L"保存为方案后，应用它就是固定地址"},
        {none, kDefaultFields, L"现在没有 IPv4 地址"},
        {{AdapterRead::Outcome::NotFound, {}, {}}, kDefaultFields, L"没有名为“以太网”的已启用网卡，只有 “WLAN”"},
        {{AdapterRead::Outcome::Failed, {}, Status::Error(L"拒绝访问。")}, kDefaultFields, L"拒绝访问。"},
    };
    reader_.others = {{L"WLAN", StaticRead(L"192.168.0.5", 24, L"", {}).state}};
    for (const auto& [read, fields, words] : cases) {
        view_.fields = kDefaultFields;
        view_.messages.clear();
        reader_.reads = {read};
        form_.mnuFill_Click();
        EXPECT_EQ(view_.fields, fields) << Narrow(words);
        EXPECT_EQ(view_.messages.empty(), words.empty());
        if (!words.empty()) {
            EXPECT_NE(view_.messages.at(0).text.find(words), std::wstring::npos) << Narrow(view_.messages[0].text);
        }
    }
    EXPECT_TRUE(runner_.started.empty());

    // The view: what a user checks, and the address another adapter holds.
    AdapterRead wired = several;
    wired.state.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    reader_.reads = {wired};
    view_.messages.clear();
    form_.mnuView_Click();
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text,
              L"网卡“以太网”：已连接，固定地址\r\n"
              L"IP 地址：169.254.7.7，子网掩码 255.255.0.0（正在使用）\r\n"
              L"IP 地址：10.0.0.9，子网掩码 255.0.0.0（正在检测是否与其他设备冲突）\r\n"
              L"IP 地址：10.0.0.7，子网掩码 255.0.0.0（正在使用）\r\n"
              L"默认网关：10.0.0.1\r\nDNS 服务器（按顺序）：10.0.0.53、8.8.8.8、1.1.1.1\r\n"
              L"网卡物理地址：00-1A-2B-3C-4D-5E\r\n另一块网卡“WLAN”的地址：192.168.0.5");
    EXPECT_EQ(view_.fields, kDefaultFields);  // only shown
    EXPECT_TRUE(runner_.started.empty());
}

}  // namespace
