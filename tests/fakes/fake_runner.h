// A CommandRunner that records each command and answers with the results a test queued.
#pragma once
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/clock.h"
#include "netconfig/adapter_reader.h"
#include "netconfig/change_runner.h"
#include "netconfig/command_runner.h"
#include "textfile/codepage936.h"

class FakeRunner final : public CommandRunner {
public:
    std::vector<CommandLine> started;
    std::deque<CommandResult> results;  // answered in turn; when empty, exit code 0
    std::vector<std::wstring>* log = nullptr;
    std::function<void(const CommandLine&)> onWait;  // runs when a command is awaited
    int runningFor = 0;                // how many waits the next command outlasts (it then ends, or times out)
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

// Changes run through the fake runner as the local change runner runs them (`elevated` or not),
// unless a test canned what the next runs come to (a declined prompt, a copy that ended early).
class FakeChanges final : public ChangeRunner {
public:
    explicit FakeChanges(FakeRunner& runner) : runner_(runner) {}
    bool elevated = true;
    std::deque<ChangeRun> canned;
    int clicks = 0;  // sessions begun

    bool AsksForRights() const override { return false; }
    std::unique_ptr<ChangeSession> BeginClick() override {
        ++clicks;
        return std::make_unique<Session>(*this);
    }

private:
    class Session final : public ChangeSession {
    public:
        explicit Session(FakeChanges& changes) : changes_(changes) {}
        ChangeRun Run(const AddressChange& change, std::chrono::milliseconds bound,
                      const std::function<bool()>& closing) override {
            if (changes_.canned.empty())
                return LocalChangeRunner(changes_.runner_, changes_.elevated).BeginClick()->Run(change, bound, closing);
            ChangeRun run = std::move(changes_.canned.front());
            changes_.canned.pop_front();
            return run;
        }

    private:
        FakeChanges& changes_;
    };
    FakeRunner& runner_;
};

// The date and time stand still; the ticks move as the fakes' pauses and reads take time, and
// with `steady` (a real window's real pauses) as real time does too.
class FixedClock final : public Clock {
public:
    DateTimeText now{L"2026/12/6", L"9:05:03", L"2026/12/6", L"9:05:03"};
    std::chrono::milliseconds ticks{0};
    bool steady = false;
    DateTimeText Now() const override { return now; }
    std::chrono::milliseconds Ticks() const override {
        if (!steady) return ticks;
        return ticks + std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch());
    }
};

// An AdapterReader that answers with the reads a test queued, the last one for every read after.
// Each read takes `takes` on `clock`; one that would outlast its bound ends there, not finished.
// ReadAll gives 以太网 as the next Read would (`before` when set), and `others`, and takes no
// time; probes answer from `replies` in turn.
class FakeReader final : public AdapterReader {
public:
    std::deque<AdapterRead> reads;
    std::optional<AdapterRead> before;
    std::vector<AdapterList::Named> others;
    std::deque<ArpReply> replies;  // when empty: Unavailable, as Wine's SendARP
    std::vector<std::wstring>* log = nullptr;
    FixedClock* clock = nullptr;
    std::chrono::milliseconds takes{0};
    std::function<void()> onProbe;

    AdapterRead Read(std::wstring_view name, std::chrono::milliseconds bound) override {
        if (log) log->push_back(L"Read:" + std::wstring(name));
        if (clock) clock->ticks += std::min(takes, bound);
        if (takes > bound) return {AdapterRead::Outcome::Failed, {}, Status::Error(L"not finished")};
        AdapterRead read = reads.empty() ? AdapterRead{} : reads.front();
        if (reads.size() > 1) reads.pop_front();
        return read;
    }
    AdapterList ReadAll(std::chrono::milliseconds) override {
        if (log) log->push_back(L"ReadAll");
        const AdapterRead wired = before ? *before : reads.empty() ? AdapterRead{} : reads.front();
        if (wired.outcome == AdapterRead::Outcome::Failed) return {false, {}, wired.error};
        AdapterList list{true, others, {}};
        if (wired.outcome == AdapterRead::Outcome::Read)
            list.adapters.insert(list.adapters.begin(), {L"以太网", wired.state});
        return list;
    }
    ArpReply Probe(Ipv4 target, Ipv4 source, unsigned long, std::chrono::milliseconds) override {
        if (log) log->push_back(L"Probe:" + Ipv4Text(target) + L"<-" + Ipv4Text(source));
        if (onProbe) onProbe();
        if (replies.empty()) return {};
        const ArpReply reply = replies.front();
        replies.pop_front();
        return reply;
    }
};

// 以太网 as a static setup of these values leaves it, linked and every address in use.
inline AdapterRead StaticRead(const std::wstring& ip, unsigned prefix, const std::wstring& gateway,
                              const std::vector<std::wstring>& dns, AddressState state = AddressState::Preferred) {
    AdapterRead read{AdapterRead::Outcome::Read, {}, {}};
    read.state.addresses.push_back({*ParseIpv4(ip), prefix, state});
    if (!gateway.empty()) read.state.gateways.push_back(*ParseIpv4(gateway));
    for (const std::wstring& server : dns) read.state.dnsServers.push_back(*ParseIpv4(server));
    return read;
}

// On DHCP it has a lease.
inline AdapterRead DhcpRead(bool dhcpEnabled = true, bool connected = true) {
    AdapterRead read{AdapterRead::Outcome::Read, {}, {}};
    read.state.dhcpEnabled = dhcpEnabled;
    read.state.connected = connected;
    if (dhcpEnabled) read.state.addresses.push_back({*ParseIpv4(L"192.168.1.77"), 24});
    return read;
}
