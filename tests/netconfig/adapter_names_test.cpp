#include "netconfig/adapter_names.h"
#include "netconfig/interface_table.h"

#include <gtest/gtest.h>

namespace {

TEST(AdapterName, EnabledLinesGiveWhatFollowsTheTwoCharacterTypeWithSpacesRemoved) {
    EXPECT_EQ(AdapterName(L"已启用            已连接            专用               以太网"), L"以太网");
    EXPECT_EQ(AdapterName(L"已启用            已断开连接        专用               以太网 2"), L"以太网2");
    EXPECT_EQ(AdapterName(L"已启用            已连接            专用               WLAN"), L"WLAN");
    EXPECT_EQ(AdapterName(L"已启用\t已连接 专用 A\tB"), L"A\tB");  // only U+0020 goes
}

TEST(AdapterName, EdgeCasesOfTheRule) {
    EXPECT_EQ(AdapterName(L"已禁用            已断开连接        专用               以太网 3"), std::nullopt);
    EXPECT_EQ(AdapterName(L" 已启用 已连接 专用 x"), std::nullopt);  // leading space
    EXPECT_EQ(AdapterName(L""), std::nullopt);
    EXPECT_EQ(AdapterName(L"管理员状态     状态           类型             接口名称"), std::nullopt);
    EXPECT_EQ(AdapterName(L"-------------------------------------------------------------------------"), std::nullopt);
    EXPECT_EQ(AdapterName(L"已启用 已连接 回环 x"), L"启用已连接回环x");  // no 专: all but the first character
    EXPECT_EQ(AdapterName(L"已启用 已连接 专"), std::nullopt);            // 专 last
    EXPECT_EQ(AdapterName(L"已启用 已连接 专用"), L"");                   // 专 plus one: an empty entry
    EXPECT_EQ(AdapterName(L"已启用"), L"启用");
    EXPECT_EQ(AdapterName(L"已启用专用专用网"), L"专用网");  // the first 专 counts
}

TEST(AdapterNames, ListingKeepsOrderAndDuplicates) {
    EXPECT_EQ(AdapterNames(L"\r\n"
                           L"管理员状态     状态           类型             接口名称\r\n"
                           L"-------------------------------------------------------------------------\r\n"
                           L"已启用            已连接            专用               以太网\r\n"
                           L"已禁用            已断开连接        专用               蓝牙\r\n"
                           L"已启用            已断开连接        专用               以太网 2\n"
                           L"已启用            已连接            专用               以太网\r\n"
                           L"已启用            已连接            专\r\n"
                           L"已启用            已连接            专用               vEthernet (Default Switch)"),
              (std::vector<std::wstring>{L"以太网", L"以太网2", L"以太网", L"vEthernet(DefaultSwitch)"}));
}

}  // namespace

namespace {

TEST(InterfaceTable, RowsKeepTheirNamesWithSpacesAndTheirStates) {
    const std::wstring chinese =
        L"\r\n管理员状态     状态          类型             接口名称\r\n"
        L"-------------------------------------------------------------------------\r\n"
        L"已启用            已连接            专用               以太网 2\r\n"
        L"已禁用            已断开连接        专用               以太网\r\n"
        L"已启用            已连接            专用               本地连接  (x)   \r\n\r\n";
    const auto rows = ParseInterfaceTable(chinese);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, L"以太网 2");
    EXPECT_EQ(rows[0].state, L"已连接");
    EXPECT_FALSE(rows[0].Disabled());
    EXPECT_EQ(rows[1].name, L"以太网");
    EXPECT_TRUE(rows[1].Disabled());
    EXPECT_EQ(rows[2].name, L"本地连接  (x)");  // inner spaces kept, trailing ones not

    // An English system: the header's two-word column still counts once.
    const auto english = ParseInterfaceTable(
        L"Admin State    State          Type             Interface Name\n"
        L"-------------------------------------------------------------------------\n"
        L"Disabled       Disconnected   Dedicated        Ethernet 3\n");
    ASSERT_EQ(english.size(), 1u);
    EXPECT_EQ(english[0].name, L"Ethernet 3");
    EXPECT_TRUE(english[0].Disabled());

    EXPECT_TRUE(ParseInterfaceTable(L"").empty());
    EXPECT_TRUE(ParseInterfaceTable(L"以下命令没有找到: show interface。\r\n").empty());  // no table
    EXPECT_TRUE(
        ParseInterfaceTable(L"Verwaltungsstatus  Status\r\n------------------\r\nAktiviert  Verbunden\r\n").empty());
}

}  // namespace
