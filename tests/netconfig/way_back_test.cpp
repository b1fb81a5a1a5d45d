#include "netconfig/way_back.h"

#include <gtest/gtest.h>

#include "fakes/fake_runner.h"
#include "netconfig/address_change.h"
#include "netconfig/address_commands.h"

namespace {

AdapterList Adapters(const AdapterRead& wired, std::vector<AdapterList::Named> others = {}) {
    others.insert(others.begin(), {L"以太网", wired.state});
    return {true, others, {}};
}

TEST(WayBack, AProbeOnlyFromAnAddressWhoseSubnetHoldsTheAskedOneAndNeverForAnotherAdaptersAddress) {
    const AddressFields asked{L"192.168.1.20", L"255.255.255.0", L"192.168.1.1", L"", L""};
    AdapterRead onLink = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {});
    onLink.state.addresses.push_back({*ParseIpv4(L"169.254.3.3"), 16});  // off the subnet: no source
    AdapterRead unplugged = onLink;
    unplugged.state.connected = false;
    const AdapterRead elsewhere = StaticRead(L"10.0.0.5", 8, L"", {});
    const AdapterRead wider = StaticRead(L"192.168.0.5", 16, L"", {});  // its own /16 holds the asked address
    const AdapterList::Named wifi{L"WLAN", StaticRead(L"192.168.1.20", 24, L"", {}).state};
    struct Case {
        AdapterList all;
        BeforeStatic::Kind kind;
    };
    const Case cases[] = {
        {Adapters(onLink), BeforeStatic::Kind::Probe},
        {Adapters(onLink, {wifi}), BeforeStatic::Kind::TakenByOtherAdapter},
        {Adapters(unplugged), BeforeStatic::Kind::Go},
        {Adapters(elsewhere), BeforeStatic::Kind::Go},  // the question could not leave the link
        {Adapters(wider), BeforeStatic::Kind::Probe},
        {Adapters(StaticRead(L"192.168.1.20", 24, L"", {})), BeforeStatic::Kind::Go},  // its own address
        {{false, {}, Status::Error(L"why")}, BeforeStatic::Kind::Go},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckBeforeStatic(asked, c.all, L"以太网").kind, c.kind);
    const BeforeStatic probe = CheckBeforeStatic(asked, Adapters(onLink), L"以太网");
    EXPECT_EQ(Ipv4Text(probe.target) + L"<-" + Ipv4Text(probe.source), L"192.168.1.20<-192.168.1.10");
    EXPECT_EQ(CheckBeforeStatic(asked, Adapters(onLink, {wifi}), L"以太网").otherAdapter, L"WLAN");
    // The source's own prefix decides, not the asked mask: from 192.168.1.10/24 the question for
    // 192.168.0.10 would go off the link and come back as "no device".
    const AddressFields widerAsked{L"192.168.0.10", L"255.255.0.0", L"", L"", L""};
    EXPECT_EQ(CheckBeforeStatic(widerAsked, Adapters(onLink), L"以太网").kind, BeforeStatic::Kind::Go);
}

TEST(WayBack, RestoreLinesPutTheSnapshotBackInOrder) {
    AdapterRead was = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5", L"114.114.114.114"});
    was.state.addresses.push_back({*ParseIpv4(L"169.254.3.3"), 16});                       // not kept
    was.state.addresses.push_back({*ParseIpv4(L"10.1.1.1"), 8, AddressState::Tentative});  // not kept
    const Snapshot snapshot = *TakeSnapshot(Adapters(was), L"以太网");
    EXPECT_EQ(RestoreCommandLines(snapshot),
              (std::vector<std::wstring>{
                  L"netsh interface ip set address name=以太网 static 192.168.1.10 255.255.255.0 192.168.1.1",
                  L"netsh interface ip set dns name=以太网 static 223.5.5.5 register=primary validate=no",
                  L"netsh interface ip add dns name=以太网 114.114.114.114 index=2 validate=no"}));
    const Snapshot bare = *TakeSnapshot(Adapters(StaticRead(L"10.0.0.2", 8, L"", {})), L"以太网");
    EXPECT_EQ(RestoreCommandLines(bare),
              (std::vector<std::wstring>{L"netsh interface ip set address name=以太网 static 10.0.0.2 255.0.0.0 none",
                                         L"netsh interface ip set dns name=以太网 static none"}));
    const Snapshot dhcp = *TakeSnapshot(Adapters(DhcpRead()), L"以太网");
    const auto dhcpLines = DhcpCommandLines();
    EXPECT_EQ(RestoreCommandLines(dhcp), (std::vector<std::wstring>{dhcpLines.begin(), dhcpLines.end()}));

    // DHCP with DNS servers set by hand (NameServer): they go back, in order, after the address.
    AdapterRead handSet = DhcpRead();
    handSet.state.dnsServers = {*ParseIpv4(L"114.114.114.114"), *ParseIpv4(L"223.5.5.5")};
    handSet.state.dnsHandSet = true;
    const Snapshot dhcpDns = *TakeSnapshot(Adapters(handSet), L"以太网");
    EXPECT_EQ(RestoreCommandLines(dhcpDns),
              (std::vector<std::wstring>{
                  DhcpCommandLines()[0],
                  L"netsh interface ip set dns name=以太网 static 114.114.114.114 register=primary validate=no",
                  L"netsh interface ip add dns name=以太网 223.5.5.5 index=2 validate=no"}));
    EXPECT_EQ(CommandLinesOf(*ParseElevatedArguments(*ElevatedArguments({AddressChange::Kind::Restore, {}, dhcpDns}))),
              RestoreCommandLines(dhcpDns));
    EXPECT_FALSE(TakeSnapshot(Adapters(was), L"以太网 2"));

    // Offered only where it differs from what was asked, and compared as the read-back compares.
    const AddressFields same{L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L"114.114.114.114"};
    EXPECT_FALSE(CanGoBack(snapshot, same));
    EXPECT_TRUE(CanGoBack(snapshot, std::nullopt));
    EXPECT_FALSE(CanGoBack(dhcp, std::nullopt));
    EXPECT_TRUE(CompareRestored(snapshot, was).differences.size() == 1);  // the 10.1.1.1 beside it
    EXPECT_TRUE(CompareRestored(dhcp, DhcpRead()).differences.empty());

    // Back on DHCP compares gateways, and DNS servers where they were set by hand, in order.
    AdapterRead kept = DhcpRead();
    kept.state.gateways.push_back(*ParseIpv4(L"192.168.1.1"));  // a static one Windows 7 kept
    EXPECT_EQ(CompareRestored(dhcp, kept).differences.at(0).kind, Difference::Kind::OldGateway);
    AdapterRead swapped = handSet;
    std::swap(swapped.state.dnsServers[0], swapped.state.dnsServers[1]);
    EXPECT_EQ(CompareRestored(dhcpDns, swapped).differences.at(0).kind, Difference::Kind::DnsDifferent);
    EXPECT_TRUE(CompareRestored(dhcp, swapped).differences.empty());  // the lease's own DNS: not compared
    EXPECT_TRUE(CompareRestored(dhcpDns, handSet).differences.empty());
}

}  // namespace
