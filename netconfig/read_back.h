// Whether 以太网 is now as the address commands asked: the asked values and a read of the adapter
// in, every difference out. A value that is not a plain dotted IPv4 address cannot be checked,
// and says so: only no difference at all means the change took effect.
#pragma once
#include <string>
#include <vector>

#include "adapter_reader.h"

// The five field texts the static commands were built from.
struct StaticSettings {
    std::wstring ip, mask, gateway, preferredDns, alternateDns;
};

struct Difference {
    enum class Kind {
        ReadFailed,      // seen: the system's reason
        NoAdapter,       // no enabled adapter has the name
        NotConnected,    // the link is down: cannot be confirmed now
        DhcpOff,         // DHCP asked, the adapter is still static
        DhcpOn,          // a static setup asked, the adapter is still on DHCP
        Conflict,        // another device has the address: Duplicate, or Windows fell back to 169.254
        AddressMissing,  // seen: the addresses there are
        WrongMask,       // seen: the mask there is
        StillChecking,   // the address was still Tentative when reading stopped
        ExtraAddress,    // seen: the other addresses
        OldGateway,      // seen: gateways other than the asked one
        GatewayMissing,
        DnsDifferent,  // asked and seen: the DNS servers in order
        Unchecked,     // asked: a text that is no dotted address; field says which
    };
    enum class Field { Ip, Mask, Gateway, PreferredDns, AlternateDns };
    Kind kind;
    std::vector<std::wstring> asked;
    std::vector<std::wstring> seen;
    Field field = Field::Ip;
};

struct ReadBack {
    std::vector<Difference> differences;
    bool final = false;  // waiting will not mend it (no adapter, a conflict, no link, no read)
    // Nothing left that another read could change: no difference, or only values never checkable.
    [[nodiscard]] bool Settled() const;
};

[[nodiscard]] ReadBack CompareStatic(const StaticSettings& asked, const AdapterRead& read);
// DHCP on is enough: the lease may take longer than anyone waits.
[[nodiscard]] ReadBack CompareDhcp(const AdapterRead& read);
