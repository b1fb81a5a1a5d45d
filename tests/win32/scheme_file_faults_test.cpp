// Scheme file faults only Windows can make: the read-only attribute, a file another program
// holds open for good or for a moment, a folder path near MAX_PATH, and the failure states that
// Microsoft documents for ReplaceFileW, which Wine never shows (made through Win32FileCalls).
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "app/form1.h"
#include "fakes/fake_runner.h"
#include "fakes/fake_view.h"
#include "fakes/temp_folder.h"
#include "schemes/delete_scheme.h"
#include "textfile/change_lock_win32.h"
#include "textfile/file_system_win32.h"
#include "win32/unique_handle.h"
#include "window_helpers.h"

namespace {

const std::string kSchemes = "name:home\r\nIP:192.168.1.20\r\n\r\n\r\n\r\n\r\n\r\nname:lab\r\nIP:10.0.0.7\r\n";
const std::string kLabDeleted =
    "name:home\r\nIP:192.168.1.20\r\n\r\n\r\n\r\n\r\n\r\n2026/12/"
    "6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-name:lab\r\nIP:10.0.0.7\r\n";

// The state a fake ReplaceFileW leaves, as Microsoft documents it for each error.
enum class ReplaceState {
    Real,
    BothKeepNames1175,     // ERROR_UNABLE_TO_REMOVE_REPLACED
    BothKeepNames1176,     // ERROR_UNABLE_TO_MOVE_REPLACEMENT with a backup name
    OldGone1176,           // ERROR_UNABLE_TO_MOVE_REPLACEMENT as without a backup name: old file deleted
    OldUnderBackup1177,    // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: old file under the backup name
    NotSupported,          // a volume without ReplaceFileW: both keep their names
    AccessDenied,          // a file the user may not write: always, both keep their names
    SharingTwiceThenReal,  // another program holds the file for a moment
    ScannerHoldsNewFile,   // a scanner opens the temporary file without sharing and keeps it
    RecreatedInGap1177,    // as 1177, and another program's add creates the missing file meanwhile
};
enum class MoveFault { None, TempOnly, IntoPlace, All };

ReplaceState g_replace = ReplaceState::Real;
MoveFault g_move = MoveFault::None;
int g_replaceCalls = 0;
int g_pauses = 0;
win32::UniqueFile g_scanner;

BOOL WINAPI FakeReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID) {
    ++g_replaceCalls;
    DWORD error = ERROR_SUCCESS;
    switch (g_replace) {
    case ReplaceState::Real: return ::ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr);
    case ReplaceState::BothKeepNames1175: error = ERROR_UNABLE_TO_REMOVE_REPLACED; break;
    case ReplaceState::BothKeepNames1176: error = ERROR_UNABLE_TO_MOVE_REPLACEMENT; break;
    case ReplaceState::OldGone1176:
        ::DeleteFileW(replaced);
        error = ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        break;
    case ReplaceState::OldUnderBackup1177:
        ::MoveFileW(replaced, backup);
        error = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
        break;
    case ReplaceState::RecreatedInGap1177:
        ::MoveFileW(replaced, backup);
        WriteBytes(replaced, "name:other\r\n");
        error = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
        break;
    case ReplaceState::NotSupported: error = ERROR_NOT_SUPPORTED; break;
    case ReplaceState::AccessDenied: error = ERROR_ACCESS_DENIED; break;
    case ReplaceState::ScannerHoldsNewFile:
        if (!g_scanner)
            g_scanner.reset(::CreateFileW(replacement, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        return ::ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr);
    case ReplaceState::SharingTwiceThenReal:
        if (g_replaceCalls > 2) return ::ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr);
        error = ERROR_SHARING_VIOLATION;
        break;
    }
    ::SetLastError(error);
    return FALSE;
}

BOOL WINAPI FakeMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    const bool temporary = std::wstring_view(from).ends_with(L".tmp");
    const bool intoPlace = std::wstring_view(to).ends_with(L"ui.kvo");
    if (g_move == MoveFault::All || (g_move == MoveFault::TempOnly && temporary) ||
        (g_move == MoveFault::IntoPlace && intoPlace)) {
        ::SetLastError(ERROR_NOT_SAME_DEVICE);
        return FALSE;
    }
    return ::MoveFileExW(from, to, flags);
}

bool CountPause(HANDLE, DWORD, DWORD, const std::function<bool()>& done) {
    if (!done()) ++g_pauses;  // a retry's pause; a lock nobody holds is taken at the first ask
    return true;
}

class SchemeFileFaultTest : public ::testing::Test {
protected:
    SchemeFileFaultTest() : form_(view_, runner_, changes_, reader_, *fs_, clock_, folder_.path().wstring()) {
        view_.form = &form_;
        WriteBytes(File(), kSchemes);
        g_replace = ReplaceState::Real;
        g_move = MoveFault::None;
        g_replaceCalls = g_pauses = 0;
    }
    ~SchemeFileFaultTest() override { ::SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_NORMAL); }

    [[nodiscard]] std::wstring File() const { return folder_ / "ui.kvo"; }

    void ExpectDeleteRefused() {
        view_.messages.clear();
        view_.schemeText = L"lab";
        form_.Command1_Click();
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_EQ(view_.messages[0].icon, MessageIcon::Warning);
        EXPECT_NE(view_.messages[0].text.find(L"没有删除任何方案"), std::wstring::npos) << view_.messages[0].text;
        EXPECT_EQ(ReadBytes(File()), kSchemes);
        EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});
    }

    void ExpectAddRefused() {
        view_.messages.clear();
        view_.answers = {L"new"};
        form_.Command5_Click();
        EXPECT_TRUE(view_.prompts.empty()) << "the prompt came before the file was known to be writable";
        ASSERT_EQ(view_.messages.size(), 1u);
        EXPECT_NE(view_.messages[0].text.find(L"不能添加方案"), std::wstring::npos) << view_.messages[0].text;
        EXPECT_EQ(ReadBytes(File()), kSchemes);
    }

    // Deletes lab through the fake ReplaceFileW and MoveFileExW; what the user was told.
    std::wstring DeleteLabThroughFakes() {
        Win32FileCalls calls;
        calls.replaceFile = FakeReplace;
        calls.moveFile = FakeMove;
        calls.wait = CountPause;
        auto fs = MakeWin32FileSystem(calls);
        Form1 form(view_, runner_, changes_, reader_, *fs, clock_, folder_.path().wstring());
        view_.form = &form;
        view_.messages.clear();
        view_.schemeText = L"lab";
        form.Command1_Click();
        view_.form = &form_;
        if (view_.messages.size() != 1) return L"(" + std::to_wstring(view_.messages.size()) + L" messages)";
        std::wstring told = view_.messages[0].text;  // long paths come broken into lines
        std::erase(told, L'\r');
        std::erase(told, L'\n');
        return told;
    }

    TempFolder folder_;
    std::unique_ptr<FileSystem> fs_ = MakeSystemFileSystem();
    FakeView view_;
    FakeRunner runner_;
    FakeChanges changes_{runner_};
    FakeReader reader_;
    FixedClock clock_;
    Form1 form_;
};

TEST_F(SchemeFileFaultTest, AReadOnlyFileIsNeitherRewrittenNorAppendedTo) {
    ASSERT_TRUE(::SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectDeleteRefused();
    ExpectAddRefused();
    EXPECT_EQ(::GetFileAttributesW(File().c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST_F(SchemeFileFaultTest, AFileAnotherProgramHoldsOpenIsLeftAlone) {
    // Like an editor that keeps the file open and lets others only read it.
    win32::UniqueFile other(
        ::CreateFileW(File().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    ExpectDeleteRefused();
    ExpectAddRefused();
    // Reading still works: the list and a pick do not need more than others allow.
    form_.Readtxt();
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"lab"}));
}

TEST_F(SchemeFileFaultTest, EveryDocumentedReplaceFailureEndsWithTheWholeFileUnderItsName) {
    struct Case {
        ReplaceState state;
        MoveFault move;
        const std::string& after;
        const wchar_t* told;
    };
    const Case cases[] = {
        {ReplaceState::BothKeepNames1175, MoveFault::None, kSchemes, L"没有删除任何方案"},
        {ReplaceState::BothKeepNames1176, MoveFault::None, kSchemes, L"没有删除任何方案"},
        {ReplaceState::OldGone1176, MoveFault::None, kLabDeleted, L"删除成功！"},  // the new file moved in
        {ReplaceState::OldUnderBackup1177, MoveFault::None, kLabDeleted, L"删除成功！"},
        {ReplaceState::OldUnderBackup1177, MoveFault::TempOnly, kSchemes, L"没有删除任何方案"},  // the old one back
        {ReplaceState::NotSupported, MoveFault::None, kLabDeleted, L"删除成功！"},               // MoveFileExW instead
        {ReplaceState::AccessDenied, MoveFault::None, kSchemes, L"没有删除任何方案"},  // refused, never renamed around
        {ReplaceState::SharingTwiceThenReal, MoveFault::None, kLabDeleted, L"删除成功！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state) * 10 + static_cast<int>(c.move));
        WriteBytes(File(), kSchemes);
        g_replace = c.state;
        g_move = c.move;
        g_replaceCalls = g_pauses = 0;
        const std::wstring told = DeleteLabThroughFakes();
        EXPECT_NE(told.find(c.told), std::wstring::npos) << std::string(told.begin(), told.end());
        EXPECT_EQ(ReadBytes(File()), c.after);
        EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});  // no temporary file, no backup
    }
    EXPECT_EQ(g_replaceCalls, 3);  // retried while the file was held, with a pause each time
    EXPECT_EQ(g_pauses, 2);
}

TEST_F(SchemeFileFaultTest, ATemporaryFileAScannerKeepsIsNamedInTheMessage) {
    g_replace = ReplaceState::ScannerHoldsNewFile;
    const std::wstring told = DeleteLabThroughFakes();
    EXPECT_EQ(ReadBytes(File()), kSchemes);
    const auto files = folder_.Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_NE(told.find(folder_ / (files[0] == "ui.kvo" ? files[1] : files[0])), std::wstring::npos);
    g_scanner.reset();
}

// Like a second copy's add: ui.kvo open for appending with read sharing only, appended to and let
// go while the delete waits for it. The delete then works on what it finds, and keeps the block.
TEST_F(SchemeFileFaultTest, ADeleteThatWaitsForAnotherWriterKeepsWhatItWrote) {
    const std::string added = "name:new\r\nIP:10.1.1.1\r\n";
    auto writer = std::make_shared<win32::UniqueFile>(::CreateFileW(
        File().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(*writer);
    std::thread other([writer, added] {
        ::Sleep(400);
        DWORD written = 0;
        ::SetFilePointer(writer->get(), 0, nullptr, FILE_END);
        ::WriteFile(writer->get(), added.data(), static_cast<DWORD>(added.size()), &written, nullptr);
        writer->reset();
    });
    view_.schemeText = L"lab";
    form_.Command1_Click();
    other.join();
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, L"删除成功！");
    EXPECT_EQ(ReadBytes(File()), kLabDeleted + added);
    EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});
}

// The file named to the user is renamed out of the clean-up's way first: neither an add that
// creates a new ui.kvo nor the next start removes it.
TEST_F(SchemeFileFaultTest, WhenUiKvoCannotBePutBackTheMessageNamesTheFileThatHoldsTheSchemes) {
    g_replace = ReplaceState::OldUnderBackup1177;
    g_move = MoveFault::IntoPlace;
    const std::wstring told = DeleteLabThroughFakes();
    EXPECT_FALSE(std::filesystem::exists(File()));
    const auto files = folder_.Files();
    ASSERT_EQ(files.size(), 2u);  // the old file kept aside, the new one beside it
    const std::string kept = files[0].ends_with(".kept.kvo") ? files[0] : files[1];
    EXPECT_EQ(ReadBytes(folder_.path() / kept), kSchemes);
    EXPECT_NE(told.find(folder_ / kept), std::wstring::npos) << std::string(told.begin(), told.end());
    EXPECT_NE(told.find(L"改名为 ui.kvo"), std::wstring::npos);

    // The add finds no ui.kvo and no backup: the rewrite's whole copy beside the kept one goes back
    // first. The kept file stays as it was.
    view_.answers = {L"new"};
    form_.Command5_Click();
    form_.Form_Load();
    EXPECT_EQ(ReadBytes(folder_.path() / kept), kSchemes);
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"new"}));
}

TEST_F(SchemeFileFaultTest, AFileHeldForAMomentIsWaitedForThenAddedToAndRewritten) {
    // Like a sync client that opens the file without sharing and lets go after a moment.
    auto holdBriefly = [this] {
        auto held = std::make_shared<win32::UniqueFile>(
            ::CreateFileW(File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(*held);
        return std::thread([held] {
            ::Sleep(400);
            held->reset();
        });
    };
    std::thread scanner = holdBriefly();
    view_.answers = {L"new"};
    form_.Command5_Click();
    scanner.join();
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"lab", L"new"}));

    scanner = holdBriefly();
    view_.schemeText = L"lab";
    form_.Command1_Click();
    scanner.join();
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].text, L"删除成功！");
    EXPECT_TRUE(ReadBytes(File()).starts_with(kLabDeleted));
    EXPECT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"});
}

TEST_F(SchemeFileFaultTest, AFolderPathTooLongForATemporaryFileIsRefusedWithAMessage) {
    // Deep enough that ui.kvo still fits within MAX_PATH but a temporary name beside it does not.
    std::filesystem::path deep = folder_.path();
    const size_t want = 250;
    while (deep.wstring().size() + 1 < want)
        deep /= std::wstring(std::min<size_t>(want - deep.wstring().size() - 1, 100), L'd');
    ASSERT_TRUE(std::filesystem::create_directories(deep));
    WriteBytes(deep / "ui.kvo", kSchemes);
    Form1 form(view_, runner_, changes_, reader_, *fs_, clock_, deep.wstring());
    view_.form = &form;
    view_.schemeText = L"lab";
    form.Command1_Click();
    view_.form = &form_;
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"路径太长"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(deep / "ui.kvo"), kSchemes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(deep), std::filesystem::directory_iterator()), 1);
}

// This test program again, running one of the SchemeFileChild tests as another copy would.
win32::ProcessInfo StartChild(const std::wstring& test) {
    std::wstring line(32768, L'\0');
    line.resize(::GetModuleFileNameW(nullptr, line.data(), static_cast<DWORD>(line.size())));
    line = L"\"" + line + L"\" --gtest_brief=1 --gtest_filter=SchemeFileChild." + test;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return {};
    return {win32::UniqueHandle(child.hProcess), win32::UniqueHandle(child.hThread)};
}

// Another program made a new ui.kvo while the replace had the old one under the backup name: that
// backup, the only copy of the schemes, is kept under a name the next start leaves alone.
TEST_F(SchemeFileFaultTest, AFileAnotherProgramMadeInTheGapNeverCostsTheBackup) {
    g_replace = ReplaceState::RecreatedInGap1177;
    g_move = MoveFault::TempOnly;
    const std::wstring told = DeleteLabThroughFakes();
    EXPECT_EQ(ReadBytes(File()), "name:other\r\n");
    const std::vector<std::string> files = folder_.Files();
    const auto kept =
        std::find_if(files.begin(), files.end(), [](const std::string& f) { return f.ends_with(".kept.kvo"); });
    ASSERT_NE(kept, files.end());
    EXPECT_EQ(ReadBytes(folder_ / *kept), kSchemes);
    EXPECT_NE(told.find(std::wstring(kept->begin(), kept->end())), std::wstring::npos);
    form_.Form_Load();  // the next start
    EXPECT_EQ(ReadBytes(folder_ / *kept), kSchemes);
}

// What a delete interrupted between ReplaceFileW's renames leaves (no ui.kvo, the old file under
// our backup name, the new one under our temporary name) is undone at the next start.
TEST_F(SchemeFileFaultTest, AnInterruptedDeleteIsUndoneBeforeTheListIsRead) {
    ASSERT_TRUE(::MoveFileW(File().c_str(), (folder_ / "kvo0000ABCD.bak").c_str()));
    WriteBytes(folder_ / "kvo0000ABCE.tmp", kLabDeleted);
    WriteBytes(folder_ / "kvo-notours.tmp", "x");  // not a name of ours: left alone
    form_.Form_Load();
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"lab"}));
    EXPECT_EQ(ReadBytes(File()), kSchemes);
    ASSERT_EQ(view_.messages.size(), 2u);  // the welcome box, then the word on the restore
    EXPECT_NE(view_.messages[1].text.find(L"方案文件已从备份"), std::wstring::npos);
    EXPECT_NE(view_.messages[1].text.find(L"kvo0000ABCD.bak"), std::wstring::npos);  // which one
    EXPECT_EQ(folder_.Files(), (std::vector<std::string>{"kvo-notours.tmp", "ui.kvo"}));

    // Killed after the backup was removed too: only the rewrite's own copy holds the schemes. A whole
    // one is put back; one cut short inside a line is kept aside and named.
    for (const std::string& left : {kLabDeleted, kLabDeleted.substr(0, kLabDeleted.size() - 3)}) {
        ASSERT_TRUE(::DeleteFileW(File().c_str()));
        WriteBytes(folder_ / "kvo0000ABCE.tmp", left);
        view_.messages.clear();
        form_.Form_Load();
        ASSERT_EQ(view_.messages.size(), 2u);
        const std::wstring& told = view_.messages[1].text;
        if (left == kLabDeleted) {
            EXPECT_EQ(ReadBytes(File()), kLabDeleted);
            EXPECT_NE(told.find(L"已从那次修改写好的临时文件"), std::wstring::npos);
            continue;
        }
        EXPECT_FALSE(std::filesystem::exists(File()));
        const auto files = folder_.Files();
        const auto kept =
            std::find_if(files.begin(), files.end(), [](const std::string& f) { return f.ends_with(".kept.kvo"); });
        ASSERT_NE(kept, files.end());
        EXPECT_EQ(ReadBytes(folder_ / *kept), left);
        EXPECT_NE(told.find(std::wstring(kept->begin(), kept->end())), std::wstring::npos);
        EXPECT_NE(told.find(L"没有写完"), std::wstring::npos);
    }
}

// What start-up and an add do with backups that are not what they seem: only a file with a name
// line is put back, the longest of them; a backup longer than ui.kvo is kept, never removed.
TEST_F(SchemeFileFaultTest, ABackupIsRestoredOnlyAsASchemeFileAndNeverLostToAShorterOne) {
    const std::string noise(400, '\x9C');
    ASSERT_TRUE(::MoveFileW(File().c_str(), (folder_ / "kvo0000ABCD.bak").c_str()));
    WriteBytes(folder_ / "kvo0000ABCF.bak", noise);  // newer and longer, but no scheme file
    view_.answers = {L"new"};
    form_.Command5_Click();  // the add puts the backup back before it creates the file
    EXPECT_TRUE(ReadBytes(File()).starts_with(kSchemes + "name:new\r\n"));
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_NE(view_.messages[0].text.find(L"kvo0000ABCD.bak"), std::wstring::npos);
    EXPECT_NE(view_.messages[0].text.find(L"已改名保留为"), std::wstring::npos);
    auto files = folder_.Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(ReadBytes(folder_.path() / files[0]), noise);

    // A save cut short left ui.kvo empty beside the whole backup.
    ::DeleteFileW((folder_ / files[0]).c_str());
    WriteBytes(folder_ / "kvo0000ABCD.bak", kSchemes);
    WriteBytes(File(), "");
    view_.messages.clear();
    form_.Form_Load();
    files = folder_.Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE(files[0].ends_with(".kept.kvo"));
    EXPECT_EQ(ReadBytes(folder_.path() / files[0]), kSchemes);
    ASSERT_EQ(view_.messages.size(), 2u);
    form_.Form_Load();  // said once
    EXPECT_EQ(view_.messages.size(), 3u);
}

// Another copy of the program in the middle of a change (here: its add's name prompt is up) is
// waited for about 2 s, then this copy's change is refused; the file stays as it was.
TEST_F(SchemeFileFaultTest, AChangeWaitsForAnotherCopyThenIsRefused) {
    wintest::ScopedVariable role(L"NETSCHEME_CHILD_FOLDER", folder_.path().wstring());
    const win32::ProcessInfo owned = StartChild(L"HoldsTheLock");
    ASSERT_TRUE(owned.process);
    for (int i = 0; i < 200 && !std::filesystem::exists(folder_ / "locked"); ++i) ::Sleep(50);
    ::DeleteFileW((folder_ / "locked").c_str());
    ExpectDeleteRefused();
    EXPECT_NE(view_.messages[0].text.find(L"另一个正在运行的本程序"), std::wstring::npos);
    ::TerminateProcess(owned.process.get(), 0);  // a copy that dies holding the lock
    ::WaitForSingleObject(owned.process.get(), 5000);
    view_.schemeText = L"lab";
    form_.Command1_Click();
    EXPECT_EQ(view_.messages.back().text, L"删除成功！");
}

// Deletes on a file of 250 schemes, the process killed at random moments: every start after a
// kill finds every block, old or marked, and nothing of ours beside the file.
TEST_F(SchemeFileFaultTest, KillsDuringDeletesNeverLoseAScheme) {
    std::string original;
    for (int i = 0; i < 250; ++i)
        original += "name:s" + std::to_string(i) + "\r\nIP:10.0.0." + std::to_string(i % 250) + "\r\n";
    wintest::ScopedVariable role(L"NETSCHEME_CHILD_FOLDER", folder_.path().wstring());
    std::srand(7);
    for (int kill = 0; kill < 20; ++kill) {
        WriteBytes(File(), original);
        const win32::ProcessInfo owned = StartChild(L"DeletesUntilKilled");
        ASSERT_TRUE(owned.process);
        for (int i = 0; i < 200 && !std::filesystem::exists(folder_ / "locked"); ++i) ::Sleep(10);
        ::Sleep(static_cast<DWORD>(std::rand() % 100));  // the 250 deletes take about 100 ms
        ::TerminateProcess(owned.process.get(), 0);
        ::WaitForSingleObject(owned.process.get(), 5000);
        ::DeleteFileW((folder_ / "locked").c_str());
        view_.messages.clear();
        form_.Form_Load();
        const std::string now = ReadBytes(File());
        std::string unmarked;  // each marked name line back as it was
        for (size_t start = 0, end; start < now.size(); start = end + 2) {
            end = now.find("\r\n", start);
            const std::string lineText = now.substr(start, end - start);
            const size_t name = lineText.find("name:");
            unmarked += (name == std::string::npos ? lineText : lineText.substr(name)) + "\r\n";
        }
        ASSERT_EQ(unmarked, original) << "after kill " << kill;
        ASSERT_EQ(folder_.Files(), std::vector<std::string>{"ui.kvo"}) << "after kill " << kill;
    }
}

// The other copy of the two tests above, started by them (skipped when run on its own).
TEST(SchemeFileChild, HoldsTheLock) {
    wchar_t folder[MAX_PATH] = L"";
    if (!::GetEnvironmentVariableW(L"NETSCHEME_CHILD_FOLDER", folder, MAX_PATH)) GTEST_SKIP();
    const auto fs = MakeSystemFileSystem();
    const LockResult locked = fs->LockChanges(JoinPath(folder, L"ui.kvo"), LockWait::Patiently);
    ASSERT_TRUE(locked.status.ok());
    WriteBytes(JoinPath(folder, L"locked"), "");
    ::Sleep(30000);
}

TEST(SchemeFileChild, DeletesUntilKilled) {
    wchar_t folder[MAX_PATH] = L"";
    if (!::GetEnvironmentVariableW(L"NETSCHEME_CHILD_FOLDER", folder, MAX_PATH)) GTEST_SKIP();
    const auto fs = MakeSystemFileSystem();
    WriteBytes(JoinPath(folder, L"locked"), "");
    for (int i = 0; i < 250; ++i)
        (void)DeleteScheme(*fs, JoinPath(folder, L"ui.kvo"), L"s" + std::to_wstring(i),
                           {L"2026/12/9", L"1:02:03", L"2026/12/9", L"1:02:03"});
}

// Two spellings of one folder (here its short name; a mapped drive and its UNC path, subst or a
// junction alike) take one lock.
TEST(ChangeLock, TwoSpellingsOfOneFolderTakeOneLock) {
    TempFolder folder;
    const std::wstring spelled = folder / "a folder with a long name";
    ASSERT_TRUE(::CreateDirectoryW(spelled.c_str(), nullptr));
    std::wstring shortName(MAX_PATH, L'\0');
    shortName.resize(::GetShortPathNameW(spelled.c_str(), shortName.data(), MAX_PATH));
    ASSERT_FALSE(shortName.empty());
    ASSERT_NE(shortName, spelled);
    EXPECT_EQ(ChangeLockName(spelled + L"\\ui.kvo"), ChangeLockName(shortName + L"\\ui.kvo"));
    EXPECT_NE(ChangeLockName(spelled + L"\\ui.kvo"), ChangeLockName(folder / "ui.kvo"));
}

}  // namespace
