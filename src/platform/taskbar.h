#pragma once

class QWindow;

namespace platform {

// Keeps a top-level window out of the desktop's taskbar and window lists,
// as a fixed dialog frame is. Call it once the window exists natively and
// before it is first shown. Where the desktop offers no way (Wayland), the
// window stays listed.
void keepOffTaskbar(QWindow &window);

} // namespace platform
