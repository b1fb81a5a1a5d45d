// The real adapter reader: the IP Helper API, loaded from the system folder at the first read
// (the exe imports nothing newer than Windows 7 needs, and start-up loads nothing for it), asked
// on a thread of its own while the window keeps painting.
#pragma once
#include <memory>

#include "adapter_reader.h"
#include "win32/wait.h"

// `wait`: how a read or a probe is awaited.
[[nodiscard]] std::unique_ptr<AdapterReader> MakeSystemAdapterReader(win32::Wait wait = win32::PlainWait);
