#include "about/frmabout.h"
#include "app/frmmain.h"

#include <QDir>
#include <QLineEdit>

void FrmMain::explore_Click()
{
    // The shell's answer is not reported: a drive that cannot be opened just stays closed.
    m_services.shell->explore(windowHandle(),
                              QDir::fromNativeSeparators(m_controls.lettre->text()));
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
