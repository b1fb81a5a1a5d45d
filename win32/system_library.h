// A function of a system DLL, loaded from System32 only. DLLs that are not "known DLLs" (such as
// shcore and uxtheme) would be looked for in the program folder first if the exe imported them,
// before any code of ours could restrict the search.
#pragma once
#include <windows.h>

#include "unique_handle.h"

namespace win32 {

template <typename Function>
class SystemFunction {
public:
    SystemFunction(const wchar_t* dll, const char* name)
        : library_(::LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)),
          function_(library_ ? reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(library_.get(), name)))
                             : nullptr) {}

    [[nodiscard]] explicit operator bool() const { return function_ != nullptr; }
    template <typename... Args>
    auto operator()(Args... args) const {
        return function_(args...);
    }

private:
    UniqueLibrary library_;
    Function* function_;
};

}  // namespace win32
