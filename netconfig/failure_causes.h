// Why address commands failed, as far as this computer can tell, as values: the window words them.
#pragma once
#include <string>
#include <vector>

#include "command_runner.h"

struct FailureCauses {
    // What the interface listing says of the interface the commands set.
    enum class Wired { NotAsked, Unreadable, Present, Missing, Disabled };
    bool notElevated = false;
    bool timedOut = false;
    Wired wired = Wired::NotAsked;
    std::vector<std::wstring> interfaces;  // with Missing: the names this computer has
    // None of the above explains it: netsh's own words have to.
    [[nodiscard]] bool OnlyNetshKnows() const {
        return !notElevated && !timedOut && wired != Wired::Missing && wired != Wired::Disabled;
    }
};

// `listing` is what `netsh interface show interface` gave after the failure, or null when it was
// not asked (after a time-out netsh is busy). A listing without a table this code can read, or
// with a name the code page could not show ('?'), never counts as "no such interface".
[[nodiscard]] FailureCauses DiagnoseFailure(bool elevated, bool timedOut, const CommandResult* listing);
