#include "command_runner.h"

#include "address_change.h"

CommandResult RunToEnd(CommandRunner& runner, const CommandLine& command, std::chrono::milliseconds bound) {
    auto started = runner.Start(command);
    (void)started->WaitFor(bound);
    return started->Finish();
}

ChangeRun CommandRunner::RunChange(const AddressChange& change, std::chrono::milliseconds bound,
                                   const std::function<bool()>& closing) {
    ChangeRun run;
    bool timedOut = false;
    for (const std::wstring& line : CommandLinesOf(change)) {
        // A hung netsh would keep the next ones waiting as long: they are not started.
        if (timedOut) {
            run.lines.push_back({line, std::nullopt});
            continue;
        }
        if (closing()) return {ChangeRun::Outcome::Closed, std::move(run.lines), {}};
        auto command = Start({Program::Netsh, line, {}});
        if (!command->WaitFor(bound) && closing()) {
            command->LetRun();
            return {ChangeRun::Outcome::Closed, std::move(run.lines), {}};
        }
        run.lines.push_back({line, command->Finish()});
        timedOut = run.lines.back().result->outcome == CommandResult::Outcome::TimedOut;
    }
    return run;
}
