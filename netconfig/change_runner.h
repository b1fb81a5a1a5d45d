// Where a change's netsh lines run: in this process, or in an elevated copy of the program. The
// choice is made once, at start-up; a click's changes (the change, a restore, the removal of a kept
// gateway) run in one session of it.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "address_change.h"
#include "command_runner.h"
#include "textfile/status.h"

// What running a change's lines came to.
struct ChangeRun {
    enum class Outcome {
        Ran,
        Closed,       // the program is being closed: no further line was started
        Declined,     // the user declined the prompt for administrator rights: nothing ran
        NotElevated,  // the rights could not be had (why): nothing ran
        Refused,      // the elevated copy would not run it (why): nothing ran
        Forbidden,    // a policy refuses this program the rights (why): nothing ran
    };
    struct Line {
        std::wstring text;
        // None: not started, since the one before it timed out, or since the elevated copy that
        // ran the one before it ended (that one's result is Lost).
        std::optional<CommandResult> result;
    };
    Outcome outcome = Outcome::Ran;
    std::vector<Line> lines{};
    Status why{};
    bool elevated = false;  // the lines ran with administrator rights
};

// One click's changes, run one after another.
class ChangeSession {
public:
    virtual ~ChangeSession() = default;
    // Runs the change's lines in order, each awaited at most `bound` (after one that timed out the
    // rest are not started); `closing` is asked before each line, and one still running then
    // finishes on its own.
    [[nodiscard]] virtual ChangeRun Run(const AddressChange& change, std::chrono::milliseconds bound,
                                        const std::function<bool()>& closing) = 0;
};

class ChangeRunner {
public:
    virtual ~ChangeRunner() = default;
    // Whether a change asks the user for administrator rights first (the shield on its buttons).
    [[nodiscard]] virtual bool AsksForRights() const = 0;
    // What the changes of one click run in, until it goes.
    [[nodiscard]] virtual std::unique_ptr<ChangeSession> BeginClick() = 0;
};

// What Windows says of this program's rights, and the policies that decide whether it may ask.
struct Rights {
    bool elevated = false;
    bool uacOn = true;
    bool filteredAdministrator = false;  // an administrator's filtered token, which a consent prompt raises
    // Under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System, where set.
    std::optional<unsigned long> consentPromptBehaviorUser{};
    std::optional<unsigned long> validateAdminCodeSignatures{};
};

// Where changes run, and whether they run with administrator rights.
struct ChangePlace {
    enum class Where { Here, ElevatedCopy, Nowhere };
    Where where = Where::Here;
    bool elevated = false;
    Status why;  // with Nowhere: the policy
};
// Here when elevated, or when Windows asks for no rights (UAC off: the lines fail and the diagnosis
// says why); nowhere where a policy refuses the prompt; else in an elevated copy.
[[nodiscard]] ChangePlace PlaceForChanges(const Rights& rights);

// Changes run nowhere: each run says which policy refuses them, and nothing carries the shield.
class RefusedChangeRunner final : public ChangeRunner {
public:
    explicit RefusedChangeRunner(Status why) : why_(std::move(why)) {}
    [[nodiscard]] bool AsksForRights() const override { return false; }
    [[nodiscard]] std::unique_ptr<ChangeSession> BeginClick() override;

private:
    Status why_;
};

// The lines run here, through `runner`, one after another; `elevated`: whether this process has
// administrator rights (it asks for none).
class LocalChangeRunner final : public ChangeRunner {
public:
    LocalChangeRunner(CommandRunner& runner, bool elevated) : runner_(runner), elevated_(elevated) {}
    [[nodiscard]] bool AsksForRights() const override { return false; }
    [[nodiscard]] std::unique_ptr<ChangeSession> BeginClick() override;

private:
    CommandRunner& runner_;
    bool elevated_;
};
