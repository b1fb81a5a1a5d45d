// The Win32 window Form1 lives in: creates and lays out the controls, paints their colours,
// follows the DPI, and forwards control events to Form1's handlers.
#pragma once
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "dpi_win32.h"
#include "form1.h"
#include "form_layout.h"
#include "win32/unique_handle.h"

inline constexpr wchar_t kMainWindowClass[] = L"NetSchemeForm1";

class MainWindow final : public FormView {
public:
    MainWindow(CommandRunner& runner, ChangeRunner& changes, AdapterReader& reader, FileSystem& fs, const Clock& clock,
               ProgramPlace place, DpiFunctions dpiFunctions = DpiFunctions::Lookup());
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden, with every control at its initial value; else the system's reason.
    [[nodiscard]] Status Create();
    // Form_Load, then the window is shown centred with the focus on Command2.
    void LoadAndShow();

    [[nodiscard]] HWND hwnd() const { return hwnd_; }
    // Ctrl+P, for a message of this window or its controls: true when it was the shortcut.
    [[nodiscard]] bool TranslateShortcut(MSG& msg) const;
    // The menu a right-click outside the text boxes and the lists shows.
    [[nodiscard]] static win32::UniqueMenu MakeContextMenu();
    [[nodiscard]] HWND Control(ControlId id) const;
    [[nodiscard]] UINT dpi() const { return dpi_; }

    // FormView
    std::wstring FieldText(Field field) const override;
    AddressFields Fields() const override;
    void SetFieldText(Field field, const std::wstring& text) override;
    void ClearSchemeList() override;
    void AddScheme(const std::wstring& name) override;
    std::wstring SchemeText() const override;
    std::vector<std::wstring> SchemeNames() const override;
    void ClearAdapterList() override;
    void AddAdapter(const std::wstring& name) override;
    void ShowMessage(const std::wstring& text, MessageIcon icon) override;
    bool AskYesNo(const std::wstring& text, bool yesByDefault) override;
    std::wstring PromptText(const std::wstring& prompt, const std::wstring& title) override;
    void SetBusy(bool busy) override;
    bool Busy() const override { return busy_; }
    bool Pause(std::chrono::milliseconds duration) override;
    void EndProgram() override;
    bool Closing() const override;
    void SetListingTimer(bool on) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept;

    LRESULT OnCreate();
    LRESULT OnCommand(int id, int notification);
    LRESULT OnCtlColor(HDC dc, HWND control, int sysColor);
    LRESULT OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT OnActivate(bool active);
    LRESULT OnSetCursor();
    LRESULT OnDestroy();
    LRESULT OnTimer(UINT_PTR timer);
    LRESULT OnGetDefId();
    LRESULT OnContextMenu(HWND target, LPARAM at);
    // A message box of `type` with the program's title; what was chosen.
    int Box(const std::wstring& text, UINT type);

    // Step one, at WM_CREATE: the controls NeededByFormLoad.
    [[nodiscard]] bool CreateControlsForLoad();
    // Step two, by a timer while the welcome box is on screen: the rest of the controls, then
    // every control's font and the combos' height.
    void CreateRemainingControls();
    // Makes step two happen now if it has not: the one place that makes sure the rest exists.
    void EnsureAllControls();
    [[nodiscard]] bool CreateControl(const ControlSpec& spec);
    void MakeFonts(UINT dpi);
    void ApplyFonts(bool redraw);
    void LayoutControls(UINT dpi);
    void FitComboHeights(UINT dpi);
    [[nodiscard]] HFONT FontFor(FontFace face) const;
    [[nodiscard]] std::optional<TextColor> ColorOf(HWND control) const;
    void RestoreFocus();

    Form1 form_;
    bool asks_for_rights_;  // the apply and DHCP buttons carry the shield
    DpiFunctions dpi_functions_;
    HWND hwnd_ = nullptr;
    win32::UniqueWindow owner_;  // hidden: owning the window keeps it off the taskbar
    std::array<HWND, kControls.size()> controls_{};
    HWND combo1_edit_ = nullptr, combo1_list_ = nullptr, combo2_edit_ = nullptr, combo2_list_ = nullptr;
    UINT dpi_ = 96;
    win32::UniqueFont simsun_, simsun_bold_, yahei_, default_font_;
    HWND saved_focus_ = nullptr;
    HACCEL shortcuts_ = nullptr;  // the exe's resource: nothing to free
    bool busy_ = false;
    bool all_made_ = false;  // step two done
};

// The message loop: the window's shortcut first, then IsDialogMessageW gives Tab and the arrow keys
// across the controls.
int RunMessageLoop(const MainWindow& window);
