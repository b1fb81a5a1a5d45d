#include "netconfig/read_back.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_runner.h"

namespace {

using Kind = Difference::Kind;

std::vector<Kind> Kinds(const ReadBack& readBack) {
    std::vector<Kind> kinds;
    for (const Difference& d : readBack.differences) kinds.push_back(d.kind);
    return kinds;
}

TEST(Ipv4, OnlyPlainDottedAddressesParse) {
    EXPECT_EQ(ParseIpv4(L" \t192.168.1.10 "), 0xC0A8010Au);
    EXPECT_EQ(ParseIpv4(L"0.0.0.0"), 0u);
    for (const wchar_t* text : {L"", L"none", L"192.168.1", L"192.168.1.1.1", L"192.168.1.256", L"192.168.01.1",
                                L"1.2.3.4x", L"1..2.3", L"1.2.3.-4", L"１.2.3.4", L"1.2.3.4 5"})
        EXPECT_FALSE(ParseIpv4(text)) << Ipv4Text(0);
    EXPECT_EQ(Ipv4Text(0xC0A8010Au), L"192.168.1.10");
    EXPECT_EQ(PrefixLengthOf(*ParseIpv4(L"255.255.255.0")), 24u);
    EXPECT_EQ(PrefixLengthOf(0), 0u);
    EXPECT_FALSE(PrefixLengthOf(*ParseIpv4(L"255.0.255.0")));
    EXPECT_EQ(MaskOf(32), 0xFFFFFFFFu);
}

TEST(ReadBack, StaticSetupIsComparedValueByValue) {
    const AddressFields asked{L" 192.168.1.10", L"255.255.255.0", L"192.168.1.1", L"223.5.5.5", L"114.114.114.114"};
    const auto add = [](const wchar_t* ip, AddressState state = AddressState::Preferred) {
        return [=](AdapterState& s) { s.addresses.push_back({*ParseIpv4(ip), 16, state}); };
    };
    struct Case {
        std::function<void(AdapterState&)> change;
        std::vector<Kind> kinds;
        bool final = false;
    };
    const Case cases[] = {
        {[](AdapterState&) {}, {}},
        {[](AdapterState& s) { s.addresses[0].state = AddressState::Tentative; }, {Kind::StillChecking}},
        {[](AdapterState& s) { s.addresses[0].prefixLength = 16; }, {Kind::WrongMask}},
        {[](AdapterState& s) { s.addresses[0].address = *ParseIpv4(L"10.0.0.5"); }, {Kind::AddressMissing}},
        {add(L"10.0.0.5"), {Kind::ExtraAddress}},
        // Windows' conflict signature: the asked address marked Duplicate, a 169.254 one beside it.
        {[&](AdapterState& s) {
             s.addresses[0].state = AddressState::Duplicate;
             add(L"169.254.7.7")(s);
         },
         {Kind::Conflict},
         true},
        // A 169.254 address alone may be the old one on its way out: read on, then "possibly".
        {[](AdapterState& s) { s.addresses[0].address = *ParseIpv4(L"169.254.7.7"); }, {Kind::PossibleConflict}},
        {add(L"169.254.7.7"), {Kind::ExtraAddress}},  // beside the asked address in use
        {[](AdapterState& s) { s.gateways.insert(s.gateways.begin(), *ParseIpv4(L"192.168.0.1")); },
         {Kind::OldGateway}},
        {[](AdapterState& s) { s.gateways.clear(); }, {Kind::GatewayMissing}},
        {[](AdapterState& s) { std::swap(s.dnsServers[0], s.dnsServers[1]); }, {Kind::DnsDifferent}},
        {[](AdapterState& s) { s.dhcpEnabled = true; }, {Kind::DhcpOn}},
        {[](AdapterState& s) { s.connected = false; }, {Kind::NotConnected}, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        AdapterRead read = StaticRead(L"192.168.1.10", 24, L"192.168.1.1", {L"223.5.5.5", L"114.114.114.114"});
        cases[i].change(read.state);
        const ReadBack readBack = CompareStatic(asked, read);
        EXPECT_EQ(Kinds(readBack), cases[i].kinds) << "case " << i;
        EXPECT_EQ(readBack.final, cases[i].final) << "case " << i;
    }
}

TEST(ReadBack, EmptyFieldsAskForNothingAndOtherTextsCannotBeChecked) {
    // No gateway (netsh's default) and no alternate DNS are asked for by empty fields.
    const AdapterRead bare = StaticRead(L"10.0.0.2", 8, L"", {L"10.0.0.1"});
    EXPECT_TRUE(CompareStatic({L"10.0.0.2", L"255.0.0.0", L"", L"10.0.0.1", L" "}, bare).differences.empty());

    const ReadBack odd = CompareStatic({L"10.0.0.2", L"255.0.255.0", L"none", L"dns", L""}, bare);
    EXPECT_EQ(Kinds(odd), (std::vector<Kind>{Kind::Unchecked, Kind::Unchecked, Kind::Unchecked}));
    EXPECT_TRUE(odd.Settled());  // nothing another read could change
    EXPECT_FALSE(CompareStatic({L"10.0.0.2", L"255.0.0.0", L"", L"10.0.0.1", L"x"}, DhcpRead()).Settled());

    const ReadBack failed = CompareStatic({}, {AdapterRead::Outcome::Failed, {}, Status::Error(L"why")});
    EXPECT_EQ(Kinds(failed), std::vector<Kind>{Kind::ReadFailed});
    EXPECT_FALSE(failed.final);  // read again: it may fail for a moment during a change
    EXPECT_EQ(Kinds(CompareDhcp({AdapterRead::Outcome::NotFound, {}, {}})), std::vector<Kind>{Kind::NoAdapter});
}

TEST(ReadBack, DhcpCountsOnlyWithTheFlagOnAndNoFixedAddressLeft) {
    AdapterRead kept = DhcpRead();
    kept.state.addresses.push_back({*ParseIpv4(L"192.168.1.10"), 24, AddressState::Preferred, true});
    AdapterRead leased = DhcpRead();
    leased.state.addresses.push_back({*ParseIpv4(L"192.168.1.77"), 24, AddressState::Preferred, false});
    struct Case {
        AdapterRead read;
        std::vector<Kind> kinds;
        bool final;
    };
    const Case cases[] = {
        {leased, {}, false},
        {DhcpRead(false), {Kind::DhcpOff}, false},  // the flag may show late
        {kept, {Kind::DhcpStaticKept}, false},
        // Cable out: whatever the flag says, Windows may bring the fixed address back.
        {DhcpRead(true, false), {Kind::DhcpUnplugged}, true},
        {DhcpRead(false, false), {Kind::DhcpUnplugged}, true},
    };
    for (const Case& c : cases) {
        const ReadBack readBack = CompareDhcp(c.read);
        EXPECT_EQ(Kinds(readBack), c.kinds);
        EXPECT_EQ(readBack.final, c.final);
    }
}

}  // namespace
