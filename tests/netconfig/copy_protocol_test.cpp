// What the window and its elevated copy say to each other, and where changes run.
#include "netconfig/copy_protocol.h"

#include <gtest/gtest.h>

#include "netconfig/address_commands.h"
#include "netconfig/change_runner.h"

namespace {

TEST(CopyProtocol, TheCopyIsStartedWithAPipeOfOursAndAProcessIdOnly) {
    const unsigned char random[16] = {0x00, 0xAB, 0xFF};
    const std::wstring pipe = CopyPipeName(random);
    EXPECT_EQ(pipe, L"\\\\.\\pipe\\netscheme-00ABFF" + std::wstring(26, L'0'));
    const std::wstring line = L"\"C:\\网络 工具\\netscheme.exe\" " + CopyParameters({pipe, 4242});
    const std::vector<std::wstring> words = CommandLineWords(line);
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0], L"C:\\网络 工具\\netscheme.exe");
    EXPECT_EQ(words[1], kElevatedMode);
    const auto parsed = ParseCopyArguments({words[2], words[3]});
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->window, 4242u);
    const std::vector<std::vector<std::wstring>> refused = {
        {pipe, L"04242"},
        {pipe, L"0"},
        {pipe, L"4294967296"},
        {pipe, L"42", L"dhcp"},
        {pipe + L"0", L"42"},
        {L"\\\\.\\pipe\\other-" + std::wstring(32, L'0'), L"42"},
        {L"\\\\.\\pipe\\netscheme-" + std::wstring(32, L'g'), L"42"}};
    for (const auto& bad : refused) EXPECT_FALSE(ParseCopyArguments(bad)) << bad.size();
}

TEST(CopyProtocol, AChangeCrossesAsItsStrictWordsAndRecordsComeBackWhole) {
    const AddressChange asked{AddressChange::Kind::Static, {L"192.168.1.10", L"255.255.255.0", L"", L"223.5.5.5", L""}};
    std::string bytes = *EncodeChange(asked) + "dhcp\n" + "dhcp";
    EXPECT_EQ(bytes.substr(0, bytes.find('\n')), "static 192.168.1.10 255.255.255.0 - 223.5.5.5 -");
    bool bad = false;
    EXPECT_EQ(CommandLinesOf(*TakeChange(bytes, bad)), CommandLinesOf(asked));
    EXPECT_EQ(TakeChange(bytes, bad)->kind, AddressChange::Kind::Dhcp);
    EXPECT_FALSE(TakeChange(bytes, bad));  // not ended yet
    EXPECT_FALSE(bad);
    for (std::string line : std::vector<std::string>{"dhcp  \n", "format c:\n", "static 1.2.3.4 \xE2\x80\x8B - - - -\n",
                                                     std::string(5000, 'd')}) {
        EXPECT_FALSE(TakeChange(line, bad));
        EXPECT_TRUE(bad) << line.substr(0, 20);
    }
    EXPECT_FALSE(EncodeChange({AddressChange::Kind::Static, {L"1.2.3.4 ", L"", L"", L"", L""}}));

    const CommandResult said{CommandResult::Outcome::Exited, 1, L"请求的操作需要提升。\r\n"};
    std::string records = EncodeRecord({.kind = CopyRecord::Kind::Line, .result = said}) +
                          EncodeRecord({.kind = CopyRecord::Kind::Refused, .refusal = CopyRefusal::OtherProgram});
    const std::string whole = records;
    records.pop_back();  // the last one not yet complete
    std::vector<CopyRecord> taken;
    EXPECT_TRUE(TakeRecords(records, taken));
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].result.output, said.output);
    EXPECT_EQ(taken[0].result.exitCode, 1u);
    records = whole.substr(whole.size() - records.size() - 1);
    EXPECT_TRUE(TakeRecords(records, taken));
    EXPECT_EQ(taken.back().refusal, CopyRefusal::OtherProgram);
    std::string lost = EncodeRecord({.kind = CopyRecord::Kind::Line, .result = {CommandResult::Outcome::Lost, 0, L""}});
    EXPECT_FALSE(TakeRecords(lost, taken)) << "only the window says a line was lost";
}

TEST(ChangePlace, ElevatedOrWithoutUacHereARefusingPolicyNowhereElseInACopy) {
    using Where = ChangePlace::Where;
    struct Case {
        Rights rights;
        Where where;
        Status::Reason why = Status::Reason::System;
    };
    const Case cases[] = {
        {{.elevated = true, .validateAdminCodeSignatures = 1}, Where::Here},
        {{.uacOn = false}, Where::Here},
        {{.filteredAdministrator = true}, Where::ElevatedCopy},
        {{.consentPromptBehaviorUser = 3}, Where::ElevatedCopy},  // a standard user types a password
        {{.filteredAdministrator = true, .consentPromptBehaviorUser = 0}, Where::ElevatedCopy},
        {{.consentPromptBehaviorUser = 0}, Where::Nowhere, Status::Reason::ElevationDeniedToStandardUsers},
        {{.filteredAdministrator = true, .validateAdminCodeSignatures = 1},
         Where::Nowhere,
         Status::Reason::UnsignedElevationRefused},
    };
    for (const Case& c : cases) {
        const ChangePlace place = PlaceForChanges(c.rights);
        EXPECT_EQ(place.where, c.where);
        EXPECT_EQ(place.elevated, c.where == Where::ElevatedCopy || c.rights.elevated);
        if (c.where == Where::Nowhere) {
            EXPECT_EQ(place.why.reason(), c.why);
        }
    }
}

}  // namespace
