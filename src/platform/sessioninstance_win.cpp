#include "platform/sessioninstance.h"

#include <string>
#include <windows.h>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// What a later start's WM_COPYDATA carries: the URI, in UTF-16.
constexpr ULONG_PTR uriData = 0x5a52;
// The instance makes its window a moment after its mutex: a later start looks
// for it a few times. A busy instance may take a while to answer.
constexpr int attempts = 20;
constexpr DWORD retryMs = 100;
constexpr UINT answerTimeoutMs = 25000;

std::wstring windowClass(const QString &id)
{
    return (id + u".Session"_s).toStdWString();
}

LRESULT CALLBACK receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
    if (message != WM_COPYDATA || data->dwData != uriData)
        return DefWindowProcW(window, message, wParam, lParam);
    auto *instance = reinterpret_cast<SessionInstance *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const QString uri = QString::fromWCharArray(static_cast<const wchar_t *>(data->lpData),
                                                qsizetype(data->cbData / sizeof(wchar_t)));
    // Once the later start has its answer: it does not wait on the window.
    QMetaObject::invokeMethod(
        instance, [instance, uri] { Q_EMIT instance->requested(uri); }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

struct SessionInstance::Listener
{
    ~Listener()
    {
        if (window)
            DestroyWindow(window);
        if (running)
            CloseHandle(running);
    }
    // Held while the instance runs, and let go by the system should it crash.
    HANDLE running = nullptr;
    // Where later starts send their URI: a message-only window.
    HWND window = nullptr;
};

SessionInstance::SessionInstance(const QString &id) : m_id(id) {}

SessionInstance::~SessionInstance() = default;

bool SessionInstance::handOver(const QString &uri)
{
    auto listener = std::make_unique<Listener>();
    const std::wstring name = windowClass(m_id);
    const std::wstring mutexName = (u"Local\\"_s + m_id).toStdWString();
    // Named in the user's session: of starts that overlap, one alone makes it.
    listener->running = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    if (!listener->running)
        return false;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        WNDCLASSW type{};
        type.lpfnWndProc = receive;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = name.c_str();
        RegisterClassW(&type);
        listener->window = CreateWindowExW(0, name.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                           nullptr, type.hInstance, nullptr);
        SetWindowLongPtrW(listener->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_listener = std::move(listener);
        return false;
    }
    COPYDATASTRUCT data{uriData, DWORD(uri.size() * sizeof(wchar_t)),
                        const_cast<QChar *>(uri.constData())};
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (const HWND instance = FindWindowExW(HWND_MESSAGE, nullptr, name.c_str(), nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(instance, &process);
            // The user just started this one: its window may come to the front.
            AllowSetForegroundWindow(process);
            DWORD_PTR taken = FALSE;
            return SendMessageTimeoutW(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                       SMTO_ABORTIFHUNG, answerTimeoutMs, &taken) &&
                   taken == TRUE;
        }
        Sleep(retryMs);
    }
    return false;
}

} // namespace platform
