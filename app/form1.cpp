#include "form1.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>

#include "messages.h"
#include "netconfig/adapter_names.h"
#include "netconfig/address_commands.h"
#include "netconfig/failure_causes.h"
#include "netconfig/interface_table.h"
#include "netconfig/listing_command.h"
#include "netconfig/address_change.h"
#include "netconfig/way_back.h"
#include "schemes/add_scheme.h"
#include "schemes/delete_scheme.h"
#include "schemes/recover_scheme_file.h"
#include "schemes/scheme_file.h"
#include "textfile/read_lines.h"

namespace {

using namespace std::chrono_literals;

// netsh needs a few seconds at most, even while the adapter renegotiates; a hung one must not
// keep the user waiting for minutes.
constexpr auto kCommandBound = 30s;
constexpr auto kListingBound = 10s;
constexpr auto kListingPatience = 2s;  // after the welcome box, before the window shows without it
// Windows shows a new address as Tentative for a second or more while it probes for another
// device that has it, and netsh may return before a change shows at all.
constexpr std::chrono::milliseconds kReadInterval = 200ms;
constexpr auto kStaticPatience = 5s;
constexpr std::chrono::milliseconds kDhcpPatience = 3s;
constexpr std::chrono::milliseconds kLeasePatience = 10s;  // after 修改为DHCP, for an address from a server
constexpr auto kReadBound = 10s;                           // a read of every adapter before a change
// SendARP gives up after about 3 s without a reply.
constexpr auto kProbeBound = 4s;
// Keeps the window from taking input while a handler may wait, also on an early return; the
// outermost scope of a nest sets and clears it.
class BusyScope {
public:
    explicit BusyScope(FormView& view) : view_(view), outermost_(!view.Busy()) {
        if (outermost_) view_.SetBusy(true);
    }
    ~BusyScope() {
        if (outermost_) view_.SetBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    FormView& view_;
    bool outermost_;
};

}  // namespace

std::wstring GatewayFromAddress(const std::wstring& address) {
    const size_t dot = address.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : address.substr(0, dot + 1);
}

Form1::Form1(FormView& view, CommandRunner& runner, AdapterReader& reader, FileSystem& fs, const Clock& clock,
             ProgramPlace place)
    : view_(view),
      runner_(runner),
      reader_(reader),
      fs_(fs),
      clock_(clock),
      program_folder_(std::move(place.folder)),
      in_temporary_folder_(place.temporary) {}

FilePath Form1::SchemeFile() const { return JoinPath(program_folder_, kSchemeFileName); }

void Form1::Warn(const std::wstring& text) { view_.ShowMessage(text, MessageIcon::Warning); }

void Form1::Readtxt() { ShowSchemes(ReadSchemeFile()); }

LoadedLines Form1::ReadSchemeFile() {
    BusyScope busy(view_);  // the read may wait for a program that holds the file
    return ReadTextLines(fs_, SchemeFile());
}

void Form1::ShowSchemes(const LoadedLines& loaded) {
    view_.ClearSchemeList();
    // A missing file is a first start: an empty list, like an empty file.
    if (loaded.state == ReadResult::State::Ok) {
        for (const std::wstring& name : ListSchemeNames(loaded.lines)) view_.AddScheme(name);
        if (loaded.lines.encoding() == TextEncoding::Unknown) Warn(DescribeUnknownEncoding(SchemeFile()));
    } else if (loaded.state == ReadResult::State::Failed) {
        Warn(DescribeUnreadable(SchemeFile(), loaded.error, true));
    }
    for (Field field : kFields) view_.SetFieldText(field, kDefaultFields[field]);
}

void Form1::ReloadAfterChange(const std::wstring& added, const std::wstring& deleted) {
    std::vector<std::wstring> names = view_.SchemeNames();
    const LoadedLines loaded = ReadSchemeFile();
    if (loaded.state != ReadResult::State::Failed) return ShowSchemes(loaded);
    // Saved, but the new file cannot be read just now (a scanner may hold it): the list shows
    // what this change made of it, and every later action reads the file again.
    if (!added.empty()) names.push_back(added);
    if (const auto last = std::find(names.rbegin(), names.rend(), deleted); !deleted.empty() && last != names.rend())
        names.erase(std::next(last).base());
    view_.ClearSchemeList();
    for (const std::wstring& name : names) view_.AddScheme(name);
    for (Field field : kFields) view_.SetFieldText(field, kDefaultFields[field]);
    Warn(DescribeReloadFailed(SchemeFile(), loaded.error));
}

void Form1::readPcNet() {
    // An old listing that cannot be removed must never pass for this computer's adapters.
    listing_fresh_ = fs_.RemoveFile(ListingFile(program_folder_)).ok();
    listing_ = runner_.Start(ListingCommand(program_folder_));
    view_.ShowMessage(std::wstring(kWelcome), MessageIcon::None);
    view_.ClearAdapterList();

    // Read only a finished listing: a half-written one would give a partial list. One that takes
    // longer than a moment is read once it ends, with the window already shown.
    listing_waited_ = kListingPatience;
    if (listing_->WaitFor(kListingPatience) || view_.Closing()) return FinishListing(true);
    view_.SetListingTimer(true);
}

void Form1::ListingTick() {
    if (view_.Busy()) return;  // a handler's wait let the timer through: the next tick comes after it
    if (!listing_) return view_.SetListingTimer(false);
    listing_waited_ += kListingTick;
    if (!listing_->WaitFor(std::chrono::milliseconds(0)) && listing_waited_ < kListingBound) return;
    view_.SetListingTimer(false);
    FinishListing(true);
}

void Form1::FinishListing(bool fill) {
    const CommandResult result = listing_->Finish();  // past its bound: ended, and not read
    listing_.reset();                                 // lets go of the listing file
    const FilePath path = ListingFile(program_folder_);
    // Only a listing that succeeded is read: a non-zero exit means cmd could not write the file,
    // or netsh failed.
    if (fill && listing_fresh_ && result.Succeeded()) {
        const ReadResult listing = fs_.ReadFile(path);
        if (listing.state == ReadResult::State::Ok)
            for (const std::wstring& name : AdapterNames(runner_.DecodeOutput(listing.bytes))) view_.AddAdapter(name);
    }
    (void)fs_.RemoveFile(path);
}

Form1::~Form1() {
    if (listing_) FinishListing(false);  // the window is going: nothing to fill
}

void Form1::Combo1_Click(const std::wstring& picked) {
    const LoadedLines loaded = ReadSchemeFile();
    if (view_.Closing()) return;
    if (loaded.state == ReadResult::State::Failed) Warn(DescribeUnreadable(SchemeFile(), loaded.error, false));
    if (loaded.state != ReadResult::State::Ok) return;
    for (const FieldWrite& write : LoadSchemeWrites(loaded.lines, picked)) view_.SetFieldText(write.field, write.text);
}

void Form1::Command1_Click() {
    const std::wstring name = view_.SchemeText();
    DeleteOutcome outcome;
    {
        BusyScope busy(view_);  // reads and the replace may wait for a program that holds the file
        outcome = DeleteScheme(fs_, SchemeFile(), name, clock_.Now());
    }
    if (view_.Closing() && outcome.stranded.empty()) return;
    if (!outcome.recovery.empty()) Warn(DescribeRecovery(outcome.recovery, SchemeFile()));
    if (outcome.kind != DeleteOutcome::Kind::Deleted) return Warn(DescribeDelete(outcome, SchemeFile(), name));
    view_.ShowMessage(std::wstring(kDeleted), MessageIcon::None);
    ReloadAfterChange({}, name);
}

void Form1::Command2_Click() { view_.EndProgram(); }

void Form1::Command3_Click() {
    if (view_.SchemeText().empty()) return;
    const AddressChange change{AddressChange::Kind::Static, view_.Fields()};
    std::optional<Snapshot> before;
    if (!LookBeforeStatic(change.fields, before)) return;
    Report(ApplyChange(change), &change.fields, before);
}

void Form1::Command4_Click() {
    std::optional<Snapshot> before;
    {
        BusyScope busy(view_);
        before = TakeSnapshot(reader_.ReadAll(kReadBound), kWiredInterface);
    }
    if (view_.Closing()) return;
    Report(ApplyChange({AddressChange::Kind::Dhcp}), nullptr, before);
}

bool Form1::LookBeforeStatic(const AddressFields& asked, std::optional<Snapshot>& before) {
    BeforeStatic check;
    ArpReply reply;
    {
        BusyScope busy(view_);
        const AdapterList all = reader_.ReadAll(kReadBound);
        before = TakeSnapshot(all, kWiredInterface);
        check = CheckBeforeStatic(asked, all, kWiredInterface);
        if (check.kind == BeforeStatic::Kind::Probe) reply = reader_.Probe(check.target, check.source, kProbeBound);
    }
    if (view_.Closing()) return false;
    if (check.kind == BeforeStatic::Kind::TakenByOtherAdapter) {
        Warn(DescribeTakenByOtherAdapter(asked[Field::Ip], check.otherAdapter));
        return false;
    }
    if (reply.outcome != ArpReply::Outcome::Replied) return true;
    return view_.AskYesNo(DescribeAddressAnswered(asked[Field::Ip], reply.mac)) && !view_.Closing();
}

Form1::LinesRun Form1::RunLines(const AddressChange& change) {
    // Each one awaited: the alternate DNS must be added after the preferred one is set.
    const ChangeRun ran = runner_.RunChange(change, kCommandBound, [this] { return view_.Closing(); });
    LinesRun run;
    run.closed = ran.outcome == ChangeRun::Outcome::Closed;
    if (ran.outcome == ChangeRun::Outcome::Declined) run.refused = DescribeRightsDeclined();
    if (ran.outcome == ChangeRun::Outcome::NotElevated) run.refused = DescribeRightsNotHad(ran.why);
    bool anySucceeded = false;
    for (const ChangeRun::Line& line : ran.lines) {
        if (line.result && HasTakenEffect(line.text, *line.result)) {
            anySucceeded = true;
            continue;
        }
        run.failed.push_back({line.text, line.result});
        run.failedAfterChange = run.failedAfterChange || anySucceeded;
        run.timedOut = run.timedOut || (line.result && line.result->outcome == CommandResult::Outcome::TimedOut);
    }
    return run;
}

Form1::ChangeOutcome Form1::ApplyChange(const AddressChange& change) {
    const AddressFields* asked = change.kind == AddressChange::Kind::Static ? &change.fields : nullptr;
    BusyScope busy(view_);
    const LinesRun run = RunLines(change);
    if (run.closed) return {};
    if (!run.refused.empty()) return {run.refused, false};
    // A line that failed after another changed the adapter leaves it half changed: room for the
    // way back in the box.
    if (!run.failed.empty()) {
        const size_t reserved = run.failedAfterChange ? BoxLines(DescribeWayBackOffer()) : 0;
        return {DescribeCommandFailures(run.failed, LikelyCauses(run.timedOut), kCommandBound, reserved),
                run.failedAfterChange};
    }
    // An exit code is netsh's claim; the adapter's state is the truth.
    const auto patience = asked ? std::chrono::milliseconds(kStaticPatience) : kDhcpPatience;
    const Checked checked = ReadBackAdapter(
        [asked](const AdapterRead& read) { return asked ? CompareStatic(*asked, read) : CompareDhcp(read); }, patience);
    if (!checked.readBack.differences.empty())
        return {DescribeReadBack(checked.readBack, checked.waited), LeftWorse(checked.readBack)};
    // Some networks have no gateway on purpose: a silent one is offered back, never a failure.
    const std::optional<Ipv4> gateway = asked ? ParseIpv4((*asked)[Field::Gateway]) : std::nullopt;
    if (gateway && !GatewayAnswers(*gateway, *ParseIpv4((*asked)[Field::Ip])))
        return {DescribeGatewaySilent(Ipv4Text(*gateway)), true};
    return {std::wstring(kConfigured), false, true};
}

bool Form1::GatewayAnswers(Ipv4 gateway, Ipv4 source) {
    // Once more after no reply: the first question may go out while the link still settles.
    for (int attempt = 0; attempt < 2 && !view_.Closing(); ++attempt)
        if (reader_.Probe(gateway, source, kProbeBound).outcome != ArpReply::Outcome::NoReply) return true;
    return view_.Closing();
}

void Form1::Report(const ChangeOutcome& outcome, const AddressFields* asked, const std::optional<Snapshot>& before) {
    if (view_.Closing() || outcome.text.empty()) return;
    if (outcome.configured) return view_.ShowMessage(outcome.text, MessageIcon::None);
    if (!outcome.worse) return Warn(outcome.text);
    if (!before) return Warn(outcome.text + DescribeNoWayBack());
    if (!CanGoBack(*before, asked)) return Warn(outcome.text);
    if (view_.AskYesNo(outcome.text + DescribeWayBackOffer()) && !view_.Closing()) Restore(*before);
}

void Form1::Restore(const Snapshot& before) {
    std::wstring problem;
    {
        BusyScope busy(view_);
        const LinesRun run = RunLines({AddressChange::Kind::Restore, {}, before});
        if (run.closed) return;
        if (!run.refused.empty()) {
            problem = run.refused;
        } else if (!run.failed.empty()) {
            problem = DescribeCommandFailures(run.failed, LikelyCauses(run.timedOut), kCommandBound);
        } else {
            const auto compare = [&before](const AdapterRead& read) { return CompareRestored(before, read); };
            const auto patience = before.dhcp ? kDhcpPatience : std::chrono::milliseconds(kStaticPatience);
            Checked checked = ReadBackAdapter(compare, patience);
            // Windows may keep a default gateway the snapshot did not have.
            AddressChange removal{AddressChange::Kind::RemoveGateways};
            if (!before.dhcp)
                for (Ipv4 gateway : checked.last.state.gateways)
                    if (std::find(before.gateways.begin(), before.gateways.end(), gateway) == before.gateways.end())
                        removal.gateways.push_back(gateway);
            if (!removal.gateways.empty() && !RunLines(removal).closed) checked = ReadBackAdapter(compare, patience);
            if (!checked.readBack.differences.empty()) problem = DescribeReadBack(checked.readBack, checked.waited);
        }
    }
    if (view_.Closing()) return;
    if (problem.empty()) return view_.ShowMessage(std::wstring(kRestored), MessageIcon::None);
    Warn(DescribeRestoreFailed(problem));
}

FailureCauses Form1::LikelyCauses(bool timedOut) {
    // Asked again now: the listing of start-up may be stale, and Combo2 drops disabled ones. Not
    // after a time-out: that netsh would be as busy.
    std::optional<CommandResult> listing;
    if (!timedOut) listing = RunToEnd(runner_, {Program::Netsh, L"netsh interface show interface", {}}, kListingBound);
    return DiagnoseFailure(runner_.RunsElevated(), timedOut, listing ? &*listing : nullptr);
}

Form1::Checked Form1::ReadBackAdapter(const std::function<ReadBack(const AdapterRead&)>& compare,
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

void Form1::Command5_Click() {
    OpenedForAdd opened;
    {
        BusyScope busy(view_);  // the lock and the open may wait for another copy or program
        opened = OpenForAdd(fs_, SchemeFile());
    }
    if (view_.Closing()) return;
    if (!opened.recovery.empty()) Warn(DescribeRecovery(opened.recovery, SchemeFile()));
    if (opened.kind == OpenedForAdd::Kind::UnknownEncoding) return Warn(DescribeUnknownEncoding(SchemeFile()));
    if (opened.kind != OpenedForAdd::Kind::Opened) return Warn(DescribeAddNotOpened(SchemeFile(), opened.why));

    const std::wstring name = view_.PromptText(std::wstring(kAddPrompt), std::wstring(kAddPrompt));
    if (name.empty()) {
        (void)opened.file->Close();
        return;
    }
    const AddOutcome outcome = AppendScheme(*opened.file, name, view_.Fields(), opened.encoding);
    if (outcome.kind != AddOutcome::Kind::Added) Warn(DescribeAdd(outcome, SchemeFile()));
    if (outcome.kind != AddOutcome::Kind::Added && outcome.kind != AddOutcome::Kind::CloseFailed) return;
    if (in_temporary_folder_) Warn(DescribeUnpackedFromArchive());
    ReloadAfterChange(name, {});
}

std::wstring Form1::RecoverAtStart() {
    // Only a look: a copy that holds the lock is in the middle of a change, and its files are not
    // leftovers; the next start looks again.
    const SchemeFileLock locked = LockSchemeFile(fs_, SchemeFile(), LockWait::LookOnly);
    if (!locked.status.ok()) return {};
    return DescribeRecovery(locked.recovery, SchemeFile());
}

void Form1::Form_Load() {
    const std::wstring recovered = RecoverAtStart();
    Readtxt();
    readPcNet();
    if (!recovered.empty() && !view_.Closing()) Warn(recovered);
}

void Form1::Text1_Change() { view_.SetFieldText(Field::Gateway, GatewayFromAddress(view_.FieldText(Field::Ip))); }
