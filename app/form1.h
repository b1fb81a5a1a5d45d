// The main window's behaviour: one method per control event, under the names the events have.
// Each handler sequences the scheme-file and netsh functions; Form1 keeps no state of its own.
#pragma once
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

private:
    [[nodiscard]] FilePath SchemeFile() const;
    // Runs each line through netsh in order, then reports "配置成功" or what failed.
    void RunAddressCommands(const std::wstring* lines, size_t count);
    void Warn(const std::wstring& text);

    FormView& view_;
    CommandRunner& runner_;
    FileSystem& fs_;
    const Clock& clock_;
    std::wstring program_folder_;
};
