#include "netconfig/way_back.h"

#include <gtest/gtest.h>

#include "fakes/fake_runner.h"
#include "netconfig/address_commands.h"

namespace {

AdapterList Adapters(const AdapterRead& wired, std::vector<AdapterList::Named> others = {}) {
    others.insert(others.begin(), {L"以太网", wired.state});
    return {true, others, {}};
}

TEST(WayBack, AProbeOnlyFromAnAddressInTheAskedSubnetAndNeverForAnotherAdaptersAddress) {
    const AddressFields asked{L"192.168.1.20", L"255.255.255.0", L"192.168.1.1", L"", L""};
    AdapterRead onLink = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {});
    onLink.state.addresses.push_back({*ParseIpv4(L"169.254.3.3"), 16});  // off the subnet: no source
    AdapterRead unplugged = onLink;
    unplugged.state.connected = false;
    const AdapterRead elsewhere = StaticRead(L"10.0.0.5", 8, L"", {});
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
        {Adapters(StaticRead(L"192.168.1.20", 24, L"", {})), BeforeStatic::Kind::Go},  // its own address
        {{false, {}, Status::Error(L"why")}, BeforeStatic::Kind::Go},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckBeforeStatic(asked, c.all, L"以太网").kind, c.kind);
    const BeforeStatic probe = CheckBeforeStatic(asked, Adapters(onLink), L"以太网");
    EXPECT_EQ(Ipv4Text(probe.target) + L"<-" + Ipv4Text(probe.source), L"192.168.1.20<-192.168.1.10");
    EXPECT_EQ(CheckBeforeStatic(asked, Adapters(onLink, {wifi}), L"以太网").otherAdapter, L"WLAN");
}

TEST(WayBack, RestoreLinesPutTheSnapshotBackInOrder) {
    AdapterRead was = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5", L"114.114.114.114"});
    was.state.addresses.push_back({*ParseIpv4(L"169.254.3.3"), 16});                       // not kept
    was.state.addresses.push_back({*ParseIpv4(L"10.1.1.1"), 8, AddressState::Tentative});  // not kept
    const Snapshot snapshot = *TakeSnapshot(Adapters(was), L"以太网");
    EXPECT_EQ(RestoreCommandLines(snapshot),
              (std::vector<std::wstring>{
                  L"netsh interface ip set address name=以太网 static 192.168.1.10 255.255.255.0 192.168.1.1",
                  L"netsh interface ip set dns name=以太网 static 223.5.5.5",
                  L"netsh interface ip add dns name=以太网 114.114.114.114 index=2"}));
    const Snapshot bare = *TakeSnapshot(Adapters(StaticRead(L"10.0.0.2", 8, L"", {})), L"以太网");
    EXPECT_EQ(RestoreCommandLines(bare),
              (std::vector<std::wstring>{L"netsh interface ip set address name=以太网 static 10.0.0.2 255.0.0.0 none",
                                         L"netsh interface ip set dns name=以太网 static none"}));
    const Snapshot dhcp = *TakeSnapshot(Adapters(DhcpRead()), L"以太网");
    EXPECT_EQ(RestoreCommandLines(dhcp)[0], DhcpCommandLines()[0]);
    EXPECT_FALSE(TakeSnapshot(Adapters(was), L"以太网 2"));

    // Offered only where it differs from what was asked, and compared as the read-back compares.
    const AddressFields same{L"192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L"114.114.114.114"};
    EXPECT_FALSE(CanGoBack(snapshot, same));
    EXPECT_TRUE(CanGoBack(snapshot, std::nullopt));
    EXPECT_FALSE(CanGoBack(dhcp, std::nullopt));
    EXPECT_TRUE(CompareRestored(snapshot, was).differences.size() == 1);  // the 10.1.1.1 beside it
    EXPECT_TRUE(CompareRestored(dhcp, DhcpRead()).differences.empty());
}

}  // namespace
