#include "way_back.h"

#include <algorithm>

namespace {

StaticSetup SetupOf(const Snapshot& snapshot) {
    StaticSetup setup{{}, snapshot.gateways, snapshot.dnsServers};
    for (const UnicastAddress& a : snapshot.addresses) setup.addresses.push_back({a.address, a.prefixLength});
    return setup;
}

AdapterRead AsRead(const Snapshot& snapshot) {
    AdapterRead read{AdapterRead::Outcome::Read, {}, {}};
    read.state.dhcpEnabled = snapshot.dhcp;
    read.state.addresses = snapshot.addresses;
    read.state.gateways = snapshot.gateways;
    read.state.dnsServers = snapshot.dnsServers;
    return read;
}

}  // namespace

std::optional<Snapshot> TakeSnapshot(const AdapterList& all, std::wstring_view name) {
    const AdapterState* state = all.Find(name);
    if (!state) return std::nullopt;
    Snapshot snapshot{state->dhcpEnabled,
                      {},
                      state->gateways,
                      state->dnsServers,
                      state->dhcpEnabled && state->dnsHandSet && !state->dnsServers.empty()};
    for (const UnicastAddress& a : state->addresses)
        if (a.state == AddressState::Preferred && !IsLinkLocal(a.address)) snapshot.addresses.push_back(a);
    return snapshot;
}

BeforeStatic CheckBeforeStatic(const AddressFields& asked, const AdapterList& all, std::wstring_view name) {
    const std::optional<Ipv4> ip = ParseIpv4(asked[Field::Ip]);
    if (!ip || !all.read) return {};
    for (const AdapterList::Named& adapter : all.adapters)
        if (adapter.name != name && std::any_of(adapter.state.addresses.begin(), adapter.state.addresses.end(),
                                                [&](const UnicastAddress& a) { return a.address == *ip; }))
            return {BeforeStatic::Kind::TakenByOtherAdapter, adapter.name};
    const AdapterState* wired = all.Find(name);
    if (!wired || !wired->connected) return {};
    for (const UnicastAddress& a : wired->addresses)
        if (a.address == *ip) return {};  // its own address: nothing to ask
    // The source's own prefix says what is on its link, whatever mask was asked.
    for (const UnicastAddress& a : wired->addresses) {
        const Ipv4 mask = MaskOf(a.prefixLength);
        if (a.state == AddressState::Preferred && a.prefixLength > 0 && (a.address & mask) == (*ip & mask))
            return {BeforeStatic::Kind::Probe, {}, *ip, a.address, wired->interfaceIndex};
    }
    return {};
}

bool CanGoBack(const Snapshot& snapshot, const std::optional<AddressFields>& asked) {
    if (!snapshot.dhcp && snapshot.addresses.empty()) return false;  // nothing to put back
    if (!asked) return !snapshot.dhcp;
    return !CompareStatic(*asked, AsRead(snapshot)).differences.empty();
}

bool LeftWorse(const ReadBack& readBack) {
    return std::any_of(readBack.differences.begin(), readBack.differences.end(), [](const Difference& d) {
        using Kind = Difference::Kind;
        return d.kind == Kind::Conflict || d.kind == Kind::PossibleConflict || d.kind == Kind::AddressMissing ||
               d.kind == Kind::NoLease;
    });
}

ReadBack CompareRestored(const Snapshot& snapshot, const AdapterRead& read) {
    if (!snapshot.dhcp) return CompareSetup(SetupOf(snapshot), read);
    ReadBack readBack = CompareDhcp(read);
    // Back on DHCP is back as it was, lease or not.
    std::erase_if(readBack.differences, [](const Difference& d) { return d.kind == Difference::Kind::NoLease; });
    if (read.outcome != AdapterRead::Outcome::Read || !read.state.connected) return readBack;
    // A lease brings its own gateway, and DNS servers unless they were set by hand: anything else
    // is what the change left (Windows 7 can keep a static gateway beside the lease's).
    std::vector<Ipv4> kept;
    for (Ipv4 gateway : read.state.gateways)
        if (std::find(snapshot.gateways.begin(), snapshot.gateways.end(), gateway) == snapshot.gateways.end())
            kept.push_back(gateway);
    if (!kept.empty()) readBack.differences.push_back(OldGatewayDifference(kept, read.state.interfaceIndex));
    if (snapshot.dnsHandSet && read.state.dnsServers != snapshot.dnsServers)
        readBack.differences.push_back(DnsDifference(snapshot.dnsServers, read.state.dnsServers));
    return readBack;
}
