#include "form1.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>

#include "failure_text.h"
#include "netconfig/adapter_names.h"
#include "netconfig/address_commands.h"
#include "netconfig/failure_causes.h"
#include "netconfig/interface_table.h"
#include "netconfig/listing_command.h"
#include "schemes/add_scheme.h"
#include "schemes/delete_scheme.h"
#include "schemes/recover_scheme_file.h"
#include "schemes/scheme_file.h"
#include "textfile/codepage936.h"
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
constexpr auto kReadInterval = 200ms;
constexpr auto kStaticPatience = 5s;
constexpr auto kDhcpPatience = 3s;
constexpr std::wstring_view kAddPrompt = L"输入 当前方案 的名称";
constexpr std::wstring_view kWelcome = L"欢迎使用，欢迎指正，不定时更新。\r\n一处保存，随处切换。";
constexpr std::array<std::wstring_view, kFieldCount> kFieldNames = {L"ip地址", L"掩码", L"网关", L"首选DNS",
                                                                    L"备用DNS"};

// Keeps the window from taking input while commands run, also on an early return.
class BusyScope {
public:
    explicit BusyScope(FormView& view) : view_(view) { view_.SetBusy(true); }
    ~BusyScope() { view_.SetBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    FormView& view_;
};

std::wstring LeftoverNote(const FilePath& leftover) {
    if (leftover.empty()) return {};
    return L"\r\n临时文件" + QuotedPath(leftover) + L"没能删除：它只是方案文件的一份副本，可以删掉。";
}

std::wstring DescribeRefusal(const EncodedBlock& block) {
    const std::wstring where =
        block.field ? Quoted(std::wstring(kFieldNames[static_cast<size_t>(*block.field)])) : L"方案名称";
    if (block.problem == EncodedBlock::Problem::LineBreak)
        return where + L"中含有换行符（" + DescribeCharacter(block.character) +
               L"），它会把方案拆成错误的行。方案未保存。";
    return where + L"中含有字符 " + DescribeCharacter(block.character) +
           L"，方案文件（GBK 编码）无法保存这个字符。方案未保存。";
}

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

void Form1::Readtxt() { ShowSchemes(ReadTextLines(fs_, SchemeFile())); }

void Form1::ShowSchemes(const LoadedLines& loaded) {
    view_.ClearSchemeList();
    // A missing file is a first start: an empty list, like an empty file.
    if (loaded.state == ReadResult::State::Ok) {
        for (const std::wstring& name : ListSchemeNames(loaded.lines)) view_.AddScheme(name);
    } else if (loaded.state == ReadResult::State::Failed) {
        Warn(L"无法读取方案文件" + QuotedPath(SchemeFile()) + L"，方案列表为空。\r\n" + loaded.error);
    }
    for (Field field : kFields) view_.SetFieldText(field, kDefaultFields[field]);
}

void Form1::ReloadAfterChange(const std::wstring& added, const std::wstring& deleted) {
    std::vector<std::wstring> names = view_.SchemeNames();
    const LoadedLines loaded = ReadTextLines(fs_, SchemeFile());
    if (loaded.state != ReadResult::State::Failed) return ShowSchemes(loaded);
    // Saved, but the new file cannot be read just now (a scanner may hold it): the list shows
    // what this change made of it, and every later action reads the file again.
    if (!added.empty()) names.push_back(added);
    if (const auto last = std::find(names.rbegin(), names.rend(), deleted); !deleted.empty() && last != names.rend())
        names.erase(std::next(last).base());
    view_.ClearSchemeList();
    for (const std::wstring& name : names) view_.AddScheme(name);
    for (Field field : kFields) view_.SetFieldText(field, kDefaultFields[field]);
    Warn(L"修改已保存，但现在无法重新读取方案文件" + QuotedPath(SchemeFile()) +
         L"：列表先按这次修改显示，下次操作时会再读取。\r\n" + loaded.error);
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

void Form1::Combo1_Click() {
    LoadedLines loaded = ReadTextLines(fs_, SchemeFile());
    if (loaded.state == ReadResult::State::Failed)
        Warn(L"无法读取方案文件" + QuotedPath(SchemeFile()) + L"。\r\n" + loaded.error);
    if (loaded.state != ReadResult::State::Ok) return;
    for (const FieldWrite& write : LoadSchemeWrites(loaded.lines, view_.SchemeText()))
        view_.SetFieldText(write.field, write.text);
}

void Form1::Command1_Click() {
    const std::wstring name = view_.SchemeText();
    DeleteOutcome outcome;
    {
        BusyScope busy(view_);  // reads and the replace may wait for a program that holds the file
        const DateTimeText now = clock_.Now();
        outcome = DeleteScheme(fs_, SchemeFile(), name, {now.date, now.time, now.fallbackDate, now.fallbackTime});
    }
    if (view_.Closing() && outcome.stranded.empty()) return;
    const std::wstring file = QuotedPath(SchemeFile());
    const std::wstring nothing = L"没有删除任何方案";
    switch (outcome.kind) {
    case DeleteOutcome::Kind::Deleted:
        view_.ShowMessage(L"删除成功！", MessageIcon::None);
        return ReloadAfterChange({}, name);
    case DeleteOutcome::Kind::FileMissing: return Warn(L"找不到方案文件" + file + L"，" + nothing + L"。");
    case DeleteOutcome::Kind::ReadFailed:
        return Warn(L"无法读取方案文件" + file + L"，" + nothing + L"。\r\n" + outcome.detail);
    case DeleteOutcome::Kind::NoSelection: return Warn(L"请先在“选择方案”中选出要删除的方案。" + nothing + L"。");
    case DeleteOutcome::Kind::NoSuchName:
        return Warn(L"方案文件中没有名为" + Quoted(name) + L"的方案（文件可能已被改动），" + nothing + L"。");
    case DeleteOutcome::Kind::WriteFailed:
        return Warn(L"无法改写方案文件" + file + L"，" + nothing + L"，文件保持原样。\r\n" + outcome.detail +
                    LeftoverNote(outcome.leftover));
    case DeleteOutcome::Kind::Stranded:
        return Warn(L"无法改写方案文件" + file + L"，而且它没能放回原处。\r\n你的方案现在保存在" +
                    QuotedPath(outcome.stranded) + L"中：请把这个文件改名为 " + std::wstring(kSchemeFileName) +
                    L"。\r\n" + outcome.detail);
    case DeleteOutcome::Kind::Locked: return Warn(nothing + L"：" + outcome.detail + L"请稍后再试。");
    case DeleteOutcome::Kind::KeepsChanging:
        return Warn(L"方案文件" + file + L"在删除时一再被其他程序改动，" + nothing +
                    L"。请关闭正在改动它的程序后再试。" + LeftoverNote(outcome.leftover));
    }
}

void Form1::Command2_Click() { view_.EndProgram(); }

void Form1::Command3_Click() {
    if (view_.SchemeText().empty()) return;
    const StaticSettings asked{view_.FieldText(Field::Ip), view_.FieldText(Field::Mask),
                               view_.FieldText(Field::Gateway), view_.FieldText(Field::PreferredDns),
                               view_.FieldText(Field::AlternateDns)};
    const auto lines = StaticCommandLines(asked.ip, asked.mask, asked.gateway, asked.preferredDns, asked.alternateDns);
    RunAddressCommands(lines.data(), lines.size(), &asked);
}

void Form1::Command4_Click() {
    const auto lines = DhcpCommandLines();
    RunAddressCommands(lines.data(), lines.size(), nullptr);
}

void Form1::RunAddressCommands(const std::wstring* lines, size_t count, const StaticSettings* asked) {
    std::wstring problem;
    {
        BusyScope busy(view_);
        std::vector<FailedCommand> failed;
        bool timedOut = false;
        // Each one awaited: the alternate DNS must be added after the preferred one is set.
        for (size_t i = 0; i < count; ++i) {
            // A hung netsh would keep the next ones waiting as long: they are not started.
            if (timedOut) {
                failed.push_back({lines[i], std::nullopt});
                continue;
            }
            if (view_.Closing()) return;
            auto command = runner_.Start({Program::Netsh, lines[i], {}});
            if (!command->WaitFor(kCommandBound) && view_.Closing()) return command->LetRun();
            const CommandResult result = command->Finish();
            if (!HasTakenEffect(lines[i], result)) failed.push_back({lines[i], result});
            timedOut = result.outcome == CommandResult::Outcome::TimedOut;
        }
        if (!failed.empty()) {
            problem = DescribeCommandFailures(failed, LikelyCauses(timedOut), kCommandBound);
        } else {
            // An exit code is netsh's claim; the adapter's state is the truth.
            const auto patience = asked ? std::chrono::milliseconds(kStaticPatience) : kDhcpPatience;
            const ReadBack readBack = ReadBackAdapter(asked, patience);
            if (!readBack.differences.empty()) problem = DescribeReadBack(readBack, patience);
        }
    }
    if (view_.Closing()) return;
    if (problem.empty()) return view_.ShowMessage(L"配置成功", MessageIcon::None);
    Warn(problem);
}

FailureCauses Form1::LikelyCauses(bool timedOut) {
    // Asked again now: the listing of start-up may be stale, and Combo2 drops disabled ones. Not
    // after a time-out: that netsh would be as busy.
    std::optional<CommandResult> listing;
    if (!timedOut) listing = RunToEnd(runner_, {Program::Netsh, L"netsh interface show interface", {}}, kListingBound);
    return DiagnoseFailure(runner_.RunsElevated(), timedOut, listing ? &*listing : nullptr);
}

ReadBack Form1::ReadBackAdapter(const StaticSettings* asked, std::chrono::milliseconds patience) {
    for (std::chrono::milliseconds waited{0};; waited += kReadInterval) {
        const AdapterRead read = reader_.Read(kWiredInterface);
        ReadBack readBack = asked ? CompareStatic(*asked, read) : CompareDhcp(read);
        if (readBack.Settled() || readBack.final || waited >= patience || !view_.Pause(kReadInterval)) return readBack;
    }
}

void Form1::Command5_Click() {
    const std::wstring file = QuotedPath(SchemeFile());
    std::unique_ptr<ChangeLock> lock;  // from the open to the close, the name prompt included
    std::unique_ptr<AppendFile> scheme;
    Status opened = Status::Ok();
    {
        BusyScope busy(view_);  // the lock and the open may wait for another copy or program
        opened = LockSchemeFile(lock);
        if (opened.ok()) opened = fs_.OpenForAppend(SchemeFile(), scheme);
    }
    if (view_.Closing()) return;
    if (!opened.ok()) return Warn(L"无法打开或创建方案文件" + file + L"，不能添加方案。\r\n" + opened.detail());

    const std::wstring name = view_.PromptText(std::wstring(kAddPrompt), std::wstring(kAddPrompt));
    if (name.empty()) {
        (void)scheme->Close();
        return;
    }
    AddressFields fields;
    for (Field field : kFields) fields[field] = view_.FieldText(field);
    // A file an editor re-saved as UTF-8 (with its mark) stays UTF-8.
    const TextEncoding encoding = EncodingOf(fs_.ReadFile(SchemeFile()).bytes);
    const AddOutcome outcome = AppendScheme(*scheme, name, fields, encoding);
    switch (outcome.kind) {
    case AddOutcome::Kind::Added: break;
    case AddOutcome::Kind::Refused: return Warn(DescribeRefusal(outcome.refusal));
    case AddOutcome::Kind::WriteFailed:
        return Warn(L"无法写入方案文件" + file + L"，方案未保存，文件保持原样。\r\n" + outcome.detail);
    case AddOutcome::Kind::CloseFailed:
        Warn(L"关闭方案文件" + file + L"时出错，方案可能未完整保存。\r\n" + outcome.detail);
        break;
    }
    if (in_temporary_folder_)
        Warn(
            L"本程序正从临时文件夹运行（多半是直接在压缩包里打开的）：临时文件夹会被清空，刚保存的方案会随之丢失。"
            L"\r\n请先把程序解压到一个单独的文件夹，再从那里运行。");
    ReloadAfterChange(name, {});
}

Status Form1::LockSchemeFile(std::unique_ptr<ChangeLock>& lock) {
    bool abandoned = false;
    Status locked = fs_.LockChanges(SchemeFile(), true, lock, abandoned);
    if (abandoned) (void)RecoverSchemeFile(fs_, SchemeFile());  // a copy died holding it, perhaps mid-change
    return locked;
}

std::wstring Form1::RecoverAtStart() {
    // Only a look: a copy that holds the lock is in the middle of a change, and its files are not
    // leftovers; the next start looks again.
    std::unique_ptr<ChangeLock> lock;
    bool abandoned = false;
    if (!fs_.LockChanges(SchemeFile(), false, lock, abandoned).ok()) return {};
    const Recovery recovery = RecoverSchemeFile(fs_, SchemeFile());
    std::wstring text;
    if (recovery.restored)
        text += L"上次修改方案时程序被中断（断电或被强行结束），方案文件已从备份恢复：修改前的方案都在。\r\n";
    if (!recovery.unrestored.empty())
        text += L"方案文件" + QuotedPath(SchemeFile()) + L"不见了。上次修改被中断时留下的备份" +
                QuotedPath(recovery.unrestored) + L"没能改回原名：它保存着你的方案，请把它改名为 " +
                std::wstring(kSchemeFileName) + L"。\r\n" + recovery.detail + L"\r\n";
    for (const FilePath& stuck : recovery.stuck)
        text += L"上次修改方案时留下的文件" + QuotedPath(stuck) + L"没能删除：它只是方案文件的副本，可以删掉。\r\n";
    if (!text.empty()) text.resize(text.size() - 2);
    return text;
}

void Form1::Form_Load() {
    const std::wstring recovered = RecoverAtStart();
    Readtxt();
    readPcNet();
    if (!recovered.empty() && !view_.Closing()) Warn(recovered);
}

void Form1::Text1_Change() { view_.SetFieldText(Field::Gateway, GatewayFromAddress(view_.FieldText(Field::Ip))); }
