#include "playlist/playlistediting.h"

#include "controls/listbox.h"
#include "controls/scrollhoriz.h"
#include "controls/textbox.h"
#include "core/texts.h"

#include <algorithm>
#include <QAction>
#include <QPushButton>
#include <QShortcut>

namespace {

// True for the texts the name box shows in place of a name, in either language.
bool isPlaceholderName(const QString &text)
{
    for (const Phrase &placeholder : {texts::defaultPlaylistName, texts::retryName}) {
        if (text == placeholder.in(Language::French) || text == placeholder.in(Language::English))
            return true;
    }
    return false;
}

} // namespace

PlaylistEditing::PlaylistEditing(const PlaylistPanel &panel, QAction *mnnew,
                                 LanguageFlag languageFlag, QObject *parent)
    : QObject(parent), m_panel(panel), m_languageFlag(languageFlag)
{
    connect(panel.Command1, &QPushButton::clicked, this, &PlaylistEditing::Command1_Click);
    connect(panel.Command2, &QPushButton::clicked, this, &PlaylistEditing::Command2_Click);
    connect(panel.Command3, &QPushButton::clicked, this, &PlaylistEditing::Command3_Click);
    connect(mnnew, &QAction::triggered, this, &PlaylistEditing::mnnew_Click);
    connect(panel.Text1, &TextBox::clicked, this, &PlaylistEditing::Text1_Click);
    connect(panel.Text1, &TextBox::lostFocus, this, &PlaylistEditing::Text1_LostFocus);
    // Whatever the user types replaces a placeholder, however the box got the
    // focus and whenever the placeholder was put there.
    connect(panel.Text1, &TextBox::focusEntered, this, &PlaylistEditing::selectPlaceholder);
    connect(panel.Text1, &QLineEdit::textChanged, this, [this] {
        if (m_panel.Text1->hasFocus() && !m_panel.Text1->isModified())
            selectPlaceholder();
    });

    // The keys work in the list alone: elsewhere Delete and Alt+arrows keep
    // their own meaning.
    const std::pair<QKeySequence, void (PlaylistEditing::*)()> keys[] = {
        {QKeySequence(Qt::Key_Delete), &PlaylistEditing::removeInPlace},
        {QKeySequence(Qt::ALT | Qt::Key_Up), &PlaylistEditing::Command2_Click},
        {QKeySequence(Qt::ALT | Qt::Key_Down), &PlaylistEditing::Command3_Click}};
    for (const auto &[sequence, handler] : keys) {
        auto *shortcut = new QShortcut(sequence, panel.List1);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    }
}

void PlaylistEditing::appendEntry(const QString &entry)
{
    m_panel.List1->addItem(entry);
    UpdateHorizontalExtent(*m_panel.List1);
}

void PlaylistEditing::insertEntries(int position, const QStringList &entries)
{
    insertEntries({{position, entries}});
}

void PlaylistEditing::insertEntries(const QList<std::pair<int, QStringList>> &groups)
{
    ListBox &list = *m_panel.List1;
    bool added = false;
    for (const auto &[position, entries] : groups) {
        if (entries.isEmpty())
            continue;
        added = true;
        if (position >= list.count()) {
            list.addItems(entries);
        } else {
            for (int i = 0; i < entries.size(); ++i)
                list.insertItem(position + i, entries.at(i));
        }
    }
    if (added)
        UpdateHorizontalExtent(list);
}

void PlaylistEditing::moveEntry(int from, int to)
{
    ListBox &list = *m_panel.List1;
    const QString entry = list.item(from);
    list.removeItem(from);
    list.insertItem(to, entry);
    list.setSelectedPosition(to);
}

void PlaylistEditing::Command1_Click()
{
    // With no line selected there is nothing to remove, and nothing to say.
    m_panel.List1->removeItem(m_panel.List1->selectedPosition());
}

void PlaylistEditing::removeInPlace()
{
    // In the list itself the line that takes the removed one's place is
    // selected (the last one at the end), so that the keyboard keeps its
    // place and screen readers say where it stands.
    ListBox &list = *m_panel.List1;
    const int position = list.selectedPosition();
    Command1_Click();
    if (position >= 0 && list.count() > 0)
        list.setSelectedPosition(std::min(position, list.count() - 1));
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
    ListBox &list = *m_panel.List1;
    if (list.selectedCount() != 1)
        return;
    const int from = list.selectedPosition();
    const int to = from + step;
    if (to < 0 || to >= list.count())
        return;
    moveEntry(from, to);
}

void PlaylistEditing::mnnew_Click()
{
    m_panel.List1->clear();
    m_panel.Text1->setText(defaultName());
}

void PlaylistEditing::Text1_Click()
{
    if (isPlaceholderName(m_panel.Text1->text()))
        m_panel.Text1->clear();
}

void PlaylistEditing::selectPlaceholder()
{
    if (isPlaceholderName(m_panel.Text1->text()))
        m_panel.Text1->selectAll();
}

void PlaylistEditing::Text1_LostFocus()
{
    if (m_panel.Text1->text().isEmpty())
        m_panel.Text1->setText(defaultName());
}

QString PlaylistEditing::defaultName() const
{
    return texts::defaultPlaylistName.in(m_languageFlag.language());
}
