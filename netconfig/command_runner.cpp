#include "command_runner.h"

CommandResult RunToEnd(CommandRunner& runner, const CommandLine& command, std::chrono::milliseconds bound) {
    auto started = runner.Start(command);
    (void)started->WaitFor(bound);
    return started->Finish();
}
