#include "playlist/missingtrackmarks.h"

#include "controls/listbox.h"
#include "core/texts.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

MissingTrackMarks::MissingTrackMarks(const PlaylistPanel &playlist, const QLineEdit &lettre,
                                     LanguageFlag languageFlag, QObject *parent)
    : QObject(parent), m_playlist(playlist), m_lettre(lettre), m_languageFlag(languageFlag)
{
    connect(&m_check, &MissingTracks::found, this, &MissingTrackMarks::mark);
    connect(&m_check, &MissingTracks::finished, playlist.List1, &ListBox::marksComplete);
    connect(playlist.List1, &ListBox::greyedCountChanged, this, &MissingTrackMarks::showCount);
}

void MissingTrackMarks::recheck()
{
    m_check.cancel();
    m_playlist.List1->ungreyAll();
    // Started once the playlist just opened is on screen, which the check
    // must never delay.
    QMetaObject::invokeMethod(this, &MissingTrackMarks::startCheck, Qt::QueuedConnection);
}

void MissingTrackMarks::startCheck()
{
    const QString root = QDir::fromNativeSeparators(m_lettre.text());
    if (!root.isEmpty() && m_playlist.List1->count() > 0)
        m_check.check(root, m_playlist.List1->linesToMark());
}

void MissingTrackMarks::mark(const QHash<QString, int> &missing)
{
    m_playlist.List1->greyTexts(missing, texts::missingTrackTip.in(m_languageFlag.language()));
}

void MissingTrackMarks::showCount(int count)
{
    // The heading says how many are missing, in words that fit above the list.
    const Language language = m_languageFlag.language();
    if (count > 1)
        m_playlist.Label2->setText(texts::currentHeadingMissing.in(language).arg(
            QLocale(language == Language::French ? QLocale::French : QLocale::English)
                .toString(count)));
    else
        m_playlist.Label2->setText(count == 1 ? texts::currentHeadingOneMissing.in(language)
                                              : texts::currentHeading.in(language));
}
