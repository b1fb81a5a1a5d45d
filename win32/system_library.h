// Functions looked up at run time: those newer than Windows 7 SP1, which the exe must not
// import (the loader would refuse to start it there), and those of system DLLs that are not
// "known DLLs" (such as shcore and uxtheme), which an import would let a copy planted in the
// program folder stand in for.
#pragma once
#include <windows.h>

#include <string>

#include "system_text.h"
#include "unique_handle.h"

namespace win32 {

// The function `name` of `module`, or null (also for a null module).
template <typename Function>
[[nodiscard]] Function* FunctionOf(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// The function `name` of a module already loaded (kernel32, user32), or null.
template <typename Function>
[[nodiscard]] Function* LoadedFunction(const wchar_t* module, const char* name) {
    return FunctionOf<Function>(::GetModuleHandleW(module), name);
}

// A DLL loaded by its full path in the system folder. LOAD_LIBRARY_SEARCH_SYSTEM32 would fail
// on a Windows 7 without KB2533623; the altered search path looks for the DLL's own imports
// beside it, not in the program folder.
[[nodiscard]] inline UniqueLibrary LoadSystemLibrary(const wchar_t* dll) {
    const std::wstring path = SystemFolder() + L"\\" + dll;
    return UniqueLibrary(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

// A function of a system DLL that stays loaded as long as this object lives.
template <typename Function>
class SystemFunction {
public:
    SystemFunction(const wchar_t* dll, const char* name)
        : library_(LoadSystemLibrary(dll)), function_(FunctionOf<Function>(library_.get(), name)) {}

    [[nodiscard]] explicit operator bool() const { return function_ != nullptr; }
    [[nodiscard]] Function* get() const { return function_; }
    template <typename... Args>
    auto operator()(Args... args) const {
        return function_(args...);
    }

private:
    UniqueLibrary library_;
    Function* function_;
};

}  // namespace win32
