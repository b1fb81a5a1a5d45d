// Looking before a change and the way back after it: what the adapter was (a snapshot), whether a
// static setup may go ahead, whether going back is worth offering, and whether the adapter is as
// the snapshot afterwards. Plain values in, plain values out.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adapter_reader.h"
#include "address_fields.h"
#include "read_back.h"

// The IPv4 setup a restore puts back: only what the address commands change.
struct Snapshot {
    bool dhcp = false;
    std::vector<UnicastAddress> addresses;  // in use (Preferred), not 169.254
    std::vector<Ipv4> gateways;
    std::vector<Ipv4> dnsServers;  // in order
    bool dnsHandSet = false;       // on DHCP: the DNS list (not empty) was set by hand, and goes back so
};

// The adapter `name` in `all`; nothing when the list was not read or has no such adapter.
[[nodiscard]] std::optional<Snapshot> TakeSnapshot(const AdapterList& all, std::wstring_view name);

// What to do before the lines of a static setup run.
struct BeforeStatic {
    enum class Kind { Go, TakenByOtherAdapter, Probe };
    Kind kind = Kind::Go;
    std::wstring otherAdapter;         // with TakenByOtherAdapter: which one has the asked address
    Ipv4 target = 0, source = 0;       // with Probe: ask the link who has `target`, from `source`
    unsigned long interfaceIndex = 0;  // with Probe: the adapter `source` is on
};
// Another adapter of this computer with the asked address stops the change. A probe only when the
// adapter `name` is connected and has an address in use whose own subnet holds the asked one (and
// is not it): from any other address the question could not reach the link, and the asked address
// must not be sent anything while Windows checks it.
[[nodiscard]] BeforeStatic CheckBeforeStatic(const AddressFields& asked, const AdapterList& all,
                                             std::wstring_view name);

// Whether there is a way back worth offering: something to put back that differs from what was asked
// (`asked` none: DHCP).
[[nodiscard]] bool CanGoBack(const Snapshot& snapshot, const std::optional<AddressFields>& asked);
// Differences that leave the adapter worse off than before: no usable address.
[[nodiscard]] bool LeftWorse(const ReadBack& readBack);

// How the adapter compares with the snapshot, as the read-back compares it with asked values; back
// on DHCP, also its gateways (one Windows kept is a difference) and a DNS list set by hand, in order.
[[nodiscard]] ReadBack CompareRestored(const Snapshot& snapshot, const AdapterRead& read);
