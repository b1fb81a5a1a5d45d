// Move-only owners for Win32 handles; the close policy is a traits type.
#pragma once
#include <windows.h>

#include <utility>

namespace win32 {

template <class Traits>
class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() noexcept = default;
    explicit Unique(Handle h) noexcept : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : h_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }

    [[nodiscard]] Handle get() const noexcept { return h_; }
    [[nodiscard]] explicit operator bool() const noexcept { return h_ != Traits::Invalid(); }
    [[nodiscard]] Handle release() noexcept { return std::exchange(h_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) noexcept {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }

private:
    Handle h_ = Traits::Invalid();
};

struct HandleTraits {  // kernel objects whose "none" is NULL
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct FileTraits {  // the "none" of CreateFileW, CreateNamedPipeW and CreateToolhelp32Snapshot: INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
struct FontTraits {
    using Handle = HFONT;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyWindow(h); }
};

struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyMenu(h); }
};
struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};
struct LocalTraits {  // what the system allocated for us with LocalAlloc (SDDL, SID texts, messages)
    using Handle = HLOCAL;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::LocalFree(h); }
};
struct KeyTraits {
    using Handle = HKEY;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};
// COM initialised on this thread: the handle is CoUninitialize itself, looked up in ole32 at run
// time (the exe does not import it), and called once when the owner goes.
struct CoUninitializeTraits {
    using Handle = void(WINAPI*)();
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle uninitialize) noexcept { uninitialize(); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFile = Unique<FileTraits>;
using UniqueFont = Unique<FontTraits>;
using UniqueWindow = Unique<WindowTraits>;
using UniqueLibrary = Unique<LibraryTraits>;
using UniqueMenu = Unique<MenuTraits>;
using UniqueLocal = Unique<LocalTraits>;
using UniqueKey = Unique<KeyTraits>;
using UniqueCoUninitialize = Unique<CoUninitializeTraits>;

// The two handles CreateProcessW returns.
struct ProcessInfo {
    UniqueHandle process;
    UniqueHandle thread;
};

}  // namespace win32
