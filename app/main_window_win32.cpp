#include "main_window_win32.h"

#include <uxtheme.h>
#include <windowsx.h>

#include "resource.h"
#include "text_prompt_win32.h"
#include "win32/message_pump.h"
#include "win32/system_library.h"
#include "win32/system_text.h"

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed frame, close box only
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kIconId = IDI_APP;
constexpr int kComboListTwips = 2400;  // how far a dropped-down list reaches
constexpr UINT_PTR kListingTimer = 1;
constexpr UINT_PTR kFinishTimer = 2;

constexpr COLORREF ColorValue(TextColor color) {
    return color == TextColor::Magenta ? RGB(255, 0, 255) : RGB(255, 0, 0);
}

size_t IndexOf(ControlId id) { return static_cast<size_t>(static_cast<int>(id) - kFirstControlId); }

ControlId FieldControl(Field field) {
    return static_cast<ControlId>(static_cast<int>(ControlId::Text1) + static_cast<int>(field));
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The text of entry `index` of a combo's list.
std::wstring EntryText(HWND combo, LRESULT index) {
    std::wstring text(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length == CB_ERR ? 0 : static_cast<size_t>(length));
    return text;
}

// The entry picked in a combo's list; none when nothing is picked.
std::optional<std::wstring> PickedEntry(HWND combo) {
    const LRESULT index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return std::nullopt;
    return EntryText(combo, index);
}

win32::UniqueFont MakeFont(UINT dpi, const wchar_t* face, LONG weight) {
    LOGFONTW font{};
    font.lfHeight = FontHeight(static_cast<int>(dpi));
    font.lfWeight = weight;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    ::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return win32::UniqueFont(::CreateFontIndirectW(&font));
}

const wchar_t* ClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return L"STATIC";
    case ControlKind::Combo: return L"COMBOBOX";
    case ControlKind::Edit: return L"EDIT";
    case ControlKind::Frame:
    case ControlKind::Button: return L"BUTTON";
    }
    return L"STATIC";
}

DWORD StyleOf(const ControlSpec& spec) {
    const DWORD base = WS_CHILD | WS_VISIBLE;
    switch (spec.kind) {
    case ControlKind::Label: return base | SS_NOPREFIX | (spec.centred ? SS_CENTER : SS_LEFT);
    case ControlKind::Combo: return base | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    case ControlKind::Edit: return base | WS_TABSTOP | ES_AUTOHSCROLL | (spec.centred ? ES_CENTER : ES_LEFT);
    case ControlKind::Frame: return base | BS_GROUPBOX;
    case ControlKind::Button: return base | WS_TABSTOP | BS_PUSHBUTTON;
    }
    return base;
}

// Where a control's window goes; a combo's window reaches down over its dropped-down list.
RECT PlacementOf(const ControlSpec& spec, int dpi) {
    const int x = TwipsToPixels(spec.leftTwips, dpi);
    const int y = TwipsToPixels(spec.topTwips, dpi);
    const int list = spec.kind == ControlKind::Combo ? TwipsToPixels(kComboListTwips, dpi) : 0;
    return RECT{x, y, x + TwipsToPixels(spec.widthTwips, dpi), y + TwipsToPixels(spec.heightTwips, dpi) + list};
}

}  // namespace

MainWindow::MainWindow(CommandRunner& runner, ChangeRunner& changes, AdapterReader& reader, FileSystem& fs,
                       const Clock& clock, ProgramPlace place, DpiFunctions dpiFunctions)
    : form_(*this, runner, changes, reader, fs, clock, std::move(place)),
      asks_for_rights_(changes.AsksForRights()),
      dpi_functions_(std::move(dpiFunctions)) {}

MainWindow::~MainWindow() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

Status MainWindow::Create() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 32, 32, 0));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return Status::Error(win32::ErrorText(::GetLastError()));

    owner_.reset(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
    shortcuts_ = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_SHORTCUTS));

    // Size the frame for the DPI of the monitor it opens on, and centre it on that work area.
    const HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const UINT dpi = dpi_functions_.OfMonitor(primary);
    const RECT frame = dpi_functions_.Frame(RECT{0, 0, TwipsToPixels(kClientWidthTwips, static_cast<int>(dpi)),
                                                 TwipsToPixels(kClientHeightTwips, static_cast<int>(dpi))},
                                            kStyle, kExStyle, dpi);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(primary, &monitor);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = monitor.rcWork.left + (monitor.rcWork.right - monitor.rcWork.left - width) / 2;
    const int y = monitor.rcWork.top + (monitor.rcWork.bottom - monitor.rcWork.top - height) / 2;

    const std::wstring title(kProgramTitle);
    if (!::CreateWindowExW(kExStyle, kMainWindowClass, title.c_str(), kStyle, x, y, width, height, owner_.get(),
                           nullptr, instance, this))
        return Status::Error(win32::ErrorText(::GetLastError()));
    return Status::Ok();
}

void MainWindow::LoadAndShow() {
    form_.Form_Load();
    if (!::IsWindow(hwnd_)) return;
    EnsureAllControls();
    ::ShowWindow(hwnd_, SW_SHOW);
    ::UpdateWindow(hwnd_);
    ::SetForegroundWindow(hwnd_);
    saved_focus_ = Control(ControlId::Command2);
    ::SetFocus(saved_focus_);
}

HWND MainWindow::Control(ControlId id) const {
    const size_t index = IndexOf(id);
    return index < controls_.size() ? controls_[index] : nullptr;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->dpi_functions_.ScaleFrameWithClient(hwnd);
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self) self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self ? self->HandleMessage(msg, wp, lp) : ::DefWindowProcW(hwnd, msg, wp, lp);
}

// One line per message, aligned, as a table of contents:
// clang-format off
LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_CREATE:           return OnCreate();
    case WM_COMMAND:          return OnCommand(LOWORD(wp), HIWORD(wp));
    case WM_CTLCOLORSTATIC:   return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), COLOR_BTNFACE);
    case WM_CTLCOLOREDIT:     return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), COLOR_WINDOW);
    case WM_CTLCOLORLISTBOX:  return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), COLOR_WINDOW);
    case WM_DPICHANGED:       return OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
    case WM_ACTIVATE:         return OnActivate(LOWORD(wp) != WA_INACTIVE);
    case WM_SETFOCUS:         RestoreFocus(); return 0;
    case WM_SETCURSOR:        return busy_ ? OnSetCursor() : ::DefWindowProcW(hwnd_, msg, wp, lp);
    case WM_TIMER:            return OnTimer(wp);
    case DM_GETDEFID:         return OnGetDefId();
    case WM_CONTEXTMENU:      return OnContextMenu(reinterpret_cast<HWND>(wp), lp);
    case WM_DESTROY:          return OnDestroy();
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}
// clang-format on

LRESULT MainWindow::OnCreate() {
    dpi_ = dpi_functions_.OfWindow(hwnd_);
    if (!CreateControlsForLoad()) return -1;
    // Exit works at every moment, also while commands run.
    win32::MarkUsableWhileWaiting(Control(ControlId::Command2), true);
    // A timer comes after painting: the rest is made once the welcome box is drawn, while the
    // user reads it.
    ::SetTimer(hwnd_, kFinishTimer, USER_TIMER_MINIMUM, nullptr);
    return 0;
}

bool MainWindow::CreateControlsForLoad() {
    for (size_t row = 0; row < kControls.size(); ++row)
        if (NeededByFormLoad(row) && !CreateControl(kControls[row])) return false;
    return true;
}

void MainWindow::CreateRemainingControls() {
    ::KillTimer(hwnd_, kFinishTimer);
    MakeFonts(dpi_);
    for (size_t row = 0; row < kControls.size(); ++row)
        if (!NeededByFormLoad(row)) (void)CreateControl(kControls[row]);  // a missing one stays blank
    // The labels made late go back above the control each names: the table's order is the
    // Tab order and the order a screen reader finds names in.
    for (size_t i = 1; i < kControls.size(); ++i)
        ::SetWindowPos(Control(kControls[i].id), Control(kControls[i - 1].id), 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOOWNERZORDER);
    // A combo's edit and list send their own WM_CTLCOLOR* messages: know them to colour them.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (::GetComboBoxInfo(Control(ControlId::Combo1), &info))
        combo1_edit_ = info.hwndItem, combo1_list_ = info.hwndList;
    if (::GetComboBoxInfo(Control(ControlId::Combo2), &info))
        combo2_edit_ = info.hwndItem, combo2_list_ = info.hwndList;
    ApplyFonts(false);  // hidden: nothing to repaint yet
    FitComboHeights(dpi_);
    // Windows' sign that a click will ask for administrator rights.
    if (asks_for_rights_)
        for (ControlId id : {ControlId::Command3, ControlId::Command4})
            ::SendMessageW(Control(id), BCM_SETSHIELD, 0, TRUE);
}

void MainWindow::EnsureAllControls() {
    if (all_made_ || !hwnd_) return;
    all_made_ = true;
    CreateRemainingControls();
}

bool MainWindow::CreateControl(const ControlSpec& spec) {
    const std::wstring caption(spec.caption);
    const DWORD exStyle = spec.kind == ControlKind::Edit ? WS_EX_CLIENTEDGE : 0;
    // Made in place: moving it afterwards costs another round of size messages.
    const RECT r = PlacementOf(spec, static_cast<int>(dpi_));
    HWND control = ::CreateWindowExW(
        exStyle, ClassOf(spec.kind), caption.c_str(), StyleOf(spec), r.left, r.top, r.right - r.left, r.bottom - r.top,
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!control) return false;
    controls_[IndexOf(spec.id)] = control;
    // A themed group box ignores the caption colour; " " (not "") also works under Wine.
    if (spec.kind == ControlKind::Frame) {
        const win32::SystemFunction<decltype(::SetWindowTheme)> setTheme(L"uxtheme.dll", "SetWindowTheme");
        if (setTheme) setTheme(control, L" ", L" ");
    }
    return true;
}

LRESULT MainWindow::OnGetDefId() {
    // Enter clicks the focused button, as in any dialog.
    const HWND focus = ::GetFocus();
    const int id = focus ? ::GetDlgCtrlID(focus) : 0;
    for (const ControlSpec& spec : kControls)
        if (static_cast<int>(spec.id) == id && spec.kind == ControlKind::Button) return MAKELRESULT(id, DC_HASDEFID);
    return 0;
}

LRESULT MainWindow::OnTimer(UINT_PTR timer) {
    if (timer == kFinishTimer) EnsureAllControls();
    if (timer == kListingTimer) form_.ListingTick();
    return 0;
}

LRESULT MainWindow::OnDestroy() {
    win32::MarkUsableWhileWaiting(Control(ControlId::Command2), false);
    ::PostQuitMessage(0);
    return 0;
}

LRESULT MainWindow::OnCommand(int id, int notification) {
    // The context menu and Ctrl+P; like a click, not while a handler waits.
    if (id == IDM_FILL && !busy_) form_.mnuFill_Click();
    if (id == IDM_VIEW && !busy_) form_.mnuView_Click();
    if (id == IDM_FILL || id == IDM_VIEW) return 0;
    // No Enter/Escape binding; nothing from a control still being made.
    if (id == IDOK || id == IDCANCEL || !Control(static_cast<ControlId>(id))) return 0;
    switch (static_cast<ControlId>(id)) {
    case ControlId::Text1:
        // Also for SetWindowTextW, synchronously: the nested auto-fill the scheme load relies on.
        if (notification == EN_CHANGE) form_.Text1_Change();
        return 0;
    case ControlId::Combo1:
        // CBN_SELCHANGE comes before the edit shows the pick: take the picked entry from the list.
        if (notification == CBN_SELCHANGE && !busy_) {
            if (const auto picked = PickedEntry(Control(ControlId::Combo1))) form_.Combo1_Click(*picked);
        }
        return 0;
    default: break;
    }
    // While commands run only the exit button works; they finish on their own.
    if (notification != BN_CLICKED || (busy_ && id != static_cast<int>(ControlId::Command2))) return 0;
    switch (static_cast<ControlId>(id)) {
    case ControlId::Command1: form_.Command1_Click(); break;
    case ControlId::Command2: form_.Command2_Click(); break;
    case ControlId::Command3: form_.Command3_Click(); break;
    case ControlId::Command4: form_.Command4_Click(); break;
    case ControlId::Command5: form_.Command5_Click(); break;
    default: break;
    }
    return 0;
}

win32::UniqueMenu MainWindow::MakeContextMenu() {
    win32::UniqueMenu menu(::CreatePopupMenu());
    const std::wstring fill(kMenuFill), view(kMenuView);
    if (menu) {
        ::AppendMenuW(menu.get(), MF_STRING, IDM_FILL, fill.c_str());
        ::AppendMenuW(menu.get(), MF_STRING, IDM_VIEW, view.c_str());
    }
    return menu;
}

LRESULT MainWindow::OnContextMenu(HWND target, LPARAM at) {
    // The text boxes and the lists keep their own menus (cut, copy, paste).
    for (ControlId id : {ControlId::Text1, ControlId::Text2, ControlId::Text3, ControlId::Text4, ControlId::Text5,
                         ControlId::Combo1, ControlId::Combo2})
        if (target == Control(id) || ::IsChild(Control(id), target))
            return ::DefWindowProcW(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), at);
    if (busy_) return 0;
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {  // Shift+F10 or the menu key: below the control that has the focus
        RECT rect{};
        ::GetWindowRect(::GetFocus() ? ::GetFocus() : hwnd_, &rect);
        point = {rect.left, rect.bottom};
    }
    const win32::UniqueMenu menu = MakeContextMenu();
    const int chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, point.x, point.y, 0,
                                        hwnd_, nullptr);
    if (chosen != 0) OnCommand(chosen, 0);
    return 0;
}

bool MainWindow::TranslateShortcut(MSG& msg) const {
    return shortcuts_ && hwnd_ && (msg.hwnd == hwnd_ || ::IsChild(hwnd_, msg.hwnd)) &&
           ::TranslateAcceleratorW(hwnd_, shortcuts_, &msg);
}

std::optional<TextColor> MainWindow::ColorOf(HWND control) const {
    if (!control) return std::nullopt;
    if (control == combo1_edit_ || control == combo1_list_) return FindControl(ControlId::Combo1).color;
    if (control == combo2_edit_ || control == combo2_list_) return FindControl(ControlId::Combo2).color;
    for (size_t i = 0; i < kControls.size(); ++i)
        if (controls_[IndexOf(kControls[i].id)] == control && kControls[i].color != TextColor::System)
            return kControls[i].color;
    return std::nullopt;
}

LRESULT MainWindow::OnCtlColor(HDC dc, HWND control, int sysColor) {
    const auto color = ColorOf(control);
    if (!color)
        return ::DefWindowProcW(hwnd_, sysColor == COLOR_BTNFACE ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                                reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    ::SetTextColor(dc, ColorValue(*color));
    ::SetBkColor(dc, ::GetSysColor(sysColor));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(sysColor));
}

LRESULT MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    // New fonts first, handed to the children, and only then the old ones go.
    win32::UniqueFont oldFonts[] = {std::move(simsun_), std::move(simsun_bold_), std::move(yahei_),
                                    std::move(default_font_)};
    dpi_ = dpi;
    MakeFonts(dpi);
    ApplyFonts(true);
    for (auto& font : oldFonts) font.reset();
    LayoutControls(dpi);
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT MainWindow::OnActivate(bool active) {
    if (!active) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd_, focus)) saved_focus_ = focus;
    } else {
        RestoreFocus();
    }
    return 0;
}

LRESULT MainWindow::OnSetCursor() {
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
}

void MainWindow::RestoreFocus() {
    if (busy_) return;
    HWND target = saved_focus_ && ::IsWindow(saved_focus_) ? saved_focus_ : Control(ControlId::Command2);
    if (target) ::SetFocus(target);
}

void MainWindow::MakeFonts(UINT dpi) {
    simsun_ = MakeFont(dpi, L"宋体", FW_NORMAL);
    simsun_bold_ = MakeFont(dpi, L"宋体", FW_BOLD);
    yahei_ = MakeFont(dpi, L"微软雅黑", FW_NORMAL);
    LOGFONTW message{};
    if (dpi_functions_.MessageFont(dpi, message))
        default_font_.reset(::CreateFontIndirectW(&message));
    else
        default_font_ = MakeFont(dpi, L"宋体", FW_NORMAL);
}

HFONT MainWindow::FontFor(FontFace face) const {
    switch (face) {
    case FontFace::SimSun: return simsun_.get();
    case FontFace::SimSunBold: return simsun_bold_.get();
    case FontFace::YaHei: return yahei_.get();
    case FontFace::Default: return default_font_.get();
    }
    return default_font_.get();
}

void MainWindow::ApplyFonts(bool redraw) {
    for (const ControlSpec& spec : kControls)
        ::SendMessageW(Control(spec.id), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(spec.font)), redraw);
}

void MainWindow::LayoutControls(UINT dpi) {
    for (const ControlSpec& spec : kControls) {
        const RECT r = PlacementOf(spec, static_cast<int>(dpi));
        ::MoveWindow(Control(spec.id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
    FitComboHeights(dpi);
}

void MainWindow::FitComboHeights(UINT dpi) {
    // The closed height follows the selection field's item height, which is set so the closed
    // box has the table's height.
    for (const ControlSpec& spec : kControls) {
        if (spec.kind != ControlKind::Combo) continue;
        HWND control = Control(spec.id);
        const int height = TwipsToPixels(spec.heightTwips, static_cast<int>(dpi));
        // Step from the height that was set, never from one read back (Wine reads back 2 more).
        LRESULT item = ::SendMessageW(control, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        for (int attempt = 0; attempt < 3 && item != CB_ERR && item > 0; ++attempt) {
            ::SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
            RECT rect{};
            ::GetWindowRect(control, &rect);
            const int difference = height - (rect.bottom - rect.top);
            if (difference == 0) break;
            item += difference;
        }
    }
}

std::wstring MainWindow::FieldText(Field field) const { return WindowText(Control(FieldControl(field))); }

AddressFields MainWindow::Fields() const {
    AddressFields fields;
    for (Field field : kFields) fields[field] = FieldText(field);
    return fields;
}

void MainWindow::SetFieldText(Field field, const std::wstring& text) {
    ::SetWindowTextW(Control(FieldControl(field)), text.c_str());
}

void MainWindow::ClearSchemeList() {
    HWND combo = Control(ControlId::Combo1);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    ::SetWindowTextW(combo, L"");
}

void MainWindow::AddScheme(const std::wstring& name) {
    ::SendMessageW(Control(ControlId::Combo1), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

std::wstring MainWindow::SchemeText() const { return WindowText(Control(ControlId::Combo1)); }

std::vector<std::wstring> MainWindow::SchemeNames() const {
    HWND combo = Control(ControlId::Combo1);
    std::vector<std::wstring> names;
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) names.push_back(EntryText(combo, i));
    return names;
}

void MainWindow::ClearAdapterList() {
    EnsureAllControls();  // Combo2 is of the second step, which a quick OK on the welcome box can precede
    HWND combo = Control(ControlId::Combo2);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    ::SetWindowTextW(combo, L"");
}

void MainWindow::AddAdapter(const std::wstring& name) {
    ::SendMessageW(Control(ControlId::Combo2), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void MainWindow::ShowMessage(const std::wstring& text, MessageIcon icon) {
    (void)Box(text, MB_OK | (icon == MessageIcon::Warning ? MB_ICONWARNING : 0));
}

bool MainWindow::AskYesNo(const std::wstring& text, bool yesByDefault) {
    return Box(text, MB_YESNO | MB_ICONWARNING | (yesByDefault ? MB_DEFBUTTON1 : MB_DEFBUTTON2)) == IDYES;
}

int MainWindow::Box(const std::wstring& text, UINT type) {
    // A null caption would show "错误"; before the window is shown the box stands on its own.
    const std::wstring title(kProgramTitle);
    const HWND owner = ::IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    // A WM_QUIT (the window was closed during a wait, which posts it again) ends a message box at
    // once: it is held while the box is up, so a box that says where the schemes are stays.
    MSG quit{};
    const bool closing = ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    const int chosen = ::MessageBoxW(owner, text.c_str(), title.c_str(), type);
    if (closing) ::PostQuitMessage(static_cast<int>(quit.wParam));
    return chosen;
}

std::wstring MainWindow::PromptText(const std::wstring& prompt, const std::wstring& title) {
    return ShowTextPrompt(hwnd_, prompt, title);
}

void MainWindow::SetBusy(bool busy) {
    // Not EnableWindow(FALSE): that would take the close box and the exit button too. The wait
    // drops every other input (win32::DispatchAllButInput).
    if (busy) {
        const HWND focus = ::GetFocus();
        if (focus && hwnd_ && ::IsChild(hwnd_, focus)) saved_focus_ = focus;
        busy_ = true;
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    } else {
        busy_ = false;
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        if (hwnd_ && ::IsWindowVisible(hwnd_)) RestoreFocus();
    }
}

bool MainWindow::Pause(std::chrono::milliseconds duration) {
    return win32::PauseKeepingWindowsPainted(static_cast<DWORD>(duration.count())) && !Closing();
}

void MainWindow::EndProgram() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool MainWindow::Closing() const { return hwnd_ == nullptr; }

void MainWindow::SetListingTimer(bool on) {
    if (!hwnd_) return;
    if (on)
        ::SetTimer(hwnd_, kListingTimer, static_cast<UINT>(kListingTick.count()), nullptr);
    else
        ::KillTimer(hwnd_, kListingTimer);
}

int RunMessageLoop(const MainWindow& window) {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.TranslateShortcut(msg)) continue;
        const HWND main = window.hwnd();
        if (main && ::IsDialogMessageW(main, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
