// The real adapter reader: the IP Helper API, loaded from the system folder at the first read
// (the exe imports nothing newer than Windows 7 needs, and start-up loads nothing for it), asked
// on a thread of its own while the window keeps painting.
#pragma once
// winsock2.h before windows.h; ws2tcpip.h before iphlpapi.h, or netioapi.h leaves out MIB_IF_ROW2.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <memory>

#include "adapter_reader.h"
#include "win32/wait.h"

// Who has an address, asked of the system: the calls a test stands in for (no test sends anything
// onto a network), looked up in iphlpapi.dll unless `given` (then a null one is missing).
// ResolveIpNetEntry2 (Vista and later; not in Wine) flushes the cached entry and asks the wire;
// SendARP answers from the cache where it can; GetIpNetEntry2 then says whether that entry was just
// confirmed.
struct NeighbourCalls {
    bool given = false;
    DWORD(WINAPI* resolveIpNetEntry2)(PMIB_IPNET_ROW2 row, const SOCKADDR_INET* source) = nullptr;
    DWORD(WINAPI* sendArp)(IPAddr target, IPAddr source, PVOID mac, PULONG length) = nullptr;
    DWORD(WINAPI* getIpNetEntry2)(PMIB_IPNET_ROW2 row) = nullptr;
};

// `wait`: how a read or a probe is awaited.
[[nodiscard]] std::unique_ptr<AdapterReader> MakeSystemAdapterReader(win32::Wait wait = win32::PlainWait,
                                                                     NeighbourCalls calls = {});
