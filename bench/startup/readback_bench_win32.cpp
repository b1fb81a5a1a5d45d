// What reading the adapter back costs, as the window does it after the commands: the first read
// (it loads iphlpapi.dll) and the reads after it, each on a thread of its own, with the comparison.
// When the adapter matches at the first read, that is all that stands between the last command's
// end and the box. Usage: readback_bench [adapter name, "lo" under Wine] [reads]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "netconfig/adapter_reader_win32.h"
#include "netconfig/read_back.h"

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
    const auto at = [&](double share) {
        return ms[1 + static_cast<size_t>(share * static_cast<double>(ms.size() - 2))];
    };
    std::printf("first read %.2f ms; then %d reads: median %.2f ms, 90%% %.2f ms, max %.2f ms\n", ms[0], reads - 1,
                at(0.5), at(0.9), ms.back());
    return 0;
}
