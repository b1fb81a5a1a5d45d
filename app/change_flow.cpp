#include "change_flow.h"

#include <algorithm>
#include <vector>

#include "box_text.h"
#include "busy_scope.h"
#include "messages.h"
#include "netconfig/address_commands.h"
#include "netconfig/listing_command.h"

namespace {

using namespace std::chrono_literals;

// netsh needs a few seconds at most, even while the adapter renegotiates; a hung one must not
// keep the user waiting for minutes.
constexpr auto kCommandBound = 30s;
constexpr auto kInterfaceListingBound = 10s;
// Windows shows a new address as Tentative for a second or more while it probes for another
// device that has it, and netsh may return before a change shows at all.
constexpr std::chrono::milliseconds kReadInterval = 200ms;
constexpr auto kStaticPatience = 5s;
constexpr std::chrono::milliseconds kDhcpPatience = 3s;
constexpr std::chrono::milliseconds kLeasePatience = 10s;  // after 修改为DHCP, for an address from a server
constexpr auto kReadBound = 10s;                           // a read of every adapter before a change
// SendARP gives up after about 3 s without a reply.
constexpr auto kProbeBound = 4s;

// The lines of a run that did not take effect.
struct Failures {
    std::vector<FailedCommand> lines;
    bool afterChange = false;  // a line failed after an earlier one changed the adapter
    bool timedOut = false;
    bool lost = false;  // the elevated copy ended mid-run: what its lines did is not known
};

Failures FailuresOf(const ChangeRun& run) {
    Failures failures;
    bool anySucceeded = false;
    for (const ChangeRun::Line& line : run.lines) {
        if (line.result && HasTakenEffect(line.text, *line.result)) {
            anySucceeded = true;
            continue;
        }
        failures.lines.push_back({line.text, line.result});
        failures.afterChange = failures.afterChange || anySucceeded;
        failures.timedOut =
            failures.timedOut || (line.result && line.result->outcome == CommandResult::Outcome::TimedOut);
        failures.lost = failures.lost || (line.result && line.result->outcome == CommandResult::Outcome::Lost);
    }
    return failures;
}

AddressChange ChangeOf(const std::optional<AddressFields>& asked) {
    if (!asked) return {AddressChange::Kind::Dhcp};
    return {AddressChange::Kind::Static, *asked};
}

}  // namespace

ChangeFlow::ChangeFlow(FormView& view, ChangeRunner& changes, CommandRunner& runner, AdapterReader& reader,
                       const Clock& clock)
    : view_(view), changes_(changes), runner_(runner), reader_(reader), clock_(clock) {}

void ChangeFlow::Warn(const std::wstring& text) { view_.ShowMessage(text, MessageIcon::Warning); }

void ChangeFlow::Run(const std::optional<AddressFields>& asked) {
    std::optional<Snapshot> before;
    if (!LookFirst(asked, before)) return;
    const std::unique_ptr<ChangeSession> session = changes_.BeginClick();
    Report(*session, Change(*session, asked, before), asked, before);
}

bool ChangeFlow::LookFirst(const std::optional<AddressFields>& asked, std::optional<Snapshot>& before) {
    BeforeStatic check;
    ArpReply reply;
    {
        BusyScope busy(view_);
        const AdapterList all = reader_.ReadAll(kReadBound);
        before = TakeSnapshot(all, kWiredInterface);
        if (asked) check = CheckBeforeStatic(*asked, all, kWiredInterface);
        if (check.kind == BeforeStatic::Kind::Probe)
            reply = reader_.Probe(check.target, check.source, check.interfaceIndex, kProbeBound);
    }
    if (view_.Closing()) return false;
    if (check.kind == BeforeStatic::Kind::TakenByOtherAdapter) {
        Warn(DescribeTakenByOtherAdapter((*asked)[Field::Ip], check.otherAdapter));
        return false;
    }
    // A device there now asks with 否 the default; one only this computer's cache remembers, with 是.
    if (reply.outcome == ArpReply::Outcome::Stale)
        return view_.AskYesNo(DescribeAddressSeenBefore((*asked)[Field::Ip], reply.mac), true) && !view_.Closing();
    if (reply.outcome != ArpReply::Outcome::Replied) return true;
    return view_.AskYesNo(DescribeAddressAnswered((*asked)[Field::Ip], reply.mac)) && !view_.Closing();
}

ChangeFlow::Outcome ChangeFlow::Change(ChangeSession& session, const std::optional<AddressFields>& asked,
                                       const std::optional<Snapshot>& before) {
    BusyScope busy(view_);
    const ChangeRun run = RunLines(session, ChangeOf(asked));
    if (run.outcome == ChangeRun::Outcome::Closed) return {};
    if (auto failed = Failed(run, &before)) return *failed;
    // An exit code is netsh's claim; the adapter's state is the truth.
    const auto patience = asked ? std::chrono::milliseconds(kStaticPatience) : kDhcpPatience;
    const Checked checked = ReadBackAdapter(
        [&asked](const AdapterRead& read) { return asked ? CompareStatic(*asked, read) : CompareDhcp(read); },
        patience);
    if (!checked.readBack.differences.empty())
        return {.text = DescribeReadBack(checked.readBack, checked.waited), .worse = LeftWorse(checked.readBack)};
    // Some networks have no gateway on purpose: a silent one is offered back, never a failure.
    const std::optional<Ipv4> gateway = asked ? ParseIpv4((*asked)[Field::Gateway]) : std::nullopt;
    if (gateway && !GatewayAnswers(*gateway, *ParseIpv4((*asked)[Field::Ip]), checked.last.state.interfaceIndex))
        return {.text = DescribeGatewaySilent(Ipv4Text(*gateway)), .worse = true};
    return {.text = std::wstring(kConfigured), .configured = true};
}

std::optional<ChangeFlow::Outcome> ChangeFlow::Failed(const ChangeRun& run, const std::optional<Snapshot>* before) {
    switch (run.outcome) {
    case ChangeRun::Outcome::Declined: return Outcome{.text = DescribeRightsDeclined()};
    case ChangeRun::Outcome::NotElevated: return Outcome{.text = DescribeRightsNotHad(run.why)};
    case ChangeRun::Outcome::Refused: return Outcome{.text = DescribeCopyRefused(run.why)};
    case ChangeRun::Outcome::Forbidden: return Outcome{.text = DescribeRightsForbidden(run.why)};
    case ChangeRun::Outcome::Ran:
    case ChangeRun::Outcome::Closed: break;
    }
    const Failures failures = FailuresOf(run);
    if (failures.lines.empty()) return std::nullopt;
    // A line that failed after another took effect, or a copy that ended mid-run, may leave the
    // adapter half changed: room for the way back in the box, offered where the adapter says so.
    const bool mayOffer = before && (failures.afterChange || failures.lost);
    const size_t reserved = mayOffer ? BoxLines(DescribeWayBackOffer()) : 0;
    std::wstring text =
        DescribeCommandFailures(failures.lines, LikelyCauses(failures.timedOut, run.elevated), kCommandBound, reserved);
    return Outcome{.text = std::move(text), .worse = mayOffer && ChangedSince(*before)};
}

bool ChangeFlow::ChangedSince(const std::optional<Snapshot>& before) {
    if (!before) return true;
    return !CompareRestored(*before, reader_.Read(kWiredInterface, kReadBound)).differences.empty();
}

bool ChangeFlow::GatewayAnswers(Ipv4 gateway, Ipv4 source, unsigned long interfaceIndex) {
    // Once more after no reply: the first question may go out while the link still settles. What
    // only the cache remembers is no answer: a gateway that kept its address may be gone.
    for (int attempt = 0; attempt < 2 && !view_.Closing(); ++attempt) {
        const ArpReply::Outcome outcome = reader_.Probe(gateway, source, interfaceIndex, kProbeBound).outcome;
        if (outcome == ArpReply::Outcome::Replied || outcome == ArpReply::Outcome::Unavailable) return true;
    }
    return view_.Closing();
}

void ChangeFlow::Report(ChangeSession& session, const Outcome& outcome, const std::optional<AddressFields>& asked,
                        const std::optional<Snapshot>& before) {
    if (view_.Closing() || outcome.text.empty()) return;
    if (outcome.configured) return view_.ShowMessage(outcome.text, MessageIcon::None);
    if (!outcome.worse) return Warn(outcome.text);
    if (!before) return Warn(outcome.text + DescribeNoWayBack());
    if (!CanGoBack(*before, asked)) return Warn(outcome.text);
    if (view_.AskYesNo(outcome.text + DescribeWayBackOffer()) && !view_.Closing()) Restore(session, *before, asked);
}

void ChangeFlow::Restore(ChangeSession& session, const Snapshot& before, const std::optional<AddressFields>& asked) {
    std::wstring problem;
    {
        BusyScope busy(view_);
        problem = RestoreProblem(session, before, asked);
    }
    if (view_.Closing()) return;
    if (problem.empty()) return view_.ShowMessage(std::wstring(kRestored), MessageIcon::None);
    Warn(DescribeRestoreFailed(problem));
}

std::wstring ChangeFlow::RestoreProblem(ChangeSession& session, const Snapshot& before,
                                        const std::optional<AddressFields>& asked) {
    const ChangeRun run = RunLines(session, {AddressChange::Kind::Restore, {}, before});
    if (run.outcome == ChangeRun::Outcome::Closed) return {};
    if (auto failed = Failed(run, nullptr)) return failed->text;
    const auto compare = [&before](const AdapterRead& read) { return CompareRestored(before, read); };
    const auto patience = before.dhcp ? kDhcpPatience : std::chrono::milliseconds(kStaticPatience);
    Checked checked = ReadBackAdapter(compare, patience);
    // Windows may keep a default gateway the snapshot did not have; back on DHCP only the one the
    // change set goes, since a new lease may bring a gateway of its own.
    const std::optional<Ipv4> set = asked ? ParseIpv4((*asked)[Field::Gateway]) : std::nullopt;
    AddressChange removal{AddressChange::Kind::RemoveGateways};
    for (Ipv4 gateway : checked.last.state.gateways)
        if (std::find(before.gateways.begin(), before.gateways.end(), gateway) == before.gateways.end() &&
            (!before.dhcp || gateway == set))
            removal.gateways.push_back(gateway);
    if (!removal.gateways.empty() && RunLines(session, removal).outcome != ChangeRun::Outcome::Closed)
        checked = ReadBackAdapter(compare, patience);
    if (checked.readBack.differences.empty()) return {};
    return DescribeReadBack(checked.readBack, checked.waited);
}

ChangeRun ChangeFlow::RunLines(ChangeSession& session, const AddressChange& change) {
    // Each one awaited: the alternate DNS must be added after the preferred one is set.
    return session.Run(change, kCommandBound, [this] { return view_.Closing(); });
}

FailureCauses ChangeFlow::LikelyCauses(bool timedOut, bool elevated) {
    // Asked again now: the listing of start-up may be stale, and Combo2 drops disabled ones. Not
    // after a time-out: that netsh would be as busy.
    std::optional<CommandResult> listing;
    if (!timedOut) listing = RunToEnd(runner_, InterfaceListingCommand(), kInterfaceListingBound);
    return DiagnoseFailure(elevated, timedOut, listing ? &*listing : nullptr);
}

ChangeFlow::Checked ChangeFlow::ReadBackAdapter(const std::function<ReadBack(const AdapterRead&)>& compare,
                                                std::chrono::milliseconds patience) {
    // The bound is time, each read's own included: a slow read leaves less for the next, and one
    // still running at the bound ends the wait. A lease may take longer than the flag.
    const std::chrono::milliseconds start = clock_.Ticks();
    for (;;) {
        const std::chrono::milliseconds left = patience - (clock_.Ticks() - start);
        Checked checked{reader_.Read(kWiredInterface, std::max(left, kReadInterval)), {}, {}};
        checked.readBack = compare(checked.last);
        const auto& differences = checked.readBack.differences;
        if (differences.size() == 1 && differences[0].kind == Difference::Kind::NoLease) patience = kLeasePatience;
        checked.waited = clock_.Ticks() - start;
        if (checked.readBack.Settled() || checked.readBack.final || checked.waited + kReadInterval > patience ||
            !view_.Pause(kReadInterval))
            return checked;
    }
}
