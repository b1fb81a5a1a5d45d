// A CommandRunner that records each command and answers with the results a test queued.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "netconfig/command_runner.h"
#include "textfile/codepage936.h"

class FakeRunner final : public CommandRunner {
public:
    std::vector<CommandLine> started;
    std::deque<CommandResult> results;  // answered in turn; when empty, exit code 0
    std::vector<std::wstring>* log = nullptr;
    std::function<void(const CommandLine&)> onWait;  // runs when a command is awaited
    int runningFor = 0;  // how many waits the next command outlasts (it then ends, or times out)
    bool elevated = true;
    std::vector<std::wstring> letRun;  // commands left to finish on their own

    std::unique_ptr<StartedCommand> Start(const CommandLine& command) override {
        started.push_back(command);
        if (log) log->push_back(L"Start:" + command.text);
        CommandResult result{CommandResult::Outcome::Exited, 0, L""};
        if (!results.empty()) {
            result = results.front();
            results.pop_front();
        }
        return std::make_unique<Started>(*this, command, result, std::exchange(runningFor, 0));
    }
    bool RunsElevated() const override { return elevated; }
    std::wstring DecodeOutput(std::string_view bytes) const override { return Codepage936().Decode(bytes); }

private:
    class Started final : public StartedCommand {
    public:
        Started(FakeRunner& runner, CommandLine command, CommandResult result, int running)
            : runner_(runner), command_(std::move(command)), result_(std::move(result)), running_(running) {}
        bool WaitFor(std::chrono::milliseconds) override {
            if (runner_.log) runner_.log->push_back(L"Wait:" + command_.text);
            if (runner_.onWait) runner_.onWait(command_);
            if (running_ == 0) return true;
            --running_;
            return false;
        }
        CommandResult Finish() override {
            if (running_ == 0) return result_;
            return {CommandResult::Outcome::TimedOut, 0, L""};  // ended while still running
        }
        void LetRun() override { runner_.letRun.push_back(command_.text); }

    private:
        FakeRunner& runner_;
        CommandLine command_;
        CommandResult result_;
        int running_;
    };
};

class FixedClock final : public Clock {
public:
    DateTimeText now{L"2026/12/6", L"9:05:03", L"2026/12/6", L"9:05:03"};
    DateTimeText Now() const override { return now; }
};
