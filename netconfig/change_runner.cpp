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

}  // namespace

std::unique_ptr<ChangeSession> LocalChangeRunner::BeginClick() {
    return std::make_unique<LocalSession>(runner_, elevated_);
}
