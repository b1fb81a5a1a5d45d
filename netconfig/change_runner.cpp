#include "change_runner.h"

#include "address_commands.h"

namespace {

class LocalSession final : public ChangeSession {
public:
    LocalSession(CommandRunner& runner, bool elevated) : runner_(runner), elevated_(elevated) {}

    ChangeRun Run(const AddressChange& change, std::chrono::milliseconds bound,
                  const std::function<bool()>& closing) override {
        ChangeRun run;
        run.elevated = elevated_;
        bool timedOut = false;
        for (const std::wstring& line : CommandLinesOf(change)) {
            // A hung netsh would keep the next ones waiting as long: they are not started.
            if (timedOut) {
                run.lines.push_back({line, std::nullopt});
                continue;
            }
            if (closing()) return Closed(std::move(run));
            auto command = runner_.Start({Program::Netsh, line, {}});
            if (!command->WaitFor(bound) && closing()) {
                command->LetRun();
                return Closed(std::move(run));
            }
            run.lines.push_back({line, command->Finish()});
            timedOut = run.lines.back().result->outcome == CommandResult::Outcome::TimedOut;
        }
        return run;
    }

private:
    static ChangeRun Closed(ChangeRun run) {
        run.outcome = ChangeRun::Outcome::Closed;
        return run;
    }

    CommandRunner& runner_;
    bool elevated_;
};

class RefusedSession final : public ChangeSession {
public:
    explicit RefusedSession(Status why) : why_(std::move(why)) {}
    ChangeRun Run(const AddressChange&, std::chrono::milliseconds, const std::function<bool()>&) override {
        return {ChangeRun::Outcome::Forbidden, {}, why_};
    }

private:
    Status why_;
};

}  // namespace

std::unique_ptr<ChangeSession> LocalChangeRunner::BeginClick() {
    return std::make_unique<LocalSession>(runner_, elevated_);
}

std::unique_ptr<ChangeSession> RefusedChangeRunner::BeginClick() { return std::make_unique<RefusedSession>(why_); }

ChangePlace PlaceForChanges(const Rights& rights) {
    using Where = ChangePlace::Where;
    if (rights.elevated || !rights.uacOn) return {Where::Here, rights.elevated, {}};
    // Microsoft's values: ValidateAdminCodeSignatures 1 elevates only signed programs (this one is
    // not); ConsentPromptBehaviorUser 0 denies a standard user's requests without a prompt.
    if (rights.validateAdminCodeSignatures == 1ul)
        return {Where::Nowhere, false, Status::Because(Status::Reason::UnsignedElevationRefused)};
    if (!rights.filteredAdministrator && rights.consentPromptBehaviorUser == 0ul)
        return {Where::Nowhere, false, Status::Because(Status::Reason::ElevationDeniedToStandardUsers)};
    return {Where::ElevatedCopy, true, {}};
}
