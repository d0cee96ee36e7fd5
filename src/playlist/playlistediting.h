#pragma once

#include <QObject>

class FrmMain;

// Editing the current playlist: remove, move up and down, start a new one, and
// the placeholder texts of the name box.
class PlaylistEditing : public QObject
{
    Q_OBJECT
public:
    explicit PlaylistEditing(FrmMain &main);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void mnnew_Click();
    void Text1_Click();
    void Text1_LostFocus();

private:
    // Moves the selected entry by one place, keeping it selected.
    void moveSelected(int step);

    FrmMain &m_main;
};

// True for the texts the name box shows in place of a name, in either language.
bool isPlaceholderName(const QString &text);
