#include "platform/requestgate.h"
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
// The instance's answers to a URI: taken, or refused for good.
constexpr LRESULT taken = TRUE;
constexpr LRESULT refusedAnswer = 2;
// No URI the instance takes is longer, in bytes of UTF-16.
constexpr DWORD uriBytesLimit = 3 * 32767 * sizeof(wchar_t);

std::wstring windowClass(const QString &id)
{
    return (id + u".Session"_s).toStdWString();
}

LRESULT CALLBACK receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
    if (message != WM_COPYDATA || !data || data->dwData != uriData)
        return DefWindowProcW(window, message, wParam, lParam);
    // The size is checked before a byte is read: a sender may claim any.
    if (data->cbData > uriBytesLimit || data->cbData % sizeof(wchar_t) != 0 ||
        (data->cbData != 0 && !data->lpData))
        return refusedAnswer;
    const QString uri = QString::fromWCharArray(static_cast<const wchar_t *>(data->lpData),
                                                qsizetype(data->cbData / sizeof(wchar_t)));
    if (!uri.isEmpty() && !SessionInstance::refusal({uri}).isEmpty())
        return refusedAnswer;
    // The later start has its answer at once: it does not wait on the window.
    auto *gate = reinterpret_cast<RequestGate *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    gate->take(uri, {});
    return taken;
}

} // namespace

struct SessionInstance::Listener
{
    explicit Listener(SessionInstance &instance)
        : gate([&instance](const QString &uri, const QVariantMap &) {
              QMetaObject::invokeMethod(
                  &instance, [&instance, uri] { Q_EMIT instance.requested(uri); },
                  Qt::QueuedConnection);
          })
    {}
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
    // What the window lets through to the program.
    RequestGate gate;
};

SessionInstance::SessionInstance(const QString &id) : m_id(id) {}

SessionInstance::~SessionInstance() = default;

bool SessionInstance::handOver(const QString &uri)
{
    auto listener = std::make_unique<Listener>(*this);
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
        SetWindowLongPtrW(listener->window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(&listener->gate));
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
            DWORD_PTR answer = FALSE;
            if (!SendMessageTimeoutW(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                     SMTO_ABORTIFHUNG, answerTimeoutMs, &answer))
                return false;
            if (LRESULT(answer) == refusedAnswer)
                m_refused = u"The address is not a folder of this computer"_s;
            return LRESULT(answer) == taken || LRESULT(answer) == refusedAnswer;
        }
        Sleep(retryMs);
    }
    return false;
}

} // namespace platform
