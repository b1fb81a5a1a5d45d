#include "app/box_text.h"

#include <gtest/gtest.h>

namespace {

TEST(BoxText, ChineseTakesTwoColumnsAndOtherProgramsControlCharactersAreShownSafely) {
    EXPECT_EQ(Columns(L"以太网 2"), 8u);
    EXPECT_EQ(CutToColumns(L"以太网以太网", 8), L"以太网…");  // "…" is as wide as a Chinese character
    EXPECT_EQ(Printable(std::wstring(L"a\0b\tc\u202Ed\r\n", 10)), L"ab c\uFFFDd\r\n");
    EXPECT_EQ(List({L"a", L"b", L"c", L"d", L"e", L"f"}), L"a、b、c、d、e 等 6 个");
}

TEST(FailureText, LongPathsAreBrokenIntoLinesThatFitTheBoxAndKeepEveryCharacter) {
    const std::wstring path = L"C:\\" + std::wstring(70, L'a') + L"\\b\\" + std::wstring(30, L'c') + L"\\ui.kvo";
    std::wstring shown = QuotedPath(path);
    size_t longest = 0;
    for (size_t start = 0, end; start <= shown.size(); start = end + 2) {
        end = std::min(shown.find(L"\r\n", start), shown.size());
        longest = std::max(longest, end - start);
    }
    EXPECT_LE(longest, 60u);
    std::erase(shown, L'\r');
    std::erase(shown, L'\n');
    EXPECT_EQ(shown, Quoted(path));
}

}  // namespace
