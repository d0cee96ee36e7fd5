#pragma once

#include <QObject>

class FrmMain;

// Opening a saved playlist from the playlist list and saving the current one
// under the name in the name box; a refused name brings up the name error
// dialog.
class PlaylistFiles : public QObject
{
    Q_OBJECT
public:
    explicit PlaylistFiles(FrmMain &main);

    void File2_Click();
    void save_Click();

private:
    void refuseName();

    FrmMain &m_main;
};
