#pragma once

#include <QObject>

class PlaylistImport;

// A playlist file dropped anywhere on the window is imported, whatever the
// control under it does with other files.
class PlaylistFileDrops : public QObject
{
    Q_OBJECT
public:
    PlaylistFileDrops(QWidget &window, PlaylistImport &import);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    PlaylistImport &m_import;
};
