#include "textfile/file_system.h"

#include <gtest/gtest.h>

#include "fakes/faulty_file_system.h"
#include "fakes/temp_folder.h"
#include "textfile/read_lines.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
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

TEST(FileSystem, AppendCreatesTheFileAndAddsAtTheEnd) {
    TempFolder folder;
    auto fs = MakeSystemFileSystem();
    std::unique_ptr<AppendFile> file;
    ASSERT_TRUE(fs->OpenForAppend(folder / "ui.kvo", file).ok());
    ASSERT_TRUE(file->Close().ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "");

    WriteBytes(folder / "ui.kvo", "old");
    ASSERT_TRUE(fs->OpenForAppend(folder / "ui.kvo", file).ok());
    ASSERT_TRUE(file->Append("\r\nnew").ok());
    ASSERT_TRUE(file->Append("!").ok());
    ASSERT_TRUE(file->Close().ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "old\r\nnew!");
}

TEST(FileSystem, AtomicWriteReplacesOrCreatesAndLeavesNoTemporaryFile) {
    TempFolder folder;
    auto fs = MakeSystemFileSystem();
    ASSERT_TRUE(WriteFileAtomically(*fs, folder / "ui.kvo", "first").ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "first");
    ASSERT_TRUE(WriteFileAtomically(*fs, folder / "ui.kvo", "second, longer").ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), "second, longer");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"ui.kvo"});
}

TEST(FileSystem, AtomicWriteThatFailsAtAnyStepLeavesTheOldFileWholeAndNoTemporaryFile) {
    for (FaultStep step : {FaultStep::CreateTemp, FaultStep::Write, FaultStep::Sync, FaultStep::Close,
                           FaultStep::Replace}) {
        TempFolder folder;
        auto real = MakeSystemFileSystem();
        FaultyFileSystem fs(*real);
        WriteBytes(folder / "ui.kvo", "old contents\r\n");
        fs.FailAt(step);
        EXPECT_FALSE(WriteFileAtomically(fs, folder / "ui.kvo", "new contents that are longer\r\n").ok());
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
    const Status status = file->Append(std::string(95, 'b'));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.detail().empty());
    EXPECT_TRUE(file->Close().ok());
    EXPECT_EQ(ReadBytes(folder / "ui.kvo"), std::string(100, 'a'));
}
#endif

}  // namespace
