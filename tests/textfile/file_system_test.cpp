#include "textfile/file_system.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fakes/faulty_file_system.h"
#include "fakes/temp_folder.h"
#include "textfile/read_lines.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

TEST(FileSystem, ReadTellsMissingFromPresentAndRemoveOfMissingIsFine) {
    TempFolder folder;
    auto fs = MakeSystemFileSystem();
    EXPECT_EQ(fs->ReadFile(folder / "none").state, ReadResult::State::Missing);
    EXPECT_EQ(ReadTextLines(*fs, folder / "none").state, ReadResult::State::Missing);
    WriteBytes(folder / "f", "x\r\ny");
    const ReadResult read = fs->ReadFile(folder / "f");
    EXPECT_EQ(read.state, ReadResult::State::Ok);
    EXPECT_EQ(read.bytes, "x\r\ny");
    EXPECT_TRUE(fs->RemoveFile(folder / "f").ok());
    EXPECT_TRUE(fs->RemoveFile(folder / "f").ok());
    EXPECT_TRUE(folder.Files().empty());
}

TEST(FileSystem, AppendCreatesTheFileAndStartsEachBlockOnALineOfItsOwn) {
    TempFolder folder;
    auto fs = MakeSystemFileSystem();
    std::unique_ptr<AppendFile> file;
    ASSERT_TRUE(fs->OpenForAppend(folder / "ui.kvo", file).ok());
    ASSERT_TRUE(file->Append("first\r\n", "\r\n").ok());  // an empty file gets no line end first
    ASSERT_TRUE(file->Close().ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "first\r\n");

    // Saved by an editor without a line end after the last line, or ending in a lone CR or LF.
    // UTF-16 ends its lines in two-byte units.
    using namespace std::string_literals;
    const std::string utf16 = "\r\0\n\0"s, lf16 = "\xFF\xFEo\0\n\0"s, cut16 = "\xFF\xFEo\0"s;
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"old", "\r\n", "old\r\nnew\r\n"},
        {"old\r", "\r\n", "old\rnew\r\n"},  // a lone CR ends a line
        {"old\n", "\r\n", "old\nnew\r\n"},
        {cut16, utf16, cut16 + utf16 + "new\r\n"},
        {lf16, utf16, lf16 + "new\r\n"}};
    for (const auto& [before, lineEnd, after] : cases) {
        WriteBytes(folder / "ui.kvo", before);
        ASSERT_TRUE(fs->OpenForAppend(folder / "ui.kvo", file).ok());
        ASSERT_TRUE(file->Append("new\r\n", lineEnd).ok());
        ASSERT_TRUE(file->Close().ok());
        EXPECT_EQ(ReadBytes(folder / "ui.kvo"), after);
    }
}

TEST(FileSystem, RewriteFilePutsTheNewFileInPlaceOrCreatesItAndLeavesNoTemporaryFile) {
    TempFolder folder;
    auto fs = MakeSystemFileSystem();
    ASSERT_TRUE(RewriteFile(*fs, folder / "ui.kvo", "first").ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "first");
    ASSERT_TRUE(RewriteFile(*fs, folder / "ui.kvo", "second, longer").ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "second, longer");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"ui.kvo"});
}

TEST(FileSystem, RewriteFileThatFailsAtAnyStepLeavesTheOldFileWholeAndNoTemporaryFile) {
    for (FaultStep step :
         {FaultStep::CreateTemp, FaultStep::Write, FaultStep::Sync, FaultStep::Close, FaultStep::Replace}) {
        TempFolder folder;
        auto real = MakeSystemFileSystem();
        FaultyFileSystem fs(*real);
        WriteBytes(folder / "ui.kvo", "old contents\r\n");
        fs.FailAt(step);
        EXPECT_FALSE(RewriteFile(fs, folder / "ui.kvo", "new contents that are longer\r\n").ok());
        EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "old contents\r\n") << static_cast<int>(step);
        EXPECT_EQ(folder.Files(), std::vector<std::string>{"ui.kvo"}) << static_cast<int>(step);
    }
}

#ifndef _WIN32
// A file size limit makes write() fail part-way even for root: a disk that fills up mid-block.
TEST(FileSystem, AppendThatFailsPartWayCutsTheFileBackToItsOldLength) {
    TempFolder folder;
    auto fs = MakeSystemFileSystem();
    WriteBytes(folder / "ui.kvo", std::string(100, 'a'));
    std::unique_ptr<AppendFile> file;
    ASSERT_TRUE(fs->OpenForAppend(folder / "ui.kvo", file).ok());

    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 150;
    setrlimit(RLIMIT_FSIZE, &small);
    const Status status = file->Append(std::string(95, 'b'), "\r\n");
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.detail().empty());
    EXPECT_TRUE(file->Close().ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), std::string(100, 'a'));
}

// The process dies before each step of a rewrite, and once after the last: the scheme file is
// whole, old or new, and the next rewrite works whatever temporary file the dead one left.
TEST(FileSystem, AProcessKilledAnywhereInARewriteLeavesTheOldOrTheNewFileWhole) {
    const std::string before = "name:home\r\nIP:1.2.3.4\r\n";
    const std::string after = "2026/12/7-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-name:home\r\nIP:1.2.3.4\r\n";
    const FaultStep steps[] = {FaultStep::CreateTemp, FaultStep::Write,   FaultStep::Sync,
                               FaultStep::Close,      FaultStep::Replace, FaultStep::None};
    for (FaultStep killAt : steps) {
        SCOPED_TRACE(static_cast<int>(killAt));
        TempFolder folder;
        WriteBytes(folder / "ui.kvo", before);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto real = MakeSystemFileSystem();
            FaultyFileSystem fs(*real);
            fs.onStep = [killAt](FaultStep step) {
                if (step == killAt) ::_exit(9);
            };
            const bool written = RewriteFile(fs, folder / "ui.kvo", after).ok();
            ::_exit(written ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), killAt == FaultStep::None ? 0 : 9);
        const std::string now = ReadBytes(folder / "ui.kvo");
        EXPECT_EQ(now, killAt == FaultStep::None ? after : before);

        auto fs = MakeSystemFileSystem();
        EXPECT_TRUE(RewriteFile(*fs, folder / "ui.kvo", after + "\r\n").ok());
        EXPECT_EQ(ReadBytes(folder / "ui.kvo"), after + "\r\n");
    }
}
#endif

}  // namespace
