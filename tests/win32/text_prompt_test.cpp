// The name prompt as the user meets it: typing lands in the edit, OK gives the text, and every
// way out that is not OK means "no name".
#include "app/text_prompt_win32.h"

#include <gtest/gtest.h>

#include "window_helpers.h"

namespace {

using wintest::DialogAnswer;
using wintest::DialogWatcher;

const std::wstring kPrompt = L"输入 当前方案 的名称";

TEST(TextPrompt, TypingGoesIntoTheEditAndOkGivesTheTextAsTyped) {
    DialogWatcher watcher({DialogAnswer{IDOK, std::nullopt, L" 实验室 2 "}});
    EXPECT_EQ(ShowTextPrompt(nullptr, kPrompt, kPrompt), L" 实验室 2 ");
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, kPrompt);
    EXPECT_EQ(seen[0].text, kPrompt);
    EXPECT_EQ(seen[0].focusId, kPromptEditId);
    EXPECT_EQ(seen[0].buttons.size(), 2u);
}

TEST(TextPrompt, CancelAndTheCloseBoxGiveNoName) {
    DialogWatcher watcher({DialogAnswer{IDCANCEL, L"办公室"}, DialogAnswer{0, L"办公室"}});
    EXPECT_EQ(ShowTextPrompt(nullptr, kPrompt, kPrompt), L"");
    EXPECT_EQ(ShowTextPrompt(nullptr, kPrompt, kPrompt), L"");
    EXPECT_EQ(watcher.Seen().size(), 2u);
}

TEST(TextPrompt, EscapeGivesNoName) {
    DialogWatcher watcher({DialogAnswer{IDOK, std::nullopt, L"abc\x1B"}});
    // Escape reaches the dialog as IDCANCEL before the watcher's OK arrives.
    EXPECT_EQ(ShowTextPrompt(nullptr, kPrompt, kPrompt), L"");
}

}  // namespace
