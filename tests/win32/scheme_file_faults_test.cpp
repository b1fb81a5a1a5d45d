// Scheme file faults only Windows can make: the read-only attribute and a file another program
// holds open. Each ends in a message, the file exactly as it was, and no temporary file left.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "fakes/fake_runner.h"
#include "fakes/fake_view.h"
#include "fakes/temp_folder.h"
#include "win32/unique_handle.h"

namespace {

const std::string kSchemes = "name:home\r\nIP:192.168.1.20\r\n\r\n\r\n\r\n\r\n\r\nname:lab\r\nIP:10.0.0.7\r\n";

class SchemeFileFaultTest : public ::testing::Test {
protected:
    SchemeFileFaultTest() : form_(view_, runner_, *fs_, clock_, folder_.path().wstring()) {
        view_.form = &form_;
        WriteBytes(File(), kSchemes);
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

    TempFolder folder_;
    std::unique_ptr<FileSystem> fs_ = MakeSystemFileSystem();
    FakeView view_;
    FakeRunner runner_;
    FixedClock clock_;
    Form1 form_;
};

TEST_F(SchemeFileFaultTest, AReadOnlyFileIsNeitherRewrittenNorAppendedTo) {
    ASSERT_TRUE(::SetFileAttributesW(File().c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectDeleteRefused();
    ExpectAddRefused();
    EXPECT_EQ(::GetFileAttributesW(File().c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

TEST_F(SchemeFileFaultTest, AFileAnotherProgramHoldsOpenIsLeftAlone) {
    // Like an editor that keeps the file open and lets others only read it.
    win32::UniqueFile other(::CreateFileW(File().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    ExpectDeleteRefused();
    ExpectAddRefused();
    // Reading still works: the list and a pick do not need more than others allow.
    form_.Readtxt();
    EXPECT_EQ(view_.schemes, (std::vector<std::wstring>{L"home", L"lab"}));
}

}  // namespace
