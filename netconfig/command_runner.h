// Starting netsh and cmd: the interface the window's handlers use, so tests can stand in for it.
#pragma once
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "textfile/file_path.h"

// The program is always the one in the system directory, never one found by a search.
enum class Program { Netsh, Cmd };

struct CommandLine {
    Program program = Program::Netsh;
    std::wstring text;    // the whole command line, exactly as the child gets it
    FilePath outputFile;  // when set, the child's standard output goes there
};

struct CommandResult {
    // Unknown: it ended, but its exit code could not be read. Lost: it ran in an elevated copy that
    // ended before it said how the line ended; the line may have changed the adapter.
    enum class Outcome { Exited, NotStarted, TimedOut, Unknown, Lost };
    Outcome outcome = Outcome::NotStarted;
    unsigned long exitCode = 0;
    std::wstring output;  // what the child printed (decoded), or why it could not be started
    [[nodiscard]] bool Succeeded() const { return outcome == Outcome::Exited && exitCode == 0; }
};

// A command that has been started. Going away while it still runs ends it with its children,
// unless LetRun was called.
class StartedCommand {
public:
    virtual ~StartedCommand() = default;
    // Waits at most `bound` for it to end while the window keeps painting. False when it still
    // runs: after the bound, or at once when the program is being closed meanwhile.
    [[nodiscard]] virtual bool WaitFor(std::chrono::milliseconds bound) = 0;
    // Its result. One still running is ended now, with its children, and counts as timed out.
    [[nodiscard]] virtual CommandResult Finish() = 0;
    // The program is ending: one still running finishes on its own (never half a change).
    virtual void LetRun() = 0;
};

class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // Never null: a command that cannot be started gives a StartedCommand that reports NotStarted.
    [[nodiscard]] virtual std::unique_ptr<StartedCommand> Start(const CommandLine& command) = 0;
    // What a command wrote into a file (the listing), decoded as its printed output is: in the
    // system's OEM code page (936 on Chinese Windows, 65001 with the UTF-8 option).
    [[nodiscard]] virtual std::wstring DecodeOutput(std::string_view bytes) const = 0;
};

// Starts the command and waits for it, at most `bound`; one still running then is ended.
[[nodiscard]] CommandResult RunToEnd(CommandRunner& runner, const CommandLine& command,
                                     std::chrono::milliseconds bound);
