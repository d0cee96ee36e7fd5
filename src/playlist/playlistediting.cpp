#include "playlist/playlistediting.h"

#include "app/frmmain.h"
#include "app/listbox.h"
#include "app/textbox.h"

#include <QAction>
#include <QPushButton>

PlaylistEditing::PlaylistEditing(FrmMain &main) : QObject(&main), m_main(main)
{
    connect(main.Command1, &QPushButton::clicked, this, &PlaylistEditing::Command1_Click);
    connect(main.Command2, &QPushButton::clicked, this, &PlaylistEditing::Command2_Click);
    connect(main.Command3, &QPushButton::clicked, this, &PlaylistEditing::Command3_Click);
    connect(main.mnnew, &QAction::triggered, this, &PlaylistEditing::mnnew_Click);
    connect(main.Text1, &TextBox::clicked, this, &PlaylistEditing::Text1_Click);
    connect(main.Text1, &TextBox::lostFocus, this, &PlaylistEditing::Text1_LostFocus);
}

void PlaylistEditing::Command1_Click()
{
    // With no line selected there is nothing to remove, and nothing to say.
    m_main.List1->removeItem(m_main.List1->selectedPosition());
}

void PlaylistEditing::Command2_Click()
{
    moveSelected(-1);
}

void PlaylistEditing::Command3_Click()
{
    moveSelected(+1);
}

void PlaylistEditing::moveSelected(int step)
{
    ListBox &list = *m_main.List1;
    if (list.selectedCount() != 1)
        return;
    const int from = list.selectedPosition();
    const int to = from + step;
    if (to < 0 || to >= list.count())
        return;
    const QString entry = list.item(from);
    list.removeItem(from);
    list.insertItem(to, entry);
    list.setSelectedPosition(to);
}

void PlaylistEditing::mnnew_Click()
{
    m_main.List1->clear();
    m_main.Text1->setText(texts::defaultPlaylistName.in(m_main.language()));
}

void PlaylistEditing::Text1_Click()
{
    if (isPlaceholderName(m_main.Text1->text()))
        m_main.Text1->clear();
}

void PlaylistEditing::Text1_LostFocus()
{
    if (m_main.Text1->text().isEmpty())
        m_main.Text1->setText(texts::defaultPlaylistName.in(m_main.language()));
}

bool isPlaceholderName(const QString &text)
{
    for (const Phrase &placeholder : {texts::defaultPlaylistName, texts::retryName}) {
        if (text == placeholder.in(Language::French) || text == placeholder.in(Language::English))
            return true;
    }
    return false;
}
