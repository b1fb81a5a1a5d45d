// The real adapter reader under Wine: it parses what the IP Helper API answers. What it reads is
// compared by the read-back's own tests, through a fake.
#include "netconfig/adapter_reader_win32.h"

#include <gtest/gtest.h>

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

}  // namespace
