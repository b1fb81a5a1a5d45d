#include "read_back.h"

#include <algorithm>
#include <optional>

namespace {

using Kind = Difference::Kind;

std::vector<std::wstring> Texts(const std::vector<Ipv4>& addresses) {
    std::vector<std::wstring> texts;
    for (Ipv4 address : addresses) texts.push_back(Ipv4Text(address));
    return texts;
}

// The read itself, the adapter's presence and its link: what every comparison starts with.
std::optional<ReadBack> Unreadable(const AdapterRead& read) {
    switch (read.outcome) {
    case AdapterRead::Outcome::Failed: return ReadBack{{{Kind::ReadFailed, {}, {read.error}}}, true};
    case AdapterRead::Outcome::NotFound: return ReadBack{{{Kind::NoAdapter, {}, {}}}, true};
    case AdapterRead::Outcome::Read: break;
    }
    return std::nullopt;
}

bool IsBlank(const std::wstring& text) { return text.find_first_not_of(L" \t") == std::wstring::npos; }

// A field's value parsed, or an Unchecked difference for it.
std::optional<Ipv4> Checkable(const std::wstring& text, Difference::Field field, ReadBack& result) {
    std::optional<Ipv4> value = ParseIpv4(text);
    if (!value) result.differences.push_back({Kind::Unchecked, {text}, {}, field});
    return value;
}

void CompareAddress(Ipv4 ip, std::optional<unsigned> prefix, const AdapterState& state, ReadBack& result) {
    // Windows does not use an address another device has, and takes a 169.254 one beside or
    // instead of it.
    const bool conflict = std::any_of(state.addresses.begin(), state.addresses.end(), [&](const UnicastAddress& a) {
        return (a.address == ip && a.state == AddressState::Duplicate) || (IsLinkLocal(a.address) && !IsLinkLocal(ip));
    });
    std::vector<Ipv4> others;
    const UnicastAddress* asked = nullptr;
    for (const UnicastAddress& a : state.addresses) {
        if (a.address == ip)
            asked = &a;
        else if (!(conflict && IsLinkLocal(a.address)))
            others.push_back(a.address);
    }
    if (conflict) {
        std::vector<Ipv4> seen;
        for (const UnicastAddress& a : state.addresses)
            if (IsLinkLocal(a.address)) seen.push_back(a.address);
        result.differences.push_back({Kind::Conflict, {Ipv4Text(ip)}, Texts(seen)});
        result.final = true;
    } else if (!asked) {
        std::vector<Ipv4> seen;
        for (const UnicastAddress& a : state.addresses) seen.push_back(a.address);
        result.differences.push_back({Kind::AddressMissing, {Ipv4Text(ip)}, Texts(seen)});
    } else if (asked->state != AddressState::Preferred) {
        result.differences.push_back({Kind::StillChecking, {Ipv4Text(ip)}, {}});
    }
    if (asked && prefix && asked->prefixLength != *prefix)
        result.differences.push_back(
            {Kind::WrongMask, {Ipv4Text(MaskOf(*prefix))}, {Ipv4Text(MaskOf(asked->prefixLength))}});
    if (asked && !others.empty()) result.differences.push_back({Kind::ExtraAddress, {Ipv4Text(ip)}, Texts(others)});
}

void CompareGateway(std::optional<Ipv4> gateway, const AdapterState& state, ReadBack& result) {
    std::vector<Ipv4> old;
    for (Ipv4 seen : state.gateways)
        if (seen != gateway) old.push_back(seen);
    if (!old.empty()) result.differences.push_back({Kind::OldGateway, {}, Texts(old)});
    if (gateway && std::find(state.gateways.begin(), state.gateways.end(), *gateway) == state.gateways.end())
        result.differences.push_back({Kind::GatewayMissing, {Ipv4Text(*gateway)}, {}});
}

}  // namespace

bool ReadBack::Settled() const {
    return std::all_of(differences.begin(), differences.end(),
                       [](const Difference& d) { return d.kind == Kind::Unchecked; });
}

ReadBack CompareStatic(const StaticSettings& asked, const AdapterRead& read) {
    if (auto unreadable = Unreadable(read)) return *unreadable;
    const AdapterState& state = read.state;
    ReadBack result;
    const std::optional<Ipv4> ip = Checkable(asked.ip, Difference::Field::Ip, result);
    std::optional<unsigned> prefix;
    if (const std::optional<Ipv4> mask = Checkable(asked.mask, Difference::Field::Mask, result)) {
        prefix = PrefixLengthOf(*mask);
        if (!prefix) result.differences.push_back({Kind::Unchecked, {asked.mask}, {}, Difference::Field::Mask});
    }
    // An empty gateway field leaves netsh's gateway parameter out, and netsh's default for it is
    // "none": no default gateway.
    std::optional<Ipv4> gateway;
    bool gatewayKnown = true;
    if (!IsBlank(asked.gateway)) {
        gateway = Checkable(asked.gateway, Difference::Field::Gateway, result);
        gatewayKnown = gateway.has_value();
    }
    // An empty alternate adds nothing to the list.
    std::vector<Ipv4> dns;
    bool dnsKnown = true;
    const std::pair<const std::wstring*, Difference::Field> servers[] = {
        {&asked.preferredDns, Difference::Field::PreferredDns}, {&asked.alternateDns, Difference::Field::AlternateDns}};
    for (const auto& [text, field] : servers) {
        if (IsBlank(*text)) continue;
        if (const std::optional<Ipv4> server = Checkable(*text, field, result))
            dns.push_back(*server);
        else
            dnsKnown = false;
    }

    if (!state.connected) {
        // The settings are stored and apply once the link is up; nothing else can be seen now.
        result.differences.insert(result.differences.begin(), {Kind::NotConnected, {}, {}});
        result.final = true;
        return result;
    }
    if (state.dhcpEnabled) result.differences.push_back({Kind::DhcpOn, {}, {}});
    if (ip) CompareAddress(*ip, prefix, state, result);
    if (gatewayKnown) CompareGateway(gateway, state, result);
    if (dnsKnown && state.dnsServers != dns)
        result.differences.push_back({Kind::DnsDifferent, Texts(dns), Texts(state.dnsServers)});
    return result;
}

ReadBack CompareDhcp(const AdapterRead& read) {
    if (auto unreadable = Unreadable(read)) return *unreadable;
    ReadBack result;
    // With the cable out Windows answers that DHCP is on, and keeps the static address: the flag
    // tells which.
    if (!read.state.dhcpEnabled)
        result.differences.push_back({Kind::DhcpOff, {}, {}});
    else if (!read.state.connected)
        result.differences.push_back({Kind::NotConnected, {}, {}});
    result.final = !read.state.connected;
    return result;
}
