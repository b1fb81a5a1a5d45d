// The real adapter reader under Wine: it parses what the IP Helper API answers. What it reads is
// compared by the read-back's own tests, through a fake.
#include "netconfig/adapter_reader_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "win32/message_pump.h"

namespace {

// The IP Helper answers for this machine's own loopback ("lo" under Wine, which takes the
// names from Linux) come apart into the snapshot without a fault, every read on its own thread.
TEST(SystemAdapterReader, ReadsTheLoopbackAndMissesANameNoAdapterHas) {
    const auto reader = MakeSystemAdapterReader(win32::WaitKeepingWindowsPainted);
    EXPECT_EQ(reader->Read(L"没有这个网卡", std::chrono::seconds(10)).outcome, AdapterRead::Outcome::NotFound);
    AdapterRead loopback = reader->Read(L"lo", std::chrono::seconds(10));
    if (loopback.outcome == AdapterRead::Outcome::NotFound)
        loopback = reader->Read(L"Loopback Pseudo-Interface 1", std::chrono::seconds(10));
    ASSERT_EQ(loopback.outcome, AdapterRead::Outcome::Read)
        << std::string(loopback.error.detail().begin(), loopback.error.detail().end());
    ASSERT_EQ(loopback.state.addresses.size(), 1u);
    EXPECT_EQ(Ipv4Text(loopback.state.addresses[0].address), L"127.0.0.1");
    EXPECT_EQ(loopback.state.addresses[0].prefixLength, 8u);
    EXPECT_EQ(loopback.state.addresses[0].state, AddressState::Preferred);
    EXPECT_TRUE(loopback.state.connected);
    EXPECT_TRUE(loopback.state.gateways.empty());
}

// Who has an address, asked through stand-ins for the system's calls (nothing goes onto a
// network): afresh where ResolveIpNetEntry2 is there and allowed, else from SendARP, whose cached
// entry GetIpNetEntry2 tells from one just confirmed.
struct Neighbour {
    static inline DWORD resolved = NO_ERROR, sent = NO_ERROR;
    static inline NL_NEIGHBOR_STATE state = NlnsReachable;
    static DWORD WINAPI Resolve(PMIB_IPNET_ROW2 row, const SOCKADDR_INET* source) {
        const bool asked = row->InterfaceIndex == 7 && row->Address.Ipv4.sin_addr.S_un.S_un_b.s_b4 == 20 && source &&
                           source->Ipv4.sin_addr.S_un.S_un_b.s_b4 == 10;
        row->PhysicalAddressLength = 6;
        std::fill_n(row->PhysicalAddress, 6, 0xAB);
        return asked ? resolved : ERROR_INVALID_PARAMETER;
    }
    static DWORD WINAPI Send(IPAddr, IPAddr, PVOID mac, PULONG length) {
        std::fill_n(static_cast<unsigned char*>(mac), 6, 0xCD);
        *length = 6;
        return sent;
    }
    static DWORD WINAPI Entry(PMIB_IPNET_ROW2 row) {
        row->State = state;
        return row->InterfaceIndex == 7 ? NO_ERROR : ERROR_NOT_FOUND;
    }
};

TEST(SystemAdapterReader, AsksAfreshWhereItMayElseTellsACachedEntryFromAFreshReply) {
    using Outcome = ArpReply::Outcome;
    const auto missing = nullptr;
    struct Case {
        bool resolveThere;
        DWORD resolved, sent;
        NL_NEIGHBOR_STATE state;
        Outcome outcome;
        unsigned char mac;
    };
    const Case cases[] = {
        {true, NO_ERROR, ERROR_GEN_FAILURE, NlnsStale, Outcome::Replied, 0xAB},    // a device there now
        {true, ERROR_BAD_NET_NAME, NO_ERROR, NlnsReachable, Outcome::NoReply, 0},  // none, whatever the cache says
        {true, ERROR_ACCESS_DENIED, NO_ERROR, NlnsStale, Outcome::Stale, 0xCD},    // refused: the cache, stale
        {false, NO_ERROR, NO_ERROR, NlnsReachable, Outcome::Replied, 0xCD},        // missing: SendARP, confirmed
        {false, NO_ERROR, ERROR_BAD_NET_NAME, NlnsStale, Outcome::NoReply, 0},
        {false, NO_ERROR, ERROR_NOT_SUPPORTED, NlnsReachable, Outcome::Unavailable, 0},  // Wine's SendARP
    };
    for (const Case& c : cases) {
        Neighbour::resolved = c.resolved;
        Neighbour::sent = c.sent;
        Neighbour::state = c.state;
        const NeighbourCalls calls{true, c.resolveThere ? Neighbour::Resolve : missing, Neighbour::Send,
                                   Neighbour::Entry};
        const auto reader = MakeSystemAdapterReader(win32::WaitKeepingWindowsPainted, calls);
        const ArpReply reply = reader->Probe(0xC0A80114, 0xC0A8010A, 7, std::chrono::seconds(4));  // .20 from .10
        EXPECT_EQ(reply.outcome, c.outcome) << c.resolved << " " << c.sent;
        if (c.mac) {
            EXPECT_EQ(reply.mac[5], c.mac);
        }
    }
}

}  // namespace
