#include "netconfig/address_change.h"

#include <gtest/gtest.h>

#include "netconfig/address_commands.h"

namespace {

// What an elevated copy is handed is checked as strictly as it is written.
TEST(AddressChange, ElevatedArgumentsAreValuesOnlyAndParsedStrictly) {
    const AddressChange asked{AddressChange::Kind::Static, {L"192.168.1.10", L"255.255.255.0", L"", L"223.5.5.5", L""}};
    const auto arguments = ElevatedArguments(asked);
    ASSERT_TRUE(arguments);
    EXPECT_EQ(*arguments,
              (std::vector<std::wstring>{L"static", L"192.168.1.10", L"255.255.255.0", L"-", L"223.5.5.5", L"-"}));
    EXPECT_EQ(CommandLinesOf(*ParseElevatedArguments(*arguments)), CommandLinesOf(asked));
    EXPECT_FALSE(ElevatedArguments({AddressChange::Kind::Static, {L" 10.0.0.1", L"", L"", L"", L""}}));

    const std::vector<std::vector<std::wstring>> refused = {{L"static", L"256.1.1.1", L"-", L"-", L"-", L"-"},
                                                            {L"static", L"010.0.0.1", L"-", L"-", L"-", L"-"},
                                                            {L"static", L"1.2.3.4&x", L"-", L"-", L"-", L"-"},
                                                            {L"static", L"1.2.3.4", L"-", L"-", L"-", L"-", L"-"},
                                                            {L"static", L"1.2.3.4", L"-", L"-", L"-"},
                                                            {L"dhcp", L"x"},
                                                            {L"format", L"c:"},
                                                            {L"restore-static", L"1.2.3.4/33", L"-", L"-"},
                                                            {L"remove-gateways", L"-"},
                                                            {L"restore-dhcp", L"-"},
                                                            {}};
    for (const auto& bad : refused) EXPECT_FALSE(ParseElevatedArguments(bad)) << bad.size();

    Snapshot before{false, {{0x0A000002, 8}}, {0x0A000001}, {0x08080808, 0x08080404}};
    const AddressChange restore{AddressChange::Kind::Restore, {}, before};
    EXPECT_EQ(CommandLinesOf(*ParseElevatedArguments(*ElevatedArguments(restore))), CommandLinesOf(restore));
    EXPECT_EQ(CommandLinesOf(*ParseElevatedArguments({L"dhcp"}))[0], DhcpCommandLines()[0]);
}

}  // namespace
