#include "textfile/codepage936.h"

#include <gtest/gtest.h>

namespace {

struct Vector {
    std::string bytes;
    std::wstring text;
};

// Pairs both converters (Win32 under Wine, iconv natively) must agree on.
const Vector kShared[] = {
    {"name:home", L"name:home"},
    {"\xD1\xDA\xC2\xEB:", L"掩码:"},
    {"\xCD\xF8\xB9\xD8:", L"网关:"},
    {"\xCA\xD7\xD1\xA1:", L"首选:"},
    {"\xB1\xB8\xD1\xA1:", L"备选:"},
    {"-\xD2\xD1\xC9\xBE\xB3\xFD-", L"-已删除-"},
    {"\xD2\xD1\xC6\xF4\xD3\xC3", L"已启用"},
    {"\xD7\xA8\xD3\xC3", L"专用"},
    {"\xD2\xD4\xCC\xAB\xCD\xF8 2", L"以太网 2"},
    {"\x80", L"\u20AC"},
    {"\xA1\xA4", L"\u00B7"},
    {"\x81\x40", L"\u4E02"},
    {"", L""},
};

TEST(Codepage936, SharedVectorsDecodeAndEncodeBothWays) {
    Codepage936 codepage;
    for (const Vector& v : kShared) {
        EXPECT_EQ(codepage.Decode(v.bytes), v.text) << v.bytes;
        const EncodedText encoded = codepage.Encode(v.text);
        EXPECT_FALSE(encoded.unrepresentable) << v.bytes;
        EXPECT_EQ(encoded.bytes, v.bytes);
    }
}

TEST(Codepage936, EachUndecodableByteBecomesACharacterOfItsOwnAndKeepsItsNeighbours) {
    Codepage936 codepage;
    EXPECT_EQ(codepage.Decode("a\xFF"
                              "b"),
              L"a\xDCFF"
              "b");
    EXPECT_EQ(codepage.Decode("\xD2\xD1\x81"), L"已\xDC81");  // lead byte at the end
    EXPECT_EQ(codepage.Decode("\x81"
                              "0\xD2\xD1"),
              L"\xDC81"
              "0已");  // lead byte without trail
    EXPECT_EQ(codepage.Decode("\xFF\xFE"), L"\xDCFF\xDCFE");
    EXPECT_EQ(codepage.Decode("IP:\xFE\xFE"
                              "1"),
              L"IP:\xDCFE\xDCFE"
              "1");                                           // pair mapped to private use
    EXPECT_EQ(codepage.Decode("\xAA\xD2\xD1"), L"\xDCAA已");  // the trail starts a valid pair
    // Saved as UTF-8, 六楼 and 八楼 differ in one byte that is not valid 936: they must not read alike.
    const std::wstring six = codepage.Decode("\xE5\x85\xAD\xE6\xA5\xBC");
    const std::wstring eight = codepage.Decode("\xE5\x85\xAB\xE6\xA5\xBC");
    EXPECT_NE(six, eight);
    EXPECT_TRUE(codepage.Encode(six).unrepresentable.has_value());  // such a name cannot be typed back
}

TEST(Codepage936, CharactersWithoutBytesAreNamedNotBestFitted) {
    Codepage936 codepage;
    const std::pair<std::wstring, char32_t> cases[] = {
        {L"a\u00A5", 0xA5},                                  // ¥ would be best-fitted without the flag
        {L"\u00B2", 0xB2},                                   // ²
        {L"x\uE000y", 0xE000},                               // private use
        {L"\uFFFD", 0xFFFD},   {L"a\xDC81", 0xDC81},         // the stand-in for an undecodable byte
        {L"\xDCFF", 0xDCFF},   {L"ok \U0001F600", 0x1F600},  // outside the BMP
    };
    for (const auto& [text, bad] : cases) {
        const EncodedText encoded = codepage.Encode(text);
        ASSERT_TRUE(encoded.unrepresentable.has_value());
        EXPECT_EQ(*encoded.unrepresentable, bad);
        EXPECT_TRUE(encoded.bytes.empty());
    }
}

TEST(Codepage936, DescribeCharacterGivesCodeAndGlyph) {
    EXPECT_EQ(DescribeCharacter(0xA5), L"U+00A5 \u201C\u00A5\u201D");
    EXPECT_EQ(DescribeCharacter(0x1F600), L"U+1F600 \u201C\U0001F600\u201D");
    EXPECT_EQ(DescribeCharacter(U'\n'), L"U+000A");
}

}  // namespace
