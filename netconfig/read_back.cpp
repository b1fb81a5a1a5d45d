#include "read_back.h"

#include <algorithm>

namespace {

using Kind = Difference::Kind;

std::vector<std::wstring> Texts(const std::vector<Ipv4>& addresses) {
    std::vector<std::wstring> texts;
    for (Ipv4 address : addresses) texts.push_back(Ipv4Text(address));
    return texts;
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
// tells. Beside the asked address in use it is one more address. True when the address is there.
bool CompareAddress(const StaticSetup::Address& wanted, const AdapterState& state, ReadBack& result) {
    const Ipv4 ip = wanted.address;
    const auto seen = std::find_if(state.addresses.begin(), state.addresses.end(),
                                   [&](const UnicastAddress& a) { return a.address == ip; });
    if (seen == state.addresses.end()) {
        const bool fallback = !IsLinkLocal(ip) && !AddressesOf(state, true).empty();
        result.differences.push_back({fallback ? Kind::PossibleConflict : Kind::AddressMissing,
                                      {Ipv4Text(ip)},
                                      Texts(AddressesOf(state, false))});
        return false;
    }
    if (seen->state == AddressState::Duplicate) {
        result.differences.push_back({Kind::Conflict, {Ipv4Text(ip)}, Texts(AddressesOf(state, true))});
        result.final = true;
        return false;
    }
    if (seen->state != AddressState::Preferred) result.differences.push_back({Kind::StillChecking, {Ipv4Text(ip)}, {}});
    if (wanted.prefixLength && seen->prefixLength != *wanted.prefixLength)
        result.differences.push_back(
            {Kind::WrongMask, {Ipv4Text(MaskOf(*wanted.prefixLength))}, {Ipv4Text(MaskOf(seen->prefixLength))}});
    return true;
}

void CompareAddresses(const std::vector<StaticSetup::Address>& wanted, const AdapterState& state, ReadBack& result) {
    bool anyThere = false, conflict = false;
    for (const StaticSetup::Address& address : wanted) {
        anyThere = CompareAddress(address, state, result) || anyThere;
        conflict = conflict || result.final;
    }
    std::vector<Ipv4> others;
    for (const UnicastAddress& a : state.addresses)
        if (std::none_of(wanted.begin(), wanted.end(), [&](const auto& w) { return w.address == a.address; }))
            others.push_back(a.address);
    if (anyThere && !conflict && !others.empty())
        result.differences.push_back({Kind::ExtraAddress, {Ipv4Text(wanted[0].address)}, Texts(others)});
}

void CompareGateways(const std::vector<Ipv4>& wanted, const AdapterState& state, ReadBack& result) {
    std::vector<Ipv4> old;
    for (Ipv4 seen : state.gateways)
        if (std::find(wanted.begin(), wanted.end(), seen) == wanted.end()) old.push_back(seen);
    if (!old.empty()) result.differences.push_back(OldGatewayDifference(old, state.interfaceIndex));
    for (Ipv4 gateway : wanted)
        if (std::find(state.gateways.begin(), state.gateways.end(), gateway) == state.gateways.end())
            result.differences.push_back({Kind::GatewayMissing, {Ipv4Text(gateway)}, {}});
}

// The asked values that can be compared; each one that cannot is an Unchecked difference.
StaticSetup Parse(const AddressFields& fields, ReadBack& result) {
    StaticSetup setup;
    const std::optional<Ipv4> ip = Checkable(fields[Field::Ip], Field::Ip, result);
    std::optional<unsigned> prefix;
    if (const std::optional<Ipv4> mask = Checkable(fields[Field::Mask], Field::Mask, result)) {
        prefix = PrefixLengthOf(*mask);
        if (!prefix) result.differences.push_back({Kind::Unchecked, {fields[Field::Mask]}, {}, Field::Mask});
    }
    if (ip) setup.addresses.push_back({*ip, prefix});
    // An empty gateway field leaves netsh's gateway parameter out, and netsh's default for it is
    // "none": no default gateway.
    setup.gateways.emplace();
    if (!IsBlank(fields[Field::Gateway])) {
        const std::optional<Ipv4> gateway = Checkable(fields[Field::Gateway], Field::Gateway, result);
        setup.gateways = gateway ? std::optional(std::vector{*gateway}) : std::nullopt;
    }
    // An empty alternate adds nothing to the list.
    setup.dnsServers.emplace();
    for (Field field : {Field::PreferredDns, Field::AlternateDns}) {
        if (IsBlank(fields[field])) continue;
        const std::optional<Ipv4> server = Checkable(fields[field], field, result);
        if (server && setup.dnsServers) setup.dnsServers->push_back(*server);
        if (!server) setup.dnsServers.reset();
    }
    return setup;
}

}  // namespace

Difference OldGatewayDifference(const std::vector<Ipv4>& old, unsigned long interfaceIndex) {
    return {Kind::OldGateway, {std::to_wstring(interfaceIndex)}, Texts(old)};
}

Difference DnsDifference(const std::vector<Ipv4>& asked, const std::vector<Ipv4>& seen) {
    return {Kind::DnsDifferent, Texts(asked), Texts(seen)};
}

std::optional<ReadBack> Unreadable(const AdapterRead& read) {
    switch (read.outcome) {
    case AdapterRead::Outcome::Failed: {
        Difference failed{Kind::ReadFailed, {}, {}};
        failed.why = read.error;
        return ReadBack{{failed}, false};
    }
    case AdapterRead::Outcome::NotFound: return ReadBack{{{Kind::NoAdapter, {}, {}}}, true};
    case AdapterRead::Outcome::Read: break;
    }
    return std::nullopt;
}

bool ReadBack::Settled() const {
    return std::all_of(differences.begin(), differences.end(),
                       [](const Difference& d) { return d.kind == Kind::Unchecked; });
}

ReadBack CompareSetup(const StaticSetup& setup, const AdapterRead& read, ReadBack result) {
    if (auto unreadable = Unreadable(read)) return *unreadable;
    const AdapterState& state = read.state;
    if (!state.connected) {
        // The settings are stored and apply once the link is up; nothing else can be seen now.
        result.differences.insert(result.differences.begin(), {Kind::NotConnected, {}, {}});
        result.final = true;
        return result;
    }
    if (state.dhcpEnabled) result.differences.push_back({Kind::DhcpOn, {}, {}});
    if (!setup.addresses.empty()) CompareAddresses(setup.addresses, state, result);
    if (setup.gateways) CompareGateways(*setup.gateways, state, result);
    if (setup.dnsServers && state.dnsServers != *setup.dnsServers)
        result.differences.push_back(DnsDifference(*setup.dnsServers, state.dnsServers));
    return result;
}

ReadBack CompareStatic(const AddressFields& fields, const AdapterRead& read) {
    if (auto unreadable = Unreadable(read)) return *unreadable;
    ReadBack result;
    const StaticSetup setup = Parse(fields, result);
    return CompareSetup(setup, read, std::move(result));
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
    else if (AddressesOf(state, false) == AddressesOf(state, true))
        result.differences.push_back({Kind::NoLease, {}, Texts(AddressesOf(state, true))});
    return result;
}
