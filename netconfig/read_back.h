// Whether 以太网 is now as the address commands asked: the asked values and a read of the adapter
// in, every difference out. A value that is not a plain dotted IPv4 address cannot be checked,
// and says so: only no difference at all means the change took effect.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "adapter_reader.h"
#include "address_fields.h"

struct Difference {
    enum class Kind {
        ReadFailed,        // why
        NoAdapter,         // no enabled adapter has the name
        NotConnected,      // the link is down: cannot be confirmed now
        DhcpOff,           // DHCP asked, the flag is still off
        DhcpStaticKept,    // DHCP asked and on, but a fixed address is still in use; seen: it
        DhcpUnplugged,     // DHCP asked with the link down; `stored` says what Windows keeps
        NoLease,           // DHCP on, but no address from a DHCP server yet; seen: the 169.254 ones
        DhcpOn,            // a static setup asked, the adapter is still on DHCP
        Conflict,          // another device has the address: Windows marked it Duplicate
        PossibleConflict,  // the address never came, a 169.254 one did; seen: the addresses there
        AddressMissing,    // seen: the addresses there are
        WrongMask,         // seen: the mask there is
        StillChecking,     // the address was still Tentative when reading stopped
        ExtraAddress,      // seen: the other addresses
        OldGateway,        // seen: gateways other than the asked one; asked: the interface index
        GatewayMissing,
        DnsDifferent,  // asked and seen: the DNS servers in order
        Unchecked,     // asked: a text that is no dotted address; field says which
    };
    Kind kind;
    std::vector<std::wstring> asked;
    std::vector<std::wstring> seen;
    Field field = Field::Ip;
    StoredDhcp stored = StoredDhcp::Unknown;
    Status why = Status::Ok();
};

struct ReadBack {
    std::vector<Difference> differences;
    bool final = false;  // waiting will not mend it (no adapter, a conflict, no link)
    // Nothing left that another read could change: no difference, or only values never checkable.
    [[nodiscard]] bool Settled() const;
};

// A static setup as it is compared: what cannot be checked is left out (a gateway or DNS list of
// nothing: not checked).
struct StaticSetup {
    struct Address {
        Ipv4 address = 0;
        std::optional<unsigned> prefixLength;
    };
    std::vector<Address> addresses;
    std::optional<std::vector<Ipv4>> gateways;
    std::optional<std::vector<Ipv4>> dnsServers;  // in order
};

// Default gateways beside the asked ones, on the interface `interfaceIndex` (for route's "if").
[[nodiscard]] Difference OldGatewayDifference(const std::vector<Ipv4>& old, unsigned long interfaceIndex);
// The DNS servers in order, as asked and as seen.
[[nodiscard]] Difference DnsDifference(const std::vector<Ipv4>& asked, const std::vector<Ipv4>& seen);

// A read that failed (another read may succeed) or found no such adapter, as a read-back; nothing
// for a read that succeeded.
[[nodiscard]] std::optional<ReadBack> Unreadable(const AdapterRead& read);
// `setup` against a read, after the differences already in `result`.
[[nodiscard]] ReadBack CompareSetup(const StaticSetup& setup, const AdapterRead& read, ReadBack result = {});
// `asked`: the five field texts the static commands were built from.
[[nodiscard]] ReadBack CompareStatic(const AddressFields& asked, const AdapterRead& read);
// DHCP on, no fixed address left, and an address other than 169.254 (a lease).
[[nodiscard]] ReadBack CompareDhcp(const AdapterRead& read);
