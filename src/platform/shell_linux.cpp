#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopShell final : public Shell
{
public:
    bool explore(QWindow *, const QString &folder) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
    bool open(const QString &address) override { return QDesktopServices::openUrl(QUrl(address)); }
};

} // namespace

std::unique_ptr<Shell> Shell::create()
{
    return std::make_unique<DesktopShell>();
}
