// The real main window under Wine: layout in twips, fonts, colours, keyboard order, and the
// handlers reached through real control messages.
#include "app/main_window_win32.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/messages.h"
#include "app/resource.h"
#include "fakes/fake_runner.h"
#include "fakes/temp_folder.h"
#include "window_helpers.h"

namespace {

using wintest::DialogAnswer;
using wintest::DialogWatcher;
using wintest::Pump;
using wintest::TextOf;

const std::string kTwoSchemes =
    "name:home\r\nIP:192.168.1.20\r\n\xD1\xDA\xC2\xEB:255.255.255.0\r\n\xCD\xF8\xB9\xD8:192.168.1.1\r\n"
    "\xCA\xD7\xD1\xA1:192.168.1.1\r\n\xB1\xB8\xD1\xA1:114.114.114.114\r\n\r\n"
    "name:\xCA\xB5\xD1\xE9\xCA\xD2\r\nIP:10.0.0.7\r\n\xD1\xDA\xC2\xEB:255.0.0.0\r\n\xCD\xF8\xB9\xD8:10.0.0.1\r\n"
    "\xCA\xD7\xD1\xA1:8.8.8.8\r\n\xB1\xB8\xD1\xA1:8.8.4.4\r\n\r\n";  // home, 实验室

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_.steady = true;  // the window's pauses are real
        window_ = std::make_unique<MainWindow>(runner_, changes_, reader_, *fs_, clock_, folder_.path().wstring());
        ASSERT_TRUE(window_->Create().ok());
        FinishByTimer(*window_);
    }

    // The controls Form_Load does not need come from a timer, as while the welcome box is up.
    static void FinishByTimer(const MainWindow& window) {
        for (int i = 0; i < 400 && !window.Control(ControlId::Frame1); ++i) {
            Pump();
            ::Sleep(5);
        }
        ASSERT_NE(window.Control(ControlId::Frame1), nullptr);
    }
    void TearDown() override {
        window_.reset();
        Pump();
    }

    [[nodiscard]] HWND Main() const { return window_->hwnd(); }
    [[nodiscard]] HWND Control(ControlId id) const { return window_->Control(id); }
    [[nodiscard]] int Pixels(int twips) const { return TwipsToPixels(twips, static_cast<int>(window_->dpi())); }

    [[nodiscard]] RECT ClientRectOf(HWND control) const {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(HWND_DESKTOP, Main(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    // Form_Load and show, with the welcome box answered.
    std::vector<wintest::SeenDialog> LoadAndShow() {
        DialogWatcher watcher;
        window_->LoadAndShow();
        Pump();
        return watcher.Seen();
    }

    // Every control at its table rectangle for the window's present DPI.
    void ExpectTwipsLayout() const;

    void Click(ControlId id) { ::SendMessageW(Control(id), BM_CLICK, 0, 0); }

    // Clicks the button with the boxes it opens answered in turn; gives what they showed.
    std::vector<wintest::SeenDialog> ClickAnswering(ControlId id, std::deque<DialogAnswer> answers = {}) {
        DialogWatcher watcher(std::move(answers));
        Click(id);
        Pump();
        return watcher.Seen();
    }

    [[nodiscard]] std::vector<std::wstring> ComboItems(ControlId id) const {
        std::vector<std::wstring> items;
        HWND combo = Control(id);
        const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring text(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            text.resize(
                static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
            items.push_back(text);
        }
        return items;
    }

    TempFolder folder_;
    std::unique_ptr<FileSystem> fs_ = MakeSystemFileSystem();
    FakeRunner runner_;
    FakeChanges changes_{runner_};
    FakeReader reader_;
    FixedClock clock_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, HasAFixedFrameWithOnlyACloseBoxNoTaskbarButtonAndOpensCentred) {
    const LONG style = ::GetWindowLongW(Main(), GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(Main(), GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), 0);
    EXPECT_NE(::GetWindow(Main(), GW_OWNER), nullptr);  // an owned window gets no taskbar button
    EXPECT_EQ(TextOf(Main()), L"网络方案切换");
    EXPECT_NE(::GetClassLongPtrW(Main(), GCLP_HICON), 0);  // the exe's icon, in caption and Alt+Tab

    RECT client{};
    ::GetClientRect(Main(), &client);
    EXPECT_EQ(client.right, Pixels(kClientWidthTwips));
    EXPECT_EQ(client.bottom, Pixels(kClientHeightTwips));

    RECT frame{};
    ::GetWindowRect(Main(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(Main(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_LE(std::abs((frame.left + frame.right) - (monitor.rcWork.left + monitor.rcWork.right)), 2);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 2);
}

// The screen DPI this run was started with (see cmake/wine-dpi-run.sh); the screen's otherwise
// (a laptop at 125 % or 150 %).
UINT ExpectedDpi() {
    wchar_t value[16] = L"";
    if (::GetEnvironmentVariableW(L"EXPECTED_DPI", value, 16))
        return static_cast<UINT>(std::wcstoul(value, nullptr, 10));
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

TEST_F(MainWindowTest, OpensAtTheScreenDpi) { EXPECT_EQ(window_->dpi(), ExpectedDpi()); }

TEST_F(MainWindowTest, EveryControlSitsAtItsTwipsRectangle) { ExpectTwipsLayout(); }

// Windows 7 and 8.1 lack GetDpiForWindow, AdjustWindowRectExForDpi and SystemParametersInfoForDpi
// (and 7 GetDpiForMonitor): their fallbacks must give the window the system DPI's twips layout.
TEST_F(MainWindowTest, WithoutTheNewerDpiFunctionsTheWindowHasTheSameTwipsLayoutAndFonts) {
    MainWindow windows7(runner_, changes_, reader_, *fs_, clock_, folder_.path().wstring(), DpiFunctions::Windows7());
    ASSERT_TRUE(windows7.Create().ok());
    FinishByTimer(windows7);
    EXPECT_EQ(windows7.dpi(), ExpectedDpi());  // the system DPI, never a fixed 96
    auto size = [](HWND window, bool client) {
        RECT rect{};
        if (client)
            ::GetClientRect(window, &rect);
        else
            ::GetWindowRect(window, &rect);
        return std::make_pair(static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top));
    };
    EXPECT_EQ(size(windows7.hwnd(), true), std::make_pair(Pixels(kClientWidthTwips), Pixels(kClientHeightTwips)));
    EXPECT_EQ(size(windows7.hwnd(), false), size(Main(), false));
    auto fontOf = [](HWND control) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        return std::make_tuple(font.lfHeight, std::wstring(font.lfFaceName), font.lfWeight, font.lfCharSet);
    };
    for (const ControlSpec& spec : kControls) {
        SCOPED_TRACE(static_cast<int>(spec.id));
        RECT rect{};
        ::GetWindowRect(windows7.Control(spec.id), &rect);
        ::MapWindowPoints(HWND_DESKTOP, windows7.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        const RECT expected = ClientRectOf(Control(spec.id));
        EXPECT_TRUE(::EqualRect(&rect, &expected));
        EXPECT_EQ(fontOf(windows7.Control(spec.id)), fontOf(Control(spec.id)));  // the buttons' message font too
    }
}

TEST_F(MainWindowTest, ADpiChangeLaysTheWindowOutAgainWithScaledFonts) {
    const UINT dpi = window_->dpi() == 144 ? 192 : 144;
    RECT suggested{100, 80, 100 + 900, 80 + 950};
    ::SendMessageW(Main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window_->dpi(), dpi);
    ExpectTwipsLayout();
    RECT frame{};
    ::GetWindowRect(Main(), &frame);
    EXPECT_EQ(frame.left, suggested.left);
    EXPECT_EQ(frame.top, suggested.top);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Control(ControlId::Text1), WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    EXPECT_EQ(font.lfHeight, FontHeight(static_cast<int>(dpi)));
}

void MainWindowTest::ExpectTwipsLayout() const {
    for (const ControlSpec& spec : kControls) {
        SCOPED_TRACE(static_cast<int>(spec.id));
        const RECT rect = ClientRectOf(Control(spec.id));
        EXPECT_EQ(rect.left, Pixels(spec.leftTwips));
        EXPECT_EQ(rect.top, Pixels(spec.topTwips));
        EXPECT_EQ(rect.right - rect.left, Pixels(spec.widthTwips));
        EXPECT_EQ(rect.bottom - rect.top, Pixels(spec.heightTwips));  // a combo's closed height
        EXPECT_EQ(::GetParent(Control(spec.id)), Main());
    }
}

TEST_F(MainWindowTest, ControlsShowTheirCaptionsDefaultsFontsAndAlignment) {
    for (const ControlSpec& spec : kControls) {
        SCOPED_TRACE(static_cast<int>(spec.id));
        HWND control = Control(spec.id);
        EXPECT_EQ(TextOf(control), spec.caption);
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        if (spec.kind == ControlKind::Edit) {
            EXPECT_EQ(style & ES_CENTER, ES_CENTER);
        } else if (spec.kind == ControlKind::Combo) {
            EXPECT_EQ(style & 3, CBS_DROPDOWN);  // an editable text
        } else if (spec.kind == ControlKind::Label) {
            EXPECT_EQ(style & SS_TYPEMASK, spec.centred ? SS_CENTER : SS_LEFT);
        }

        LOGFONTW font{};
        ASSERT_NE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font),
                  0);
        if (spec.font == FontFace::Default) continue;
        EXPECT_EQ(font.lfHeight, FontHeight(static_cast<int>(window_->dpi())));
        EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
        EXPECT_EQ(std::wstring(font.lfFaceName), spec.font == FontFace::YaHei ? L"微软雅黑" : L"宋体");
        EXPECT_EQ(font.lfWeight, spec.font == FontFace::SimSunBold ? FW_BOLD : FW_NORMAL);
    }
    EXPECT_EQ(FontHeight(96), -14);
}

TEST_F(MainWindowTest, RedAndMagentaTextsAreColouredIncludingTheFrameAndTheComboTexts) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    auto colourOf = [&](UINT message, HWND control) {
        ::SetTextColor(dc, RGB(1, 2, 3));
        ::SendMessageW(Main(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        return ::GetTextColor(dc);
    };
    COMBOBOXINFO combo1{}, combo2{};
    combo1.cbSize = combo2.cbSize = sizeof combo1;
    ASSERT_TRUE(::GetComboBoxInfo(Control(ControlId::Combo1), &combo1));
    ASSERT_TRUE(::GetComboBoxInfo(Control(ControlId::Combo2), &combo2));
    EXPECT_EQ(colourOf(WM_CTLCOLORSTATIC, Control(ControlId::Label6)), RGB(255, 0, 0));
    EXPECT_EQ(colourOf(WM_CTLCOLORSTATIC, Control(ControlId::Frame1)), RGB(255, 0, 0));
    EXPECT_EQ(colourOf(WM_CTLCOLORSTATIC, Control(ControlId::Label7)), RGB(255, 0, 255));
    EXPECT_EQ(colourOf(WM_CTLCOLOREDIT, combo1.hwndItem), RGB(255, 0, 0));
    EXPECT_EQ(colourOf(WM_CTLCOLORLISTBOX, combo2.hwndList), RGB(255, 0, 0));
    EXPECT_NE(colourOf(WM_CTLCOLORSTATIC, Control(ControlId::Label1)), RGB(255, 0, 0));
    EXPECT_NE(colourOf(WM_CTLCOLOREDIT, Control(ControlId::Text1)), RGB(255, 0, 0));
    ::DeleteDC(dc);
}

TEST_F(MainWindowTest, WelcomeComesBeforeTheWindowShowsThenFocusIsOnExitAndTabFollowsTheTable) {
    bool visibleDuringWelcome = true;
    runner_.onWait = [&](const CommandLine&) { visibleDuringWelcome = ::IsWindowVisible(Main()) != 0; };
    const auto seen = LoadAndShow();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"网络方案切换");
    EXPECT_EQ(seen[0].text.rfind(L"欢迎使用，欢迎指正，不定时更新。\r\n", 0), 0u) << seen[0].text;
    EXPECT_FALSE(seen[0].icon);
    EXPECT_EQ(seen[0].buttons.size(), 1u);
    EXPECT_FALSE(visibleDuringWelcome);

    EXPECT_TRUE(::IsWindowVisible(Main()));
    EXPECT_EQ(::GetFocus(), Control(ControlId::Command2));
    const ControlId order[] = {ControlId::Command2, ControlId::Combo1,   ControlId::Text1,    ControlId::Text2,
                               ControlId::Text3,    ControlId::Text4,    ControlId::Text5,    ControlId::Command5,
                               ControlId::Command1, ControlId::Command4, ControlId::Command3, ControlId::Combo2,
                               ControlId::Command2};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        HWND next = ::GetNextDlgTabItem(Main(), Control(order[i]), FALSE);
        if (next && ::GetParent(next) != Main()) next = ::GetParent(next);  // a combo's edit
        EXPECT_EQ(next, Control(order[i + 1])) << "after " << static_cast<int>(order[i]);
    }
    // A screen reader names each input after the window just before it: its label. The frame
    // stays below the fields.
    const std::pair<ControlId, ControlId> named[] = {
        {ControlId::Combo2, ControlId::Label7}, {ControlId::Combo1, ControlId::Label6},
        {ControlId::Text1, ControlId::Label1},  {ControlId::Text2, ControlId::Label2},
        {ControlId::Text3, ControlId::Label3},  {ControlId::Text4, ControlId::Label4},
        {ControlId::Text5, ControlId::Label5}};
    for (const auto& [input, label] : named)
        EXPECT_EQ(::GetWindow(Control(input), GW_HWNDPREV), Control(label)) << static_cast<int>(input);
    EXPECT_EQ(::GetWindow(Main(), GW_CHILD), Control(ControlId::Command2));
    EXPECT_EQ(::GetWindow(Control(ControlId::Frame1), GW_HWNDNEXT), nullptr);
}

TEST_F(MainWindowTest, TypingAnAddressIntoText1FillsTheGatewayAsItGoes) {
    LoadAndShow();
    HWND text1 = Control(ControlId::Text1);
    ::SetFocus(text1);
    ::SendMessageW(text1, EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"172.16.5.9")) ::SendMessageW(text1, WM_CHAR, c, 1);
    EXPECT_EQ(TextOf(text1), L"172.16.5.9");
    EXPECT_EQ(TextOf(Control(ControlId::Text3)), L"172.16.5.");
    ::SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10"));
    EXPECT_EQ(TextOf(Control(ControlId::Text3)), L"");
}

TEST_F(MainWindowTest, PickingASchemeFromTheListLoadsItsValues) {
    WriteBytes(folder_.path() / "ui.kvo", kTwoSchemes);
    LoadAndShow();
    EXPECT_EQ(ComboItems(ControlId::Combo1), (std::vector<std::wstring>{L"home", L"实验室"}));

    // The keyboard way: Down in the closed combo picks the next entry.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetComboBoxInfo(Control(ControlId::Combo1), &info));
    ::SetFocus(info.hwndItem);
    ::SendMessageW(info.hwndItem, WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(TextOf(Control(ControlId::Text1)), L"192.168.1.20");
    EXPECT_EQ(TextOf(Control(ControlId::Text3)), L"192.168.1.1");
    ::SendMessageW(info.hwndItem, WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(TextOf(Control(ControlId::Combo1)), L"实验室");
    const wchar_t* expected[] = {L"10.0.0.7", L"255.0.0.0", L"10.0.0.1", L"8.8.8.8", L"8.8.4.4"};
    for (size_t i = 0; i < kFieldCount; ++i) EXPECT_EQ(window_->FieldText(kFields[i]), expected[i]);
}

TEST_F(MainWindowTest, TheExitButtonEndsTheProgram) {
    LoadAndShow();
    Click(ControlId::Command2);
    EXPECT_FALSE(::IsWindow(Main()));
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, TheCloseBoxEndsTheProgram) {
    LoadAndShow();
    ::SendMessageW(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(Main()));
}

TEST_F(MainWindowTest, EscapeDoesNothingAndEnterClicksTheFocusedButton) {
    LoadAndShow();
    ::SetFocus(Control(ControlId::Command2));
    MSG escape{Control(ControlId::Command2), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    ::IsDialogMessageW(Main(), &escape);
    Pump();
    EXPECT_TRUE(::IsWindow(Main()));
    MSG enter{Control(ControlId::Command2), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    ::IsDialogMessageW(Main(), &enter);
    Pump();
    EXPECT_FALSE(::IsWindow(Main()));
}

TEST_F(MainWindowTest, AddingThroughThePromptAppendsTheBlockAndListsIt) {
    LoadAndShow();
    window_->SetFieldText(Field::Ip, L"10.1.2.3");
    const auto seen = ClickAnswering(ControlId::Command5, {DialogAnswer{IDOK, L"实验室"}});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"输入 当前方案 的名称");
    EXPECT_EQ(seen[0].text, L"输入 当前方案 的名称");
    const std::string bytes = ReadBytes(folder_.path() / "ui.kvo");
    EXPECT_EQ(bytes.rfind("name:\xCA\xB5\xD1\xE9\xCA\xD2\r\nIP:10.1.2.3\r\n", 0), 0u);
    EXPECT_EQ(ComboItems(ControlId::Combo1), std::vector<std::wstring>{L"实验室"});
}

TEST_F(MainWindowTest, ACancelledPromptWritesNothing) {
    LoadAndShow();
    EXPECT_EQ(ClickAnswering(ControlId::Command5, {DialogAnswer{IDCANCEL, L"不要"}}).size(), 1u);
    EXPECT_EQ(ReadBytes(folder_.path() / "ui.kvo"), "");
    EXPECT_TRUE(ComboItems(ControlId::Combo1).empty());
}

TEST_F(MainWindowTest, DeletingMarksTheSchemeThenSaysSo) {
    WriteBytes(folder_.path() / "ui.kvo", kTwoSchemes);
    LoadAndShow();
    ::SetWindowTextW(Control(ControlId::Combo1), L"home");
    const auto seen = ClickAnswering(ControlId::Command1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"删除成功！");
    EXPECT_EQ(ReadBytes(folder_.path() / "ui.kvo").rfind("2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-name:home\r\n", 0),
              0u);
    EXPECT_EQ(ComboItems(ControlId::Combo1), std::vector<std::wstring>{L"实验室"});
}

TEST_F(MainWindowTest, WhileACommandRunsOnlyExitWorksAndTheFocusComesBackAfterwards) {
    LoadAndShow();
    ::SetFocus(Control(ControlId::Command4));
    std::vector<bool> enabled;
    runner_.onWait = [&](const CommandLine&) {
        // Not disabled: the close box and the exit button must still work.
        enabled.push_back(::IsWindowEnabled(Main()) != 0);
        // A click that arrives meanwhile must not start a second run.
        ::SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(ControlId::Command4, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Control(ControlId::Command4)));
    };
    reader_.reads = {DhcpRead(false), DhcpRead()};  // the flag shows only at the second read
    const auto seen = ClickAnswering(ControlId::Command4);
    EXPECT_EQ(enabled, (std::vector<bool>{true, true}));  // the two DHCP lines, nothing more
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"配置成功");
    EXPECT_EQ(::GetFocus(), Control(ControlId::Command4));
}

TEST_F(MainWindowTest, AFailedCommandIsReportedWithAWarningNotAsSuccess) {
    LoadAndShow();
    runner_.results.push_back({CommandResult::Outcome::Exited, 1, L"DHCP 已在此接口上启用。"});
    const auto seen = ClickAnswering(ControlId::Command4);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text.rfind(L"以下命令未成功执行：", 0), 0u);
    EXPECT_NE(seen[0].text.find(L"DHCP 已在此接口上启用。"), std::wstring::npos);
    EXPECT_TRUE(seen[0].icon);
}

// Ctrl+P anywhere in the window fills the fields from 以太网 as the reader gives it, and runs no
// netsh; the context menu offers that and the view.
TEST_F(MainWindowTest, CtrlPFillsTheFieldsFromTheAdapterAndTheMenuOffersBothItems) {
    LoadAndShow();
    runner_.started.clear();  // the start-up's listing
    reader_.reads = {StaticRead(L"192.168.5.20", 24, L"192.168.5.1", {L"223.5.5.5"})};
    BYTE keys[256] = {};
    ASSERT_TRUE(::GetKeyboardState(keys));
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    MSG ctrlP{Control(ControlId::Text4), WM_KEYDOWN, 'P', 1, 0, {}};
    const bool taken = window_->TranslateShortcut(ctrlP);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_TRUE(taken);
    Pump();
    EXPECT_EQ(window_->Fields(), (AddressFields{L"192.168.5.20", L"255.255.255.0", L"192.168.5.1", L"223.5.5.5", L""}));
    EXPECT_TRUE(runner_.started.empty());
    MSG plainP{Control(ControlId::Text4), WM_KEYDOWN, 'P', 1, 0, {}};
    EXPECT_FALSE(window_->TranslateShortcut(plainP));  // typing a P stays typing

    const win32::UniqueMenu menu = MainWindow::MakeContextMenu();
    ASSERT_EQ(::GetMenuItemCount(menu.get()), 2);
    for (const auto& [id, text] : {std::pair{IDM_FILL, kMenuFill}, std::pair{IDM_VIEW, kMenuView}}) {
        wchar_t caption[128] = L"";
        ::GetMenuStringW(menu.get(), static_cast<UINT>(id), caption, 128, MF_BYCOMMAND);
        EXPECT_EQ(caption, std::wstring(text));
    }
    DialogWatcher watcher;
    ::SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(IDM_VIEW, 0), 0);
    Pump();
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_TRUE(watcher.Seen()[0].text.starts_with(L"网卡“以太网”：已连接，固定地址\r\nIP 地址：192.168.5.20"));
}

}  // namespace
