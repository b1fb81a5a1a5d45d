// What reading the adapter back costs, as the window does it after the commands: the first read
// (it loads iphlpapi.dll) and the reads after it, each on a thread of its own, with the comparison.
// When the adapter matches at the first read, that is all that stands between the last command's
// end and the box. Then the look before a change: every adapter read, the snapshot taken, the
// check and the restore lines made (the ARP probes are not run: nothing is sent onto a network).
// Usage: readback_bench [adapter name, "lo" under Wine] [reads]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "netconfig/adapter_reader_win32.h"
#include "netconfig/address_commands.h"
#include "netconfig/read_back.h"
#include "netconfig/way_back.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring name = argc > 1 ? argv[1] : L"lo";
    const int reads = argc > 2 ? std::max(2, _wtoi(argv[2])) : 200;
    const auto reader = MakeSystemAdapterReader();
    std::vector<double> ms;
    for (int i = 0; i < reads; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const AdapterRead read = reader->Read(name, std::chrono::seconds(10));
        if (read.outcome != AdapterRead::Outcome::Read) {
            std::fprintf(stderr, "no adapter of that name could be read\n");
            return 1;
        }
        const UnicastAddress first = read.state.addresses.empty() ? UnicastAddress{} : read.state.addresses[0];
        const AddressFields asked{Ipv4Text(first.address), Ipv4Text(MaskOf(first.prefixLength)), L"", L"", L""};
        const ReadBack readBack = CompareStatic(asked, read);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (readBack.final) return 1;
    }
    std::sort(ms.begin() + 1, ms.end());
    const auto at = [&](const std::vector<double>& of, double share) {
        return of[1 + static_cast<size_t>(share * static_cast<double>(of.size() - 2))];
    };
    std::printf("first read %.2f ms; then %d reads: median %.2f ms, 90%% %.2f ms, max %.2f ms\n", ms[0], reads - 1,
                at(ms, 0.5), at(ms, 0.9), ms.back());

    std::vector<double> before;
    for (int i = 0; i < reads; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const AdapterList all = reader->ReadAll(std::chrono::seconds(10));
        const std::optional<Snapshot> snapshot = TakeSnapshot(all, name);
        const AddressFields asked{L"198.18.7.9", L"255.255.0.0", L"198.18.0.1", L"", L""};  // a test range
        const BeforeStatic check = CheckBeforeStatic(asked, all, name);
        const size_t lines = snapshot ? RestoreCommandLines(*snapshot).size() : 0;
        before.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!all.read || !snapshot || lines == 0 || check.kind == BeforeStatic::Kind::TakenByOtherAdapter) return 1;
    }
    std::sort(before.begin(), before.end());
    std::printf("look before a change (every adapter, snapshot, check, restore lines): median %.2f ms, max %.2f ms\n",
                at(before, 0.5), before.back());
    return 0;
}
