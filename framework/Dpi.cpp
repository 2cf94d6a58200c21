#include "framework/Dpi.h"

#include "framework/Handles.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);

constexpr int kEffectiveDpi = 0;          // MDT_EFFECTIVE_DPI
constexpr int kDialogScalingAll = 0x0001;  // DDC_DISABLE_ALL

template <typename Function>
Function Lookup(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

HMODULE User32()
{
    return GetModuleHandleW(L"user32.dll");
}

}  // namespace

namespace dpi {

int Scale(int value, UINT dpi)
{
    return Rescale(value, kBase, dpi);
}

int Rescale(int value, UINT from, UINT to)
{
    if (from == 0 || to == 0 || from == to)
        return value;
    return MulDiv(value, static_cast<int>(to), static_cast<int>(from));
}

UINT OfSystem()
{
    WindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kBase;
}

UINT OfWindow(HWND window)
{
    static const auto getDpiForWindow = Lookup<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi ? dpi : OfSystem();
}

UINT OfMonitorAt(POINT point)
{
    // Loaded once and kept for the life of the process, like the system's own DLLs.
    static const auto getDpiForMonitor = Lookup<GetDpiForMonitorFn>(
        LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    if (getDpiForMonitor &&
        SUCCEEDED(getDpiForMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) && x)
        return x;
    return OfSystem();
}

void TakeOverDialogScaling(HWND dialog)
{
    static const auto setBehavior = Lookup<SetDialogDpiChangeBehaviorFn>(User32(), "SetDialogDpiChangeBehavior");
    if (setBehavior)
        setBehavior(dialog, kDialogScalingAll, kDialogScalingAll);
}

}  // namespace dpi
