// Starting netsh and cmd: the interface the window's handlers use, so tests can stand in for it.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "textfile/file_path.h"

// The program is always the one in the system directory, never one found by a search.
enum class Program { Netsh, Cmd };

struct CommandLine {
    Program program = Program::Netsh;
    std::wstring text;    // the whole command line, exactly as the child gets it
    FilePath outputFile;  // when set, the child's standard output goes there
};

struct CommandResult {
    // Unknown: it ended, but its exit code could not be read.
    enum class Outcome { Exited, NotStarted, TimedOut, Unknown };
    Outcome outcome = Outcome::NotStarted;
    unsigned long exitCode = 0;
    std::wstring output;  // what the child printed (decoded), or why it could not be started
    [[nodiscard]] bool Succeeded() const { return outcome == Outcome::Exited && exitCode == 0; }
};

// A command that has been started. Wait keeps the window painting; a command still running when
// Wait gives up, or when this object goes away, is ended together with its own children.
class StartedCommand {
public:
    virtual ~StartedCommand() = default;
    [[nodiscard]] virtual CommandResult Wait(std::chrono::milliseconds bound) = 0;
};

class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // Never null: a command that cannot be started gives a StartedCommand that reports NotStarted.
    [[nodiscard]] virtual std::unique_ptr<StartedCommand> Start(const CommandLine& command) = 0;
};

// Starts the command and waits for it, at most `bound`.
[[nodiscard]] CommandResult RunToEnd(CommandRunner& runner, const CommandLine& command,
                                     std::chrono::milliseconds bound);
