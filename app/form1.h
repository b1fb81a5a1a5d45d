// The main window's behaviour: one method per control event, under the names the events have.
// Each handler sequences the scheme-file functions or hands a change to the change flow; Form1 keeps
// no state of its own beyond an adapter listing that is still running after the window was shown.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "change_flow.h"
#include "clock.h"
#include "current_setup.h"
#include "form_view.h"
#include "messages.h"
#include "netconfig/adapter_reader.h"
#include "netconfig/change_runner.h"
#include "netconfig/command_runner.h"
#include "textfile/file_path.h"
#include "textfile/file_system.h"
#include "textfile/read_lines.h"

inline constexpr std::wstring_view kProgramTitle = L"网络方案切换";

// Everything up to and including the last "." of the address; empty without one.
[[nodiscard]] std::wstring GatewayFromAddress(const std::wstring& address);

// Where the program runs from: the exe's folder, and whether that lies in the user's temporary
// folder (opened straight from a zip), which is emptied, saved schemes and all.
struct ProgramPlace {
    ProgramPlace(std::wstring folder, bool temporary = false) : folder(std::move(folder)), temporary(temporary) {}
    std::wstring folder;
    bool temporary;
};

class Form1 {
public:
    // `runner` starts the listings; `changes` runs the address commands, here or elevated.
    Form1(FormView& view, CommandRunner& runner, ChangeRunner& changes, AdapterReader& reader, FileSystem& fs,
          const Clock& clock, ProgramPlace place);
    ~Form1();  // a listing still running is ended and its file removed
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Fills Combo1 with the names in ui.kvo and puts the five fields back to their defaults.
    void Readtxt();
    // Starts the interface listing, shows the welcome box, then fills Combo2 with the enabled adapters.
    void readPcNet();
    // A scheme picked in Combo1 (选择方案): its five values go into the fields. `picked` is the
    // entry picked (Combo1's text changes only after the event).
    void Combo1_Click(const std::wstring& picked);
    // 删除方案: marks the name line of the scheme Combo1 shows as deleted.
    void Command1_Click();
    // 退出: ends the program at once.
    void Command2_Click();
    // 应用方案: sets the fields' address and DNS on 以太网 with netsh.
    void Command3_Click();
    // 修改为DHCP: puts 以太网's address and DNS back on DHCP.
    void Command4_Click();
    // 添加为新方案: saves the fields as a new scheme under a name the user types.
    void Command5_Click();
    // Start-up, before the window shows: Readtxt, then readPcNet.
    void Form_Load();
    // Text1 changed, by the user or the program: Text3 gets the address up to its last ".".
    void Text1_Change();
    // While the listing outlasts the welcome box by more than a moment: fills Combo2 once it ends.
    void ListingTick();
    // The context menu's 填入“以太网”的当前设置 (also Ctrl+P): the fields get 以太网's setup now.
    void mnuFill_Click();
    // The context menu's 查看“以太网”的当前设置: a box with 以太网's setup now.
    void mnuView_Click();

private:
    [[nodiscard]] FilePath SchemeFile() const;
    // The scheme file's lines, read with the window busy.
    [[nodiscard]] LoadedLines ReadSchemeFile();
    // Combo1 gets the names of `loaded`, the fields their defaults.
    void ShowSchemes(const LoadedLines& loaded);
    // Readtxt after an add or a delete that was saved; a file that cannot be read just then keeps
    // the list as it was, with `added` or without `deleted`, and says so.
    void ReloadAfterChange(const std::wstring& added, const std::wstring& deleted);
    // Ends the listing if it still runs (past its bound), reads it into Combo2 when `fill` and it
    // finished, and removes its file.
    void FinishListing(bool fill);
    void Warn(const std::wstring& text);
    // Undoes an interrupted change of the scheme file before the list is read; the words for the
    // user, or nothing.
    [[nodiscard]] std::wstring RecoverAtStart();

    FormView& view_;
    CommandRunner& runner_;
    FileSystem& fs_;
    const Clock& clock_;
    ChangeFlow change_flow_;
    CurrentSetup current_setup_;
    std::wstring program_folder_;
    bool in_temporary_folder_;
    std::unique_ptr<StartedCommand> listing_;
    bool listing_fresh_ = false;  // no older listing file was left in the folder
    std::chrono::milliseconds listing_waited_{0};
};
