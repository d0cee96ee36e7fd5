#include "about/frmabout.h"
#include "app/frmmain.h"

#include <QDir>
#include <QLineEdit>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcShell, "zarvello.shell")

} // namespace

void FrmMain::explore_Click()
{
    // The user is not told: a drive that cannot be opened just stays closed.
    const QString folder = QDir::fromNativeSeparators(m_controls.lettre->text());
    if (!m_services.shell->explore(windowHandle(), folder))
        qCWarning(lcShell) << "the desktop did not open" << folder;
}

void FrmMain::about_Click()
{
    FrmAbout &dialog = m_forms->frmAbout();
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

bool FrmMain::OpenBrowser(const QString &address)
{
    QString target = address;
    if (!target.startsWith(QStringLiteral("http"), Qt::CaseInsensitive))
        target.prepend(QStringLiteral("http://"));
    const bool opened = m_services.shell->open(target);
    if (!opened)
        qCWarning(lcShell) << "the desktop did not open" << target;
    return opened;
}
