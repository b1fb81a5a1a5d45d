#include "netconfig/address_commands.h"

#include <gtest/gtest.h>

#include "netconfig/listing_command.h"

namespace {

TEST(AddressCommands, StaticLinesKeepTheirCaseAndSpacing) {
    const auto lines =
        StaticCommandLines({L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L"114.114.114.114"});
    EXPECT_EQ(lines[0], L"Netsh interface ip set address Name=以太网 static 192.168.1.10  255.255.255.0  192.168.1.1 ");
    EXPECT_EQ(lines[1], L"Netsh interface ip Set Dns Name=以太网 static  223.5.5.5");
    EXPECT_EQ(lines[2], L"netsh interface ip add dns Name=以太网   114.114.114.114");
}

TEST(AddressCommands, FieldTextsGoInUnchangedEvenEmptyOrSpaced) {
    const auto empty = StaticCommandLines({});
    EXPECT_EQ(empty[0], L"Netsh interface ip set address Name=以太网 static      ");
    EXPECT_TRUE(empty[0].ends_with(L"static      "));
    EXPECT_EQ(empty[1], L"Netsh interface ip Set Dns Name=以太网 static  ");
    EXPECT_EQ(empty[2], L"netsh interface ip add dns Name=以太网   ");

    const auto spaced = StaticCommandLines({L" 10.0.0.2", L"255.0.0.0 ", L"a&b", L"\"q\"", L"%OS%"});
    EXPECT_EQ(spaced[0], L"Netsh interface ip set address Name=以太网 static  10.0.0.2  255.0.0.0   a&b ");
    EXPECT_EQ(spaced[1], L"Netsh interface ip Set Dns Name=以太网 static  \"q\"");
    EXPECT_EQ(spaced[2], L"netsh interface ip add dns Name=以太网   %OS%");
}

TEST(AddressCommands, DhcpLines) {
    const auto lines = DhcpCommandLines();
    EXPECT_EQ(lines[0], L"Netsh interface ip set address Name=以太网 Source=dhcp");
    EXPECT_EQ(lines[1], L"Netsh interface ip Set Dns Name=以太网 Source=dhcp");
}

TEST(ListingCommand, GoesThroughCmdUnlessTheFolderHoldsAPercentSign) {
    const CommandLine plain = ListingCommand(L"C:\\Tools");
    EXPECT_EQ(plain.program, Program::Cmd);
    EXPECT_EQ(plain.text, L"cmd.exe /d /v:off /c netsh interface show interface  >\"C:\\Tools\\ls.txt\"");
    EXPECT_TRUE(plain.outputFile.empty());

    const CommandLine odd = ListingCommand(L"D:\\网络 工具 (x86) & ^ 1");
    EXPECT_EQ(odd.program, Program::Cmd);
    EXPECT_EQ(odd.text, L"cmd.exe /d /v:off /c netsh interface show interface  >\"D:\\网络 工具 (x86) & ^ 1\\ls.txt\"");

    const CommandLine percent = ListingCommand(L"C:\\%OS%\\bin");
    EXPECT_EQ(percent.program, Program::Netsh);
    EXPECT_EQ(percent.text, L"netsh.exe interface show interface");
    EXPECT_EQ(percent.outputFile, L"C:\\%OS%\\bin\\ls.txt");

    EXPECT_EQ(ListingCommand(L"C:\\").text, L"cmd.exe /d /v:off /c netsh interface show interface  >\"C:\\ls.txt\"");
}

}  // namespace
