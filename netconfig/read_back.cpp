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

// The read itself and the adapter's presence: what every comparison starts with. A read that
// failed may succeed a moment later (GetAdaptersAddresses can fail briefly during a change).
std::optional<ReadBack> Unreadable(const AdapterRead& read) {
    switch (read.outcome) {
    case AdapterRead::Outcome::Failed: return ReadBack{{{Kind::ReadFailed, {}, {read.error}}}, false};
    case AdapterRead::Outcome::NotFound: return ReadBack{{{Kind::NoAdapter, {}, {}}}, true};
    case AdapterRead::Outcome::Read: break;
    }
    return std::nullopt;
}

bool IsBlank(const std::wstring& text) { return text.find_first_not_of(L" \t") == std::wstring::npos; }

// A field's value parsed, or an Unchecked difference for it.
std::optional<Ipv4> Checkable(const std::wstring& text, Field field, ReadBack& result) {
    std::optional<Ipv4> value = ParseIpv4(text);
    if (!value) result.differences.push_back({Kind::Unchecked, {text}, {}, field});
    return value;
}

std::vector<Ipv4> AddressesOf(const AdapterState& state, bool linkLocalOnly) {
    std::vector<Ipv4> addresses;
    for (const UnicastAddress& a : state.addresses)
        if (!linkLocalOnly || IsLinkLocal(a.address)) addresses.push_back(a.address);
    return addresses;
}

// Windows' conflict signature is the asked address marked Duplicate. A 169.254 address without the
// asked one may be a conflict, or the DHCP client's old address on its way out: only the bound
// tells. Beside the asked address in use it is one more address.
void CompareAddress(Ipv4 ip, std::optional<unsigned> prefix, const AdapterState& state, ReadBack& result) {
    const auto asked = std::find_if(state.addresses.begin(), state.addresses.end(),
                                    [&](const UnicastAddress& a) { return a.address == ip; });
    if (asked == state.addresses.end()) {
        const bool fallback = !IsLinkLocal(ip) && !AddressesOf(state, true).empty();
        result.differences.push_back({fallback ? Kind::PossibleConflict : Kind::AddressMissing,
                                      {Ipv4Text(ip)},
                                      Texts(AddressesOf(state, false))});
        return;
    }
    if (asked->state == AddressState::Duplicate) {
        result.differences.push_back({Kind::Conflict, {Ipv4Text(ip)}, Texts(AddressesOf(state, true))});
        result.final = true;
        return;
    }
    if (asked->state != AddressState::Preferred)
        result.differences.push_back({Kind::StillChecking, {Ipv4Text(ip)}, {}});
    if (prefix && asked->prefixLength != *prefix)
        result.differences.push_back(
            {Kind::WrongMask, {Ipv4Text(MaskOf(*prefix))}, {Ipv4Text(MaskOf(asked->prefixLength))}});
    std::vector<Ipv4> others;
    for (const UnicastAddress& a : state.addresses)
        if (a.address != ip) others.push_back(a.address);
    if (!others.empty()) result.differences.push_back({Kind::ExtraAddress, {Ipv4Text(ip)}, Texts(others)});
}

void CompareGateway(std::optional<Ipv4> gateway, const AdapterState& state, ReadBack& result) {
    std::vector<Ipv4> old;
    for (Ipv4 seen : state.gateways)
        if (seen != gateway) old.push_back(seen);
    if (!old.empty())
        result.differences.push_back({Kind::OldGateway, {std::to_wstring(state.interfaceIndex)}, Texts(old)});
    if (gateway && std::find(state.gateways.begin(), state.gateways.end(), *gateway) == state.gateways.end())
        result.differences.push_back({Kind::GatewayMissing, {Ipv4Text(*gateway)}, {}});
}

}  // namespace

bool ReadBack::Settled() const {
    return std::all_of(differences.begin(), differences.end(),
                       [](const Difference& d) { return d.kind == Kind::Unchecked; });
}

namespace {

// The asked values that can be compared; each one that cannot is an Unchecked difference.
struct Asked {
    std::optional<Ipv4> ip;
    std::optional<unsigned> prefix;
    std::optional<Ipv4> gateway;
    bool gatewayKnown = true;
    std::vector<Ipv4> dns;
    bool dnsKnown = true;
};

Asked Parse(const AddressFields& fields, ReadBack& result) {
    Asked asked;
    asked.ip = Checkable(fields[Field::Ip], Field::Ip, result);
    if (const std::optional<Ipv4> mask = Checkable(fields[Field::Mask], Field::Mask, result)) {
        asked.prefix = PrefixLengthOf(*mask);
        if (!asked.prefix) result.differences.push_back({Kind::Unchecked, {fields[Field::Mask]}, {}, Field::Mask});
    }
    // An empty gateway field leaves netsh's gateway parameter out, and netsh's default for it is
    // "none": no default gateway.
    if (!IsBlank(fields[Field::Gateway])) {
        asked.gateway = Checkable(fields[Field::Gateway], Field::Gateway, result);
        asked.gatewayKnown = asked.gateway.has_value();
    }
    // An empty alternate adds nothing to the list.
    for (Field field : {Field::PreferredDns, Field::AlternateDns}) {
        if (IsBlank(fields[field])) continue;
        if (const std::optional<Ipv4> server = Checkable(fields[field], field, result))
            asked.dns.push_back(*server);
        else
            asked.dnsKnown = false;
    }
    return asked;
}

}  // namespace

ReadBack CompareStatic(const AddressFields& fields, const AdapterRead& read) {
    if (auto unreadable = Unreadable(read)) return *unreadable;
    const AdapterState& state = read.state;
    ReadBack result;
    const Asked asked = Parse(fields, result);
    if (!state.connected) {
        // The settings are stored and apply once the link is up; nothing else can be seen now.
        result.differences.insert(result.differences.begin(), {Kind::NotConnected, {}, {}});
        result.final = true;
        return result;
    }
    if (state.dhcpEnabled) result.differences.push_back({Kind::DhcpOn, {}, {}});
    if (asked.ip) CompareAddress(*asked.ip, asked.prefix, state, result);
    if (asked.gatewayKnown) CompareGateway(asked.gateway, state, result);
    if (asked.dnsKnown && state.dnsServers != asked.dns)
        result.differences.push_back({Kind::DnsDifferent, Texts(asked.dns), Texts(state.dnsServers)});
    return result;
}

ReadBack CompareDhcp(const AdapterRead& read) {
    if (auto unreadable = Unreadable(read)) return *unreadable;
    const AdapterState& state = read.state;
    ReadBack result;
    // With the cable out netsh answers that DHCP is on and the flag may read so, yet Windows
    // brings the fixed address back once the cable is in (DisableDhcpOnConnect): never a success.
    if (!state.connected) {
        Difference unplugged{Kind::DhcpUnplugged, {}, {}};
        unplugged.stored = state.storedDhcp;
        result.differences.push_back(unplugged);
        result.final = true;
        return result;
    }
    std::vector<Ipv4> fixed;
    for (const UnicastAddress& a : state.addresses)
        if (a.manual) fixed.push_back(a.address);
    if (!state.dhcpEnabled)
        result.differences.push_back({Kind::DhcpOff, {}, Texts(fixed)});
    else if (!fixed.empty())
        result.differences.push_back({Kind::DhcpStaticKept, {}, Texts(fixed)});
    return result;
}
