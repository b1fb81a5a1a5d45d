// What the system says an adapter is now: its IPv4 addresses, gateways, DNS servers, DHCP and
// link. The Win32 reader asks the IP Helper API; tests give any state through a fake.
#pragma once
#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "ipv4.h"
#include "textfile/status.h"

// Windows' duplicate address detection: a new address is Tentative while Windows probes for
// another device that has it, then Preferred (in use) or Duplicate (not used).
enum class AddressState { Tentative, Duplicate, Preferred, Other };

struct UnicastAddress {
    Ipv4 address = 0;
    unsigned prefixLength = 0;
    AddressState state = AddressState::Preferred;
    bool manual = false;  // set by hand or netsh (PrefixOrigin Manual), not by DHCP or Windows
};

// What Windows keeps for the adapter's next start: whether it takes its address from DHCP.
enum class StoredDhcp { Unknown, On, Off };

struct AdapterState {
    bool dhcpEnabled = false;
    bool connected = true;  // the link is up
    std::vector<UnicastAddress> addresses;
    std::vector<Ipv4> gateways;
    std::vector<Ipv4> dnsServers;      // in the order they are asked
    unsigned long interfaceIndex = 0;  // the IPv4 index `route` takes after "if"
    StoredDhcp storedDhcp = StoredDhcp::Unknown;
    bool dnsHandSet = false;         // on DHCP: the DNS list is set by hand, kept beside the lease; read by ReadAll
    std::vector<unsigned char> mac;  // the hardware address, where it has one
};

struct AdapterRead {
    enum class Outcome { Read, NotFound, Failed };
    Outcome outcome = Outcome::Failed;
    AdapterState state;           // with Read
    Status error = Status::Ok();  // with Failed: why
};

// Every adapter of the computer, by friendly name.
struct AdapterList {
    struct Named {
        std::wstring name;
        AdapterState state;
    };
    bool read = false;
    std::vector<Named> adapters;  // when read
    Status error = Status::Ok();  // when not: why
    // The adapter named `name`; null when the list was not read or has no such adapter.
    [[nodiscard]] const AdapterState* Find(std::wstring_view name) const {
        for (const Named& adapter : adapters)
            if (read && adapter.name == name) return &adapter.state;
        return nullptr;
    }
};

// What the link said when asked who has an address (ARP).
struct ArpReply {
    enum class Outcome {
        Replied,  // a device has it now
        Stale,    // only this computer's cache answered: a device had it once, and may be gone
        NoReply,
        Unavailable  // no answer to be had here
    };
    Outcome outcome = Outcome::Unavailable;
    std::array<unsigned char, 6> mac{};  // with Replied
};

class AdapterReader {
public:
    virtual ~AdapterReader() = default;
    // The IPv4 side of the enabled adapter whose friendly name is `name`. While it reads, the
    // window keeps painting; a read still running after `bound`, or cut short by the program's
    // closing, reports Failed.
    [[nodiscard]] virtual AdapterRead Read(std::wstring_view name, std::chrono::milliseconds bound) = 0;
    // Every adapter at once, as Read reads one, with whether each one's DNS list is set by hand.
    [[nodiscard]] virtual AdapterList ReadAll(std::chrono::milliseconds bound) = 0;
    // Asks the link of the interface `interfaceIndex`, from `source` (its address), which device has
    // `target`, afresh where the system allows; at most `bound`, the window painting. Nothing is
    // sent to `target` itself.
    [[nodiscard]] virtual ArpReply Probe(Ipv4 target, Ipv4 source, unsigned long interfaceIndex,
                                         std::chrono::milliseconds bound) = 0;
};
