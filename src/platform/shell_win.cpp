#include "platform/shell.h"

#include <QDir>
#include <QWindow>
#include <windows.h>
// shellapi.h uses the types and macros of windows.h without including it.
#include <shellapi.h>

namespace {

// ShellExecute returns a value above 32 when the shell accepted the request.
bool shellExecute(HWND owner, const wchar_t *verb, const QString &target)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, verb, reinterpret_cast<const wchar_t *>(target.utf16()), nullptr,
                      nullptr, SW_SHOWNORMAL));
    return result > 32;
}

class WindowsShell final : public Shell
{
public:
    bool explore(QWindow *owner, const QString &folder) override
    {
        const HWND hwnd = owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
        return shellExecute(hwnd, L"explore", QDir::toNativeSeparators(folder));
    }
    bool open(const QString &address) override { return shellExecute(nullptr, L"open", address); }
};

} // namespace

std::unique_ptr<Shell> Shell::create()
{
    return std::make_unique<WindowsShell>();
}
