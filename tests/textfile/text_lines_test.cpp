#include "textfile/text_lines.h"

#include <gtest/gtest.h>

#include "textfile/codepage936.h"

namespace {

TextLines Lines(const std::string& bytes) {
    Codepage936 codepage;
    return TextLines(bytes, codepage);
}

std::vector<std::string> Raw(const TextLines& lines) {
    std::vector<std::string> raw;
    for (size_t i = 0; i < lines.count(); ++i) raw.emplace_back(lines.raw(i));
    return raw;
}

TEST(TextLines, CrLfLfAndALoneCrEachEndALineAndALastLineWithoutEndStillCounts) {
    EXPECT_EQ(Lines("").count(), 0u);
    EXPECT_EQ(Raw(Lines("a\r\nb\r\n")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Raw(Lines("a\r\nb")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Raw(Lines("a\nb\n")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Raw(Lines("\r\n\r\n")), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Raw(Lines("a\rb\r\r\nc")), (std::vector<std::string>{"a", "b", "", "c"}));  // old Mac line ends
    EXPECT_EQ(Raw(Lines("\r")), (std::vector<std::string>{""}));
    EXPECT_TRUE(Lines("a\rb\r\nc").endsAtLoneCr(0));
    EXPECT_FALSE(Lines("a\rb\r\nc").endsAtLoneCr(1));
}

TEST(TextLines, KeepsRawBytesBesideDecodedText) {
    const TextLines lines = Lines("\xD1\xDA\xC2\xEB:255.255.255.0\r\nbad\xFF\r\n");
    ASSERT_EQ(lines.count(), 2u);
    EXPECT_EQ(lines.text(0), L"掩码:255.255.255.0");
    EXPECT_EQ(lines.text(1), L"bad\xDCFF");
    EXPECT_EQ(lines.raw(1), "bad\xFF");
}

TEST(Utf8, DecodesLosslesslyAndEncodesBackWhatItDecoded) {
    const std::string bytes = "\xE5\xAE\xB6 \xF0\x9F\x98\x80 bad\xFF\xC0\x80 cut\xE5\xAE";
    const std::wstring text = DecodeUtf8(bytes);
    EXPECT_TRUE(text.starts_with(L"家 \U0001F600 bad\xDCFF\xDCC0\xDC80 cut\xDCE5\xDCAE")) << text.size();
    EXPECT_EQ(EncodeUtf8(L"家 \U0001F600").bytes, "\xE5\xAE\xB6 \xF0\x9F\x98\x80");
    EXPECT_EQ(EncodeUtf8(text).unrepresentable, 0xDCFFu);  // the stand-ins of bad bytes cannot be written
}

}  // namespace
