#include "schemes/scheme_file.h"

#include <gtest/gtest.h>

#include "textfile/codepage936.h"

namespace {

// A file of lines given as decoded text, encoded to 936 and joined with CR LF.
TextLines File(std::initializer_list<std::wstring> lines, bool lastLineEnd = true) {
    Codepage936 codepage;
    std::string bytes;
    size_t i = 0;
    for (const std::wstring& line : lines) {
        bytes += codepage.Encode(line).bytes;
        if (++i < lines.size() || lastLineEnd) bytes += "\r\n";
    }
    return TextLines(bytes, codepage);
}

// The field texts after applying the writes to fields that started as `start`. (The window's
// gateway auto-fill on each write of Text1 is Form1's, and tested there.)
AddressFields Apply(const std::vector<FieldWrite>& writes, AddressFields start = {L"a", L"b", L"c", L"d", L"e"}) {
    for (const FieldWrite& w : writes) start[w.field] = w.text;
    return start;
}

const std::initializer_list<std::wstring> kHome = {
    L"name:home", L"IP:192.168.1.10", L"掩码:255.255.255.0", L"网关:192.168.1.254", L"首选:223.5.5.5", L"备选:8.8.8.8",
    L""};

TEST(SchemeList, ListsEveryLineBeginningExactlyWithNamePrefix) {
    const TextLines lines = File({L"name:home", L"IP:1", L"Name:upper", L" name:space", L"name:", L"name: two ",
                                  L"2026/12/6-9:05:03-已删除-name:gone", L"name:home"});
    EXPECT_EQ(ListSchemeNames(lines), (std::vector<std::wstring>{L"home", L"", L" two ", L"home"}));
    EXPECT_TRUE(ListSchemeNames(File({})).empty());
}

TEST(SchemeLoad, FillsTheFiveFieldsFromTheFourthCharacterOfTheLinesAfterTheName) {
    const AddressFields fields = Apply(LoadSchemeWrites(File(kHome), L"home"));
    EXPECT_EQ(fields, (AddressFields{L"192.168.1.10", L"255.255.255.0", L"192.168.1.254", L"223.5.5.5", L"8.8.8.8"}));
}

TEST(SchemeLoad, CounterStartsAtZeroSoLinesTwoToSixAreWrittenFirst) {
    // Name not found: lines 2 to 6 of the file land in the fields.
    const TextLines lines = File({L"", L"name:office", L"IP:10.0.0.5", L"x", L"ab", L"首选:1.1.1.1", L"more"});
    const auto writes = LoadSchemeWrites(lines, L"missing");
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_EQ(writes[0], (FieldWrite{Field::Ip, L"e:office"}));
    EXPECT_EQ(Apply(writes), (AddressFields{L"e:office", L"10.0.0.5", L"", L"", L"1.1.1.1"}));
    // Found: the block overwrites them, whatever stood first.
    EXPECT_EQ(Apply(LoadSchemeWrites(lines, L"office")), (AddressFields{L"10.0.0.5", L"", L"", L"1.1.1.1", L"e"}));
}

TEST(SchemeLoad, LastBlockOfANameWinsAndDeletedOrLookalikeLinesNeverMatch) {
    const TextLines lines = File({L"name:home", L"IP:1.1.1.1", L"掩码:m1", L"网关:g1", L"首选:p1", L"备选:a1", L"",
                                  L"name:home", L"IP:2.2.2.2", L"掩码:m2", L"网关:g2", L"首选:p2", L"备选:a2", L"",
                                  L"2026/12/6-9:05:03-已删除-name:gone", L"IP:3.3.3.3", L"Name:home", L"name:home "});
    EXPECT_EQ(Apply(LoadSchemeWrites(lines, L"home")), (AddressFields{L"2.2.2.2", L"m2", L"g2", L"p2", L"a2"}));
    EXPECT_EQ(FindLastNameLine(lines, L"home"), 7u);
    EXPECT_EQ(FindLastNameLine(lines, L"gone"), std::nullopt);
    EXPECT_EQ(FindLastNameLine(lines, L"home "), 17u);
    EXPECT_EQ(FindLastNameLine(lines, L""), std::nullopt);
    EXPECT_EQ(FindLastNameLine(File({L"name:"}), L""), 0u);
}

TEST(SchemeLoad, ShortAndCutBlocksTakeWhatStandsAtEachPosition) {
    // Two value lines lost: the next name line lands in Text3, its IP line in Text4.
    const TextLines shortBlock = File({L"name:a", L"IP:10.1.1.1", L"掩码:255.0.0.0", L"name:b", L"IP:10.2.2.2",
                                       L"掩码:m", L"网关:g", L"首选:p", L"备选:q"});
    EXPECT_EQ(Apply(LoadSchemeWrites(shortBlock, L"a")),
              (AddressFields{L"10.1.1.1", L"255.0.0.0", L"e:b", L"10.2.2.2", L"m"}));

    // Cut by the end of the file: untouched fields keep the writes of lines 2 to 6.
    const TextLines cut = File({L"x", L"IP:9.9.9.9", L"y", L"z", L"w", L"v", L"name:c", L"IP:172.16.0.9"}, false);
    EXPECT_EQ(Apply(LoadSchemeWrites(cut, L"c")), (AddressFields{L"172.16.0.9", L"", L"", L"", L""}));

    // Three characters or fewer give an empty value; labels are not examined.
    const TextLines tiny = File({L"name:t", L"IP:", L"ab", L"", L"XYZ1", L"备选:x"});
    EXPECT_EQ(Apply(LoadSchemeWrites(tiny, L"t")), (AddressFields{L"", L"", L"", L"1", L"x"}));
}

TEST(SchemeLoad, CounterSaturatesInsteadOfWrappingAfter32767Lines) {
    Codepage936 codepage;
    std::string bytes = "name:a\r\nIP:1.2.3.4\r\n";
    for (int i = 0; i < 70000; ++i) bytes += "IP:9.9.9.9\r\n";
    const auto writes = LoadSchemeWrites(TextLines(bytes, codepage), L"a");
    EXPECT_EQ(writes.size(), 5u);  // a 16-bit counter that wrapped would write again at 65536
    EXPECT_EQ(writes[0].text, L"1.2.3.4");
}

TEST(SchemeDelete, MarkedLineGetsTheStampAndEveryOtherLineComesBackByteForByte) {
    Codepage936 codepage;
    const std::string original = "name:home\r\nIP:1\r\n\xFF\x81 raw\r\nlone\rcr\r\nname:home\r\nlast";
    const TextLines lines(original, codepage);
    const std::wstring prefix = DeletedLinePrefix(L"2026/12/6", L"9:05:03");
    EXPECT_EQ(prefix, L"2026/12/6-9:05:03-已删除-");
    const std::string encoded = codepage.Encode(prefix).bytes;
    EXPECT_EQ(encoded, "2026/12/6-9:05:03-\xD2\xD1\xC9\xBE\xB3\xFD-");

    const auto match = FindLastNameLine(lines, L"home");
    ASSERT_EQ(match, 5u);  // "lone" and "cr" are two lines
    EXPECT_EQ(RewriteWithMarkedLine(lines, *match, encoded),
              "name:home\r\nIP:1\r\n\xFF\x81 raw\r\nlone\rcr\r\n" + encoded + "name:home\r\nlast\r\n");
    EXPECT_EQ(RewriteWithMarkedLine(lines, 0, "X").substr(0, 11), "Xname:home\r");
}

TEST(SchemeDelete, LineBreaksInTheDateOrTimeTextAreDropped) {
    EXPECT_EQ(DeletedLinePrefix(L"2026\r\n12", L"9:05\n"), L"202612-9:05-已删除-");
}

TEST(SchemeAdd, BlockIsSevenCrLfLinesInCodepage936) {
    Codepage936 codepage;
    const EncodedBlock home = EncodeSchemeBlock(L"home", kDefaultFields, codepage);
    ASSERT_EQ(home.problem, EncodedBlock::Problem::None);
    EXPECT_EQ(home.bytes,
              "name:home\r\nIP:0.0.0.0\r\n\xD1\xDA\xC2\xEB:255.255.255.0\r\n\xCD\xF8\xB9\xD8:0.0.0.0\r\n"
              "\xCA\xD7\xD1\xA1:0.0.0.0\r\n\xB1\xB8\xD1\xA1:114.114.114.114\r\n\r\n");
    EXPECT_EQ(home.bytes.size(), 95u);

    const EncodedBlock spaced = EncodeSchemeBlock(L" lab ", {L"", L"", L"", L"", L""}, codepage);
    EXPECT_TRUE(spaced.bytes.starts_with("name: lab \r\nIP:\r\n"));
    EXPECT_TRUE(spaced.bytes.ends_with("\xB1\xB8\xD1\xA1:\r\n\r\n"));
}

TEST(SchemeAdd, LineBreaksAndUnrepresentableCharactersAreRefusedWithWhereAndWhat) {
    Codepage936 codepage;
    const EncodedBlock broken = EncodeSchemeBlock(L"a\nb", kDefaultFields, codepage);
    EXPECT_EQ(broken.problem, EncodedBlock::Problem::LineBreak);
    EXPECT_EQ(broken.field, std::nullopt);
    EXPECT_EQ(broken.character, U'\n');
    EXPECT_TRUE(broken.bytes.empty());

    AddressFields fields = kDefaultFields;
    fields[Field::PreferredDns] = L"1.1.1.1\r";
    EXPECT_EQ(EncodeSchemeBlock(L"x", fields, codepage).field, Field::PreferredDns);

    fields = kDefaultFields;
    fields[Field::AlternateDns] = L"8.8.8.8\u00A5";
    const EncodedBlock yen = EncodeSchemeBlock(L"x", fields, codepage);
    EXPECT_EQ(yen.problem, EncodedBlock::Problem::Unrepresentable);
    EXPECT_EQ(yen.field, Field::AlternateDns);
    EXPECT_EQ(yen.character, 0xA5u);
    EXPECT_TRUE(yen.bytes.empty());
    EXPECT_EQ(EncodeSchemeBlock(L"caf\u00E9\u00B2", kDefaultFields, codepage).character, 0xB2u);
}

}  // namespace
