#include "platform/taskbar.h"

#include <QWindow>
#include <windows.h>

namespace platform {

void keepOffTaskbar(QWindow &window)
{
    // A window owned by another gets no taskbar button: the owner is a
    // window that is never shown, made once.
    static const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                              GetModuleHandleW(nullptr), nullptr);
    const HWND handle = reinterpret_cast<HWND>(window.winId());
    SetWindowLongPtrW(handle, GWL_EXSTYLE,
                      GetWindowLongPtrW(handle, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_APPWINDOW));
    SetWindowLongPtrW(handle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

} // namespace platform
