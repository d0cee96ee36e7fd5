#include "about/frmabout.h"
#include "app/frmmain.h"
#include "core/texts.h"

#include <QDir>
#include <QLineEdit>

void FrmMain::explore_Click()
{
    // Only a desktop without any file manager is reported: what a file manager
    // makes of the drive is its own business.
    const QString root = QDir::fromNativeSeparators(m_controls.lettre->text());
    if (!m_services.shell->explore(windowHandle(), root))
        warn(texts::noFileManager, QDir::toNativeSeparators(root));
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
    return m_services.shell->open(target);
}
