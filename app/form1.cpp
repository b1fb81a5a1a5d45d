#include "form1.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "busy_scope.h"
#include "messages.h"
#include "netconfig/adapter_names.h"
#include "netconfig/listing_command.h"
#include "schemes/add_scheme.h"
#include "schemes/delete_scheme.h"
#include "schemes/recover_scheme_file.h"
#include "schemes/scheme_file.h"
#include "textfile/read_lines.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kListingBound = 10s;
constexpr auto kListingPatience = 2s;  // after the welcome box, before the window shows without it

}  // namespace

std::wstring GatewayFromAddress(const std::wstring& address) {
    const size_t dot = address.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : address.substr(0, dot + 1);
}

Form1::Form1(FormView& view, CommandRunner& runner, ChangeRunner& changes, AdapterReader& reader, FileSystem& fs,
             const Clock& clock, ProgramPlace place)
    : view_(view),
      runner_(runner),
      fs_(fs),
      clock_(clock),
      change_flow_(view, changes, runner, reader, clock),
      current_setup_(view, reader),
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
    change_flow_.Run(view_.Fields());
}

void Form1::Command4_Click() { change_flow_.Run(std::nullopt); }

void Form1::mnuFill_Click() { current_setup_.Fill(); }

void Form1::mnuView_Click() { current_setup_.Show(); }

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
