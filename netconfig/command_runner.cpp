#include "command_runner.h"

CommandResult RunToEnd(CommandRunner& runner, const CommandLine& command, std::chrono::milliseconds bound) {
    return runner.Start(command)->Wait(bound);
}
