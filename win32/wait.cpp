#include "wait.h"

#include <algorithm>

namespace win32 {

bool PlainWait(HANDLE object, DWORD milliseconds, DWORD slice, const std::function<bool()>& done) {
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    for (ULONGLONG now = ::GetTickCount64(); !done() && now < deadline; now = ::GetTickCount64()) {
        const DWORD left = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, slice));
        if (object)
            (void)::WaitForSingleObject(object, left);
        else
            ::Sleep(left);
    }
    return true;
}

}  // namespace win32
