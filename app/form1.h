// The main window's behaviour: one method per control event, under the names the events have.
// Each handler sequences the scheme-file and netsh functions; Form1 keeps no state of its own
// beyond an adapter listing that is still running after the window was shown.
#pragma once
#include <memory>
#include <string>

#include "clock.h"
#include "form_view.h"
#include "netconfig/command_runner.h"
#include "textfile/file_path.h"
#include "textfile/file_system.h"

inline constexpr std::wstring_view kProgramTitle = L"网络方案切换";

// Everything up to and including the last "." of the address; empty without one.
[[nodiscard]] std::wstring GatewayFromAddress(const std::wstring& address);

class Form1 {
public:
    Form1(FormView& view, CommandRunner& runner, FileSystem& fs, const Clock& clock, std::wstring programFolder);
    ~Form1();  // a listing still running is ended and its file removed
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    void Readtxt();
    void readPcNet();
    void Combo1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Form_Load();
    void Text1_Change();
    // While the listing outlasts the welcome box by more than a moment: fills Combo2 once it ends.
    void ListingTick();

private:
    [[nodiscard]] FilePath SchemeFile() const;
    // Runs each line through netsh in order, then reports "配置成功" or what failed and why.
    void RunAddressCommands(const std::wstring* lines, size_t count);
    // One line each for the likely causes of failed commands, and what to do about them.
    [[nodiscard]] std::wstring LikelyCauses(bool timedOut);
    // Reads the finished (or, past its bound, ended) listing into Combo2 and removes its file.
    void FinishListing();
    void Warn(const std::wstring& text);

    FormView& view_;
    CommandRunner& runner_;
    FileSystem& fs_;
    const Clock& clock_;
    std::wstring program_folder_;
    std::unique_ptr<StartedCommand> listing_;
    std::chrono::milliseconds listing_waited_{0};
};
