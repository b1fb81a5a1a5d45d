// DPI of windows and monitors, and the frame and message font for a DPI, on every Windows from 7
// SP1 on. The functions newer than Windows 7 are looked up at run time; each has a fallback of
// the Windows 7 era, which tests take through Windows7().
#pragma once
#include <windows.h>

#include "win32/unique_handle.h"

class DpiFunctions {
public:
    // What this Windows has: user32's from Windows 10 1607 on, shcore's from 8.1 on.
    [[nodiscard]] static DpiFunctions Lookup();
    // None of them, as on Windows 7.
    [[nodiscard]] static DpiFunctions Windows7();

    [[nodiscard]] UINT OfWindow(HWND window) const;
    [[nodiscard]] UINT OfMonitor(HMONITOR monitor) const;
    // The window rectangle around a client rectangle at `dpi`.
    [[nodiscard]] RECT Frame(RECT client, DWORD style, DWORD exStyle, UINT dpi) const;
    // The system's message font, sized for `dpi`; false when the system gives none.
    [[nodiscard]] bool MessageFont(UINT dpi, LOGFONTW& font) const;
    // At WM_NCCREATE: a per-monitor v1 process (Windows 10 1607) has its frame scaled with the
    // client only when it asks; v2 does it by itself.
    void ScaleFrameWithClient(HWND window) const;

private:
    using DpiContext = HANDLE;  // DPI_AWARENESS_CONTEXT, declared only for Windows 10 builds

    UINT(WINAPI* get_dpi_for_window_)(HWND) = nullptr;
    BOOL(WINAPI* adjust_window_rect_ex_for_dpi_)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* system_parameters_info_for_dpi_)(UINT, UINT, void*, UINT, UINT) = nullptr;
    BOOL(WINAPI* enable_non_client_dpi_scaling_)(HWND) = nullptr;
    DpiContext(WINAPI* get_thread_dpi_awareness_context_)() = nullptr;
    BOOL(WINAPI* are_dpi_awareness_contexts_equal_)(DpiContext, DpiContext) = nullptr;
    HRESULT(WINAPI* get_dpi_for_monitor_)(HMONITOR, int, UINT*, UINT*) = nullptr;
    win32::UniqueLibrary shcore_;
};

// The DPI the system runs at (what a Windows 7 window is drawn at), from the screen's device context.
[[nodiscard]] UINT SystemDpi();
