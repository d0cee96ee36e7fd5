#pragma once

#include <functional>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QWidget>

class FrmMain;
class FrmAbout;
class FileBrowse;
class TypingError;

// The loaded windows. The About dialog, the advanced media browser and the
// name error dialog are single windows: the first touch creates one hidden and
// runs its Form_Load; closing it discards it, and the next touch starts afresh
// from a new one.
class Forms : public QObject
{
    Q_OBJECT
public:
    explicit Forms(FrmMain &main);
    ~Forms() override;

    // The program's icon, the About dialog's, without loading the dialog.
    const QIcon &programIcon();

    FrmAbout &frmAbout();
    FileBrowse &filebrowse();
    TypingError &typingerror();

    // The browser if it is loaded, without loading it.
    FileBrowse *loadedBrowser() const;

    // The main window and every loaded secondary window, in load order.
    QList<QWidget *> loaded() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    template <class Window>
    Window &touch(QPointer<Window> &slot, const std::function<Window *()> &make);

    FrmMain &m_main;
    QIcon m_icon;
    QPointer<FrmAbout> m_about;
    QPointer<FileBrowse> m_browser;
    QPointer<TypingError> m_typingError;
    QList<QPointer<QWidget>> m_secondary;
};
