#include "adapter_reader_win32.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

#include "win32/registry.h"
#include "win32/system_library.h"
#include "win32/system_text.h"
#include "win32/worker_thread.h"

namespace {

using GetAdaptersAddressesCall = ULONG WINAPI(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES_LH, PULONG);
using GetIfEntry2Call = DWORD WINAPI(PMIB_IF_ROW2);
using ResolveCall = DWORD WINAPI(PMIB_IPNET_ROW2, const SOCKADDR_INET*);
using SendArpCall = DWORD WINAPI(IPAddr, IPAddr, PVOID, PULONG);
using GetEntryCall = DWORD WINAPI(PMIB_IPNET_ROW2);

constexpr ULONG kListFlags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST;

// iphlpapi.dll and its functions, shared with each read's thread: a thread still reading
// when the program ends must not find the DLL gone.
struct IpHelper {
    explicit IpHelper(const NeighbourCalls& given)
        : library(win32::LoadSystemLibrary(L"iphlpapi.dll")),
          loadError(library ? 0 : ::GetLastError()),
          neighbours(Neighbours(given)) {}
    win32::UniqueLibrary library;
    DWORD loadError;
    GetAdaptersAddressesCall* getAdaptersAddresses =
        win32::FunctionOf<GetAdaptersAddressesCall>(library.get(), "GetAdaptersAddresses");
    GetIfEntry2Call* getIfEntry2 = win32::FunctionOf<GetIfEntry2Call>(library.get(), "GetIfEntry2");
    NeighbourCalls neighbours;

private:
    NeighbourCalls Neighbours(const NeighbourCalls& given) const {
        if (given.given) return given;
        return {false, win32::FunctionOf<ResolveCall>(library.get(), "ResolveIpNetEntry2"),
                win32::FunctionOf<SendArpCall>(library.get(), "SendARP"),
                win32::FunctionOf<GetEntryCall>(library.get(), "GetIpNetEntry2")};
    }
};

AdapterRead Failed(Status why) { return {AdapterRead::Outcome::Failed, {}, std::move(why)}; }

// IPv4 only: Windows lists IPv6 DNS servers (fec0::) and gateways beside them.
std::optional<Ipv4> Ipv4Of(const SOCKET_ADDRESS& socket) {
    if (!socket.lpSockaddr || socket.lpSockaddr->sa_family != AF_INET ||
        socket.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in)))
        return std::nullopt;
    // Byte by byte rather than ntohl, which would import ws2_32.
    const auto* b =
        reinterpret_cast<const unsigned char*>(&reinterpret_cast<const sockaddr_in*>(socket.lpSockaddr)->sin_addr);
    return (Ipv4{b[0]} << 24) | (Ipv4{b[1]} << 16) | (Ipv4{b[2]} << 8) | Ipv4{b[3]};
}

template <typename Node>
std::vector<Ipv4> Ipv4List(const Node* first) {
    std::vector<Ipv4> list;
    for (const Node* node = first; node; node = node->Next)
        if (const std::optional<Ipv4> address = Ipv4Of(node->Address)) list.push_back(*address);
    return list;
}

AddressState StateOf(IP_DAD_STATE dad) {
    switch (dad) {
    case IpDadStateTentative: return AddressState::Tentative;
    case IpDadStateDuplicate: return AddressState::Duplicate;
    case IpDadStatePreferred: return AddressState::Preferred;
    default: return AddressState::Other;
    }
}

// The link: down, cable out, or the adapter gone. MediaConnectState is the cable itself.
bool Connected(const IpHelper& api, const IP_ADAPTER_ADDRESSES_LH& adapter) {
    if (adapter.OperStatus == IfOperStatusDown || adapter.OperStatus == IfOperStatusLowerLayerDown ||
        adapter.OperStatus == IfOperStatusNotPresent)
        return false;
    MIB_IF_ROW2 row{};
    row.InterfaceLuid = adapter.Luid;
    return !(api.getIfEntry2 && api.getIfEntry2(&row) == NO_ERROR &&
             row.MediaConnectState == MediaConnectStateDisconnected);
}

// The adapter's own key: its settings as Windows keeps them, readable without administrator rights.
std::wstring KeyOf(const char* adapterName) {
    std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
    for (const char* c = adapterName; *c; ++c) key += static_cast<wchar_t>(static_cast<unsigned char>(*c));  // a GUID
    return key;
}

// Whether the adapter takes its address from DHCP once the cable is in: EnableDHCP, unless
// DisableDhcpOnConnect (which netsh leaves set when it is asked for DHCP with the cable out) says
// the fixed address comes back. Unknown where it cannot be read.
StoredDhcp StoredDhcpOf(const char* adapterName) {
    if (!adapterName) return StoredDhcp::Unknown;
    const std::wstring key = KeyOf(adapterName);
    const std::optional<DWORD> enabled = win32::ReadDword(HKEY_LOCAL_MACHINE, key, L"EnableDHCP");
    if (!enabled) return StoredDhcp::Unknown;
    const bool fixedComesBack = win32::ReadDword(HKEY_LOCAL_MACHINE, key, L"DisableDhcpOnConnect").value_or(0) != 0;
    return *enabled && !fixedComesBack ? StoredDhcp::On : StoredDhcp::Off;
}

// A DNS list set by hand is kept in NameServer, also on DHCP (the lease's is DhcpNameServer);
// GetAdaptersAddresses cannot tell the two apart.
bool DnsSetByHand(const char* adapterName) {
    if (!adapterName) return false;
    const std::optional<std::wstring> servers =
        win32::ReadString(HKEY_LOCAL_MACHINE, KeyOf(adapterName), L"NameServer");
    return servers && servers->find_first_not_of(L" ,") != std::wstring::npos;
}

// What Windows keeps in the registry, asked only where it tells something.
struct Kept {
    bool storedDhcp = false;  // the link is down after a change to DHCP
    bool dnsByHand = false;   // the snapshot before a change
};

AdapterRead StateOf(const IpHelper& api, const IP_ADAPTER_ADDRESSES_LH& adapter, Kept kept) {
    // The gateways, the LUID and the prefix lengths came with Vista; Length says what is there.
    if (adapter.Length < offsetof(IP_ADAPTER_ADDRESSES_LH, Luid) + sizeof adapter.Luid)
        return Failed(Status::Because(Status::Reason::Incomplete));
    AdapterRead read{AdapterRead::Outcome::Read, {}, {}};
    AdapterState& state = read.state;
    state.dhcpEnabled = (adapter.Flags & IP_ADAPTER_DHCP_ENABLED) != 0;
    state.connected = Connected(api, adapter);
    state.interfaceIndex = adapter.IfIndex;
    if (kept.storedDhcp && !state.connected) state.storedDhcp = StoredDhcpOf(adapter.AdapterName);
    // On a fixed setup the DNS list is always set by hand: the registry is asked only on DHCP.
    if (kept.dnsByHand && state.dhcpEnabled) state.dnsHandSet = DnsSetByHand(adapter.AdapterName);
    for (const IP_ADAPTER_UNICAST_ADDRESS_LH* u = adapter.FirstUnicastAddress; u; u = u->Next) {
        if (u->Length < offsetof(IP_ADAPTER_UNICAST_ADDRESS_LH, OnLinkPrefixLength) + sizeof u->OnLinkPrefixLength)
            return Failed(Status::Because(Status::Reason::Incomplete));
        if (const std::optional<Ipv4> address = Ipv4Of(u->Address))
            state.addresses.push_back(
                {*address, u->OnLinkPrefixLength, StateOf(u->DadState), u->PrefixOrigin == IpPrefixOriginManual});
    }
    state.mac.assign(adapter.PhysicalAddress, adapter.PhysicalAddress + std::min<ULONG>(adapter.PhysicalAddressLength,
                                                                                        MAX_ADAPTER_ADDRESS_LENGTH));
    state.gateways = Ipv4List(adapter.FirstGatewayAddress);
    state.dnsServers = Ipv4List(adapter.FirstDnsServerAddress);
    return read;
}

// Every adapter; Windows' stored choice of DHCP only for the one named `storedFor`, whether the DNS
// list is set by hand for every one with `dnsByHand`.
AdapterList ListNow(const IpHelper& api, const std::wstring& storedFor, bool dnsByHand) {
    if (!api.getAdaptersAddresses)
        return {false, {}, Status::Error(win32::ErrorText(api.loadError ? api.loadError : ERROR_PROC_NOT_FOUND))};
    // Microsoft's advice: 15 KB is enough for most computers; a larger answer says its size.
    ULONG size = 15 * 1024;
    std::vector<ULONGLONG> buffer;  // aligned for the structures
    ULONG listed = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && listed == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(size / sizeof(ULONGLONG) + 1, 0);
        size = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
        listed = api.getAdaptersAddresses(AF_INET, kListFlags, nullptr,
                                          reinterpret_cast<PIP_ADAPTER_ADDRESSES_LH>(buffer.data()), &size);
    }
    if (listed == ERROR_NO_DATA) return {true, {}, {}};
    if (listed != NO_ERROR) return {false, {}, Status::Error(win32::ErrorText(listed))};
    AdapterList list{true, {}, {}};
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES_LH*>(buffer.data()); adapter;
         adapter = adapter->Next) {
        if (!adapter->FriendlyName) continue;
        AdapterRead read = StateOf(api, *adapter, {storedFor == adapter->FriendlyName, dnsByHand});
        if (read.outcome != AdapterRead::Outcome::Read) return {false, {}, read.error};
        list.adapters.push_back({adapter->FriendlyName, std::move(read.state)});
    }
    return list;
}

// IPAddr and the socket addresses hold an address in network byte order: byte by byte, as Ipv4Of reads it.
void PutNetworkOrder(Ipv4 address, void* to) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(address >> 24),
                                    static_cast<unsigned char>(address >> 16), static_cast<unsigned char>(address >> 8),
                                    static_cast<unsigned char>(address)};
    std::memcpy(to, bytes, sizeof bytes);
}

MIB_IPNET_ROW2 NeighbourRow(Ipv4 target, unsigned long interfaceIndex) {
    MIB_IPNET_ROW2 row{};
    row.Address.si_family = AF_INET;
    PutNetworkOrder(target, &row.Address.Ipv4.sin_addr);
    row.InterfaceIndex = interfaceIndex;
    return row;
}

ArpReply Replied(ArpReply::Outcome outcome, const unsigned char* mac) {
    ArpReply reply{outcome, {}};
    std::memcpy(reply.mac.data(), mac, reply.mac.size());
    return reply;
}

// Asked afresh: ResolveIpNetEntry2 flushes the cached entry and asks the wire from the source
// address's interface (Microsoft's documentation). Nothing where it is missing or refused: whether
// a program without rights may flush the cache is not documented, so ERROR_ACCESS_DENIED falls back.
std::optional<ArpReply> AskAfresh(const NeighbourCalls& calls, Ipv4 target, Ipv4 source, unsigned long index) {
    if (!calls.resolveIpNetEntry2) return std::nullopt;
    MIB_IPNET_ROW2 row = NeighbourRow(target, index);
    SOCKADDR_INET from{};
    from.si_family = AF_INET;
    PutNetworkOrder(source, &from.Ipv4.sin_addr);
    const DWORD answer = calls.resolveIpNetEntry2(&row, &from);
    if (answer == ERROR_BAD_NET_NAME) return ArpReply{ArpReply::Outcome::NoReply, {}};
    if (answer != NO_ERROR || row.PhysicalAddressLength < 6) return std::nullopt;
    return Replied(ArpReply::Outcome::Replied, row.PhysicalAddress);
}

// SendARP answers from the ARP cache where it holds the address, else asks the wire; its entry
// is Reachable just after a reply, and Stale (or older) where only the cache spoke.
ArpReply AskCache(const NeighbourCalls& calls, Ipv4 target, Ipv4 source, unsigned long index) {
    if (!calls.sendArp) return {};
    IPAddr to = 0, from = 0;
    PutNetworkOrder(target, &to);
    PutNetworkOrder(source, &from);
    ULONG mac[2] = {};
    ULONG length = sizeof mac;
    const DWORD answer = calls.sendArp(to, from, mac, &length);
    // ERROR_BAD_NET_NAME: no reply, as documented for Vista and later; anything else (Wine's stub
    // answers ERROR_NOT_SUPPORTED) tells nothing about the address.
    if (answer == ERROR_BAD_NET_NAME) return {ArpReply::Outcome::NoReply, {}};
    if (answer != NO_ERROR || length < 6) return {};
    MIB_IPNET_ROW2 row = NeighbourRow(target, index);
    const bool stale = calls.getIpNetEntry2 && calls.getIpNetEntry2(&row) == NO_ERROR && row.State != NlnsReachable;
    return Replied(stale ? ArpReply::Outcome::Stale : ArpReply::Outcome::Replied,
                   reinterpret_cast<const unsigned char*>(mac));
}

ArpReply ProbeNow(const IpHelper& api, Ipv4 target, Ipv4 source, unsigned long index) {
    if (const std::optional<ArpReply> fresh = AskAfresh(api.neighbours, target, source, index)) return *fresh;
    return AskCache(api.neighbours, target, source, index);
}

Status Unfinished(bool open) { return Status::Because(open ? Status::Reason::Unfinished : Status::Reason::Closing); }

class SystemAdapterReader final : public AdapterReader {
public:
    SystemAdapterReader(win32::Wait wait, NeighbourCalls calls) : wait_(wait), calls_(calls) {}

    AdapterRead Read(std::wstring_view name, std::chrono::milliseconds bound) override {
        const AdapterList all = List(bound, std::wstring(name), false);
        if (!all.read) return Failed(all.error);
        for (const AdapterList::Named& adapter : all.adapters)
            if (adapter.name == name) return {AdapterRead::Outcome::Read, adapter.state, {}};
        return {AdapterRead::Outcome::NotFound, {}, {}};
    }

    AdapterList ReadAll(std::chrono::milliseconds bound) override { return List(bound, {}, true); }

    ArpReply Probe(Ipv4 target, Ipv4 source, unsigned long interfaceIndex, std::chrono::milliseconds bound) override {
        auto api = Api();
        auto result = std::make_shared<ArpReply>();  // unavailable, unless the probe ends
        bool open = true;
        const auto run = [api, result, target, source, interfaceIndex] {
            *result = ProbeNow(*api, target, source, interfaceIndex);
        };
        // A probe still running at the bound counts as no reply: nothing came in that time.
        if (!win32::RunOnItsThread(wait_, run, static_cast<DWORD>(bound.count()), open))
            return {open ? ArpReply::Outcome::NoReply : ArpReply::Outcome::Unavailable, {}};
        return *result;
    }

private:
    AdapterList List(std::chrono::milliseconds bound, std::wstring storedFor, bool dnsByHand) {
        auto api = Api();
        // What stays when the read throws: a failure, never an empty list.
        auto result =
            std::make_shared<AdapterList>(AdapterList{false, {}, Status::Because(Status::Reason::OutOfMemory)});
        bool open = true;
        const auto run = [api, result, storedFor = std::move(storedFor), dnsByHand] {
            *result = ListNow(*api, storedFor, dnsByHand);
        };
        if (!win32::RunOnItsThread(wait_, run, static_cast<DWORD>(bound.count()), open))
            return {false, {}, Unfinished(open)};
        return *result;
    }

    std::shared_ptr<const IpHelper> Api() {
        if (!api_) api_ = std::make_shared<const IpHelper>(calls_);
        return api_;
    }
    win32::Wait wait_;
    NeighbourCalls calls_;
    std::shared_ptr<const IpHelper> api_;
};

}  // namespace

std::unique_ptr<AdapterReader> MakeSystemAdapterReader(win32::Wait wait, NeighbourCalls calls) {
    return std::make_unique<SystemAdapterReader>(wait, calls);
}
