#include "worker_thread.h"

#include <memory>

#include "unique_handle.h"

namespace win32 {

namespace {

constexpr DWORD kPaintSlice = 50;

// Nothing may leave a thread's function: std::terminate would end the program.
DWORD WINAPI RunWork(LPVOID parameter) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    try {
        (*work)();
    } catch (...) {}
    return 0;
}

}  // namespace

bool RunOnItsThread(Wait wait, std::function<void()> work, DWORD milliseconds, bool& open) {
    auto parameter = std::make_unique<std::function<void()>>(std::move(work));
    const UniqueHandle thread(::CreateThread(nullptr, 0, RunWork, parameter.get(), 0, nullptr));
    open = true;
    if (!thread) {
        (void)RunWork(parameter.release());
        return true;
    }
    (void)parameter.release();  // the thread's now
    bool ended = false;
    open = wait(thread.get(), milliseconds, kPaintSlice,
                [&] { return ended = ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; });
    return ended;
}

}  // namespace win32
