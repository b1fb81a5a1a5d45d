#include "dpi_win32.h"

#include "form_layout.h"
#include "win32/system_library.h"

namespace {

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, a pseudo-handle (winuser.h, Windows 10 1703)
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

}  // namespace

UINT SystemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

DpiFunctions DpiFunctions::Lookup() {
    DpiFunctions f;
    using win32::FunctionOf;
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    f.get_dpi_for_window_ = FunctionOf<UINT WINAPI(HWND)>(user32, "GetDpiForWindow");
    f.adjust_window_rect_ex_for_dpi_ =
        FunctionOf<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>(user32, "AdjustWindowRectExForDpi");
    f.system_parameters_info_for_dpi_ =
        FunctionOf<BOOL WINAPI(UINT, UINT, void*, UINT, UINT)>(user32, "SystemParametersInfoForDpi");
    f.enable_non_client_dpi_scaling_ = FunctionOf<BOOL WINAPI(HWND)>(user32, "EnableNonClientDpiScaling");
    f.get_thread_dpi_awareness_context_ = FunctionOf<DpiContext WINAPI()>(user32, "GetThreadDpiAwarenessContext");
    f.are_dpi_awareness_contexts_equal_ =
        FunctionOf<BOOL WINAPI(DpiContext, DpiContext)>(user32, "AreDpiAwarenessContextsEqual");
    f.shcore_ = win32::LoadSystemLibrary(L"shcore.dll");
    f.get_dpi_for_monitor_ =
        FunctionOf<HRESULT WINAPI(HMONITOR, int, UINT*, UINT*)>(f.shcore_.get(), "GetDpiForMonitor");
    return f;
}

DpiFunctions DpiFunctions::Windows7() { return DpiFunctions(); }

UINT DpiFunctions::OfWindow(HWND window) const {
    if (get_dpi_for_window_) {
        const UINT dpi = get_dpi_for_window_(window);
        if (dpi != 0) return dpi;
    }
    // Windows 8.1 has no GetDpiForWindow; its per-monitor DPI comes from the window's monitor.
    return OfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

UINT DpiFunctions::OfMonitor(HMONITOR monitor) const {
    UINT x = 0, y = 0;
    if (get_dpi_for_monitor_ && SUCCEEDED(get_dpi_for_monitor_(monitor, kEffectiveDpi, &x, &y)) && y != 0) return y;
    return SystemDpi();  // never a fixed 96: at 125 % the frame and the controls would disagree
}

RECT DpiFunctions::Frame(RECT client, DWORD style, DWORD exStyle, UINT dpi) const {
    // Without the ...ForDpi version the frame is the system DPI's, which is also what a window
    // that does not scale its frame gets (Windows 7, 8.1).
    if (!adjust_window_rect_ex_for_dpi_ || !adjust_window_rect_ex_for_dpi_(&client, style, FALSE, exStyle, dpi))
        ::AdjustWindowRectEx(&client, style, FALSE, exStyle);
    return client;
}

bool DpiFunctions::MessageFont(UINT dpi, LOGFONTW& font) const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (system_parameters_info_for_dpi_ &&
        system_parameters_info_for_dpi_(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        font = metrics.lfMessageFont;
        return true;
    }
    // The system's metrics are for the system DPI: scale the height to the window's.
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    font = metrics.lfMessageFont;
    font.lfHeight = ScaleToDpi(font.lfHeight, static_cast<int>(SystemDpi()), static_cast<int>(dpi));
    return true;
}

void DpiFunctions::ScaleFrameWithClient(HWND window) const {
    if (!enable_non_client_dpi_scaling_) return;
    const bool v2 = get_thread_dpi_awareness_context_ && are_dpi_awareness_contexts_equal_ &&
                    are_dpi_awareness_contexts_equal_(get_thread_dpi_awareness_context_(), kPerMonitorV2);
    if (!v2) enable_non_client_dpi_scaling_(window);
}
