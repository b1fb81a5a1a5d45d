// The real command runner: netsh.exe or cmd.exe from the system directory, hidden, awaited while
// the window keeps painting. Its input is dropped while it waits.
#pragma once
#include <memory>

#include "command_runner.h"

[[nodiscard]] std::unique_ptr<CommandRunner> MakeSystemCommandRunner();
