#include "sync/keepdialog.h"

#include "core/background.h"
#include "core/computerplaylist.h"
#include "core/sendrecord.h"
#include "platform/ansicodepage.h"
#include "transfer/syncplan.h"

#include <algorithm>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

struct KeepDialog::Found
{
    QString identity;
    qint64 freeBytes = -1;
    qint64 totalBytes = -1;
};

namespace {

// What an entry holds now, as the list's sync would read it.
struct EntryView
{
    int tracks = 0;
    qint64 bytes = 0;
    QString state;
};

QList<EntryView> viewsOf(const QList<SyncEntry> &entries, Language language)
{
    QList<EntryView> views;
    for (const ExpandedSyncEntry &expanded :
         expandSyncList(entries, platform::systemAnsiCodePage())) {
        EntryView view;
        view.tracks = int(expanded.sources.size());
        for (const SourceIdentity &source : expanded.sources)
            view.bytes += std::max<qint64>(0, source.size);
        using Unseen = ExpandedSyncEntry::Unseen;
        switch (expanded.unseen) {
        case Unseen::No:
        case Unseen::MostNotFound:
            view.state = expanded.notFound.isEmpty()
                             ? texts::keepFound.in(language)
                             : texts::keepSomeNotFound.in(expanded.notFound.size(), language);
            break;
        case Unseen::Missing:
            view.state = texts::keepMissing.in(language);
            break;
        case Unseen::Unreadable:
            view.state = texts::keepUnreadable.in(language);
            break;
        case Unseen::NoTrack:
            view.state = texts::syncNoTrack.in(language);
            break;
        }
        views.append(view);
    }
    return views;
}

} // namespace

KeepDialog::KeepDialog(QWidget *parent, Language language, std::shared_ptr<const VolumeRoot> volume,
                       const QString &pspName)
    : QDialog(parent), m_language(language), m_name(pspName)
{
    setWindowTitle(texts::keepTitle.in(language));
    m_psp = new QLabel(this);
    m_psp->setObjectName(u"psp"_s);
    m_psp->setTextFormat(Qt::PlainText);
    m_psp->setWordWrap(true);
    m_psp->setText(texts::keepPsp.in(language).arg(pspName));
    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    auto *heading = new QLabel(texts::keepHeading.in(language), this);
    m_entries = new QTreeWidget(this);
    m_entries->setObjectName(u"entries"_s);
    m_entries->setHeaderLabels(
        {texts::keepKindColumn.in(language), texts::keepPathColumn.in(language),
         texts::keepTracksColumn.in(language), texts::planSizeColumn.in(language),
         texts::keepStateColumn.in(language)});
    m_entries->setRootIsDecorated(false);
    m_entries->setUniformRowHeights(true);
    m_entries->setAllColumnsShowFocus(true);
    m_entries->setTextElideMode(Qt::ElideMiddle);
    m_entries->header()->setStretchLastSection(false);
    m_entries->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_entries->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    // Narrow enough that, with the buttons beside it, it fits a 1280 pixel
    // screen at twice the size; the location is elided in the middle.
    m_entries->setMinimumSize(420, 200);
    m_entries->setAccessibleName(texts::keepHeading.spokenIn(language));
    heading->setBuddy(m_entries);
    connect(m_entries, &QTreeWidget::currentItemChanged, this, &KeepDialog::updateButtons);

    const auto button = [this, language](const Phrase &text, const char *name) {
        auto *made = new QPushButton(text.in(language), this);
        made->setObjectName(QLatin1String(name));
        made->setAccessibleName(text.spokenIn(language));
        made->setAutoDefault(false);
        return made;
    };
    m_addPlaylist = button(texts::keepAddPlaylist, "addPlaylist");
    m_addFolder = button(texts::keepAddFolder, "addFolder");
    m_copyFrom = button(texts::keepCopyFrom, "copyFrom");
    m_copyMenu = new QMenu(m_copyFrom);
    m_copyMenu->setObjectName(u"copyMenu"_s);
    m_copyMenu->setAccessibleName(texts::keepCopyFrom.spokenIn(language));
    m_copyFrom->setMenu(m_copyMenu);
    connect(m_copyMenu, &QMenu::aboutToShow, this, &KeepDialog::fillCopyMenu);
    m_remove = button(texts::keepRemove, "remove");
    m_up = button(texts::keepUp, "up");
    m_down = button(texts::keepDown, "down");
    connect(m_addPlaylist, &QPushButton::clicked, this,
            [this] { choose(SyncEntry::Kind::Playlist); });
    connect(m_addFolder, &QPushButton::clicked, this, [this] { choose(SyncEntry::Kind::Folder); });
    // A place in a list changed elsewhere may name another entry: shown
    // anew rather than acted on.
    connect(m_remove, &QPushButton::clicked, this, [this] {
        const qsizetype at = current();
        if (reload() && m_list.removeAt(at))
            changed(std::min(at, m_list.entries().size() - 1));
    });
    connect(m_up, &QPushButton::clicked, this, [this] {
        if (reload() && m_list.moveUp(current()))
            changed(current() - 1);
    });
    connect(m_down, &QPushButton::clicked, this, [this] {
        if (reload() && m_list.moveDown(current()))
            changed(current() + 1);
    });

    m_whenPluggedIn = new QCheckBox(texts::keepWhenPluggedIn.in(language), this);
    m_whenPluggedIn->setObjectName(u"whenPluggedIn"_s);
    connect(m_whenPluggedIn, &QCheckBox::toggled, this, [this](bool checked) {
        // The box says what the user chose, in a list read anew or not.
        reload();
        const QSignalBlocker quiet(m_whenPluggedIn);
        m_whenPluggedIn->setChecked(checked);
        m_list.syncWhenPluggedIn = checked;
        changed(current());
    });

    auto *buttons = new QDialogButtonBox(this);
    m_syncNow = button(texts::keepSyncNow, "syncNow");
    buttons->addButton(m_syncNow, QDialogButtonBox::ActionRole);
    QPushButton *close =
        buttons->addButton(texts::keepClose.in(language), QDialogButtonBox::RejectRole);
    close->setObjectName(u"close"_s);
    close->setAccessibleName(texts::keepClose.spokenIn(language));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_syncNow, &QPushButton::clicked, this, [this] {
        accept();
        Q_EMIT syncRequested(m_identity);
    });

    auto *sideButtons = new QVBoxLayout;
    for (QPushButton *side : {m_addPlaylist, m_addFolder, m_copyFrom, m_remove, m_up, m_down})
        sideButtons->addWidget(side);
    sideButtons->addStretch();
    auto *grid = new QGridLayout(this);
    grid->addWidget(m_psp, 0, 0, 1, 2);
    grid->addWidget(m_status, 1, 0, 1, 2);
    grid->addWidget(heading, 2, 0, 1, 2);
    grid->addWidget(m_entries, 3, 0);
    grid->addLayout(sideButtons, 3, 1);
    grid->addWidget(m_whenPluggedIn, 4, 0, 1, 2);
    grid->addWidget(buttons, 5, 0, 1, 2);
    setTabOrder(m_entries, m_addPlaylist);

    for (QWidget *control : std::initializer_list<QWidget *>{
             m_entries, m_addPlaylist, m_addFolder, m_copyFrom, m_whenPluggedIn, m_syncNow})
        control->setEnabled(false);
    updateButtons();
    if (!volume) {
        tell(texts::keepNoPsp);
        return;
    }
    tell(texts::keepLooking);
    // The identity is read from the PSP, and written there the first time.
    background::run(
        this,
        [volume] {
            return Found{sendrecord::volumeIdentity(*volume), volume->freeBytes(),
                         volume->totalBytes()};
        },
        [this](const Found &found) { identityFound(found); });
}

void KeepDialog::identityFound(const Found &found)
{
    const QString &identity = found.identity;
    if (found.freeBytes >= 0 && found.totalBytes > 0)
        m_psp->setText(texts::keepPspSpace.in(m_language)
                           .arg(m_name, sizeText(found.freeBytes, m_language),
                                sizeText(found.totalBytes, m_language)));
    if (identity.isEmpty()) {
        tell(texts::keepNoIdentity);
        return;
    }
    m_identity = identity;
    // So that another PSP's dialog can offer this one's list by name.
    synclist::nameIfNone(identity, m_name);
    m_list = synclist::load(identity);
    m_status->hide();
    setAccessibleDescription(QString());
    {
        const QSignalBlocker quiet(m_whenPluggedIn);
        m_whenPluggedIn->setChecked(m_list.syncWhenPluggedIn);
    }
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_entries, m_addPlaylist, m_addFolder, m_copyFrom, m_whenPluggedIn, m_syncNow})
        control->setEnabled(true);
    showEntries(0);
    m_entries->setFocus();
}

void KeepDialog::tell(const Phrase &phrase, const QString &what)
{
    say(what.isEmpty() ? phrase.in(m_language) : phrase.in(m_language).arg(what));
}

void KeepDialog::say(const QString &text)
{
    m_status->setText(text);
    m_status->show();
    // Screen readers read a dialog's description as it opens.
    setAccessibleDescription(m_status->text());
}

void KeepDialog::showEntries(qsizetype current)
{
    const QSignalBlocker quiet(m_entries);
    m_entries->clear();
    const QIcon playlistIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (const SyncEntry &entry : m_list.entries()) {
        const bool playlist = entry.kind == SyncEntry::Kind::Playlist;
        const QString path = QDir::toNativeSeparators(entry.path);
        auto *item = new QTreeWidgetItem(
            m_entries, {(playlist ? texts::keepPlaylist : texts::keepFolder).in(m_language), path});
        item->setIcon(0, playlist ? playlistIcon : folderIcon);
        item->setToolTip(1, path);
    }
    if (QTreeWidgetItem *chosen = m_entries->topLevelItem(int(current)))
        m_entries->setCurrentItem(chosen);
    updateButtons();
    lookAtEntries();
}

void KeepDialog::lookAtEntries()
{
    const int generation = ++m_generation;
    background::run(
        this,
        [entries = m_list.entries(), language = m_language] { return viewsOf(entries, language); },
        [this, generation](const QList<EntryView> &views) {
            if (generation != m_generation)
                return;
            for (int i = 0; i < views.size() && i < m_entries->topLevelItemCount(); ++i) {
                QTreeWidgetItem *item = m_entries->topLevelItem(i);
                const EntryView &view = views.at(i);
                item->setText(2, QString::number(view.tracks));
                item->setText(3, view.bytes > 0 ? sizeText(view.bytes, m_language) : QString());
                item->setText(4, view.state);
                item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
                item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
            }
        });
}

void KeepDialog::choose(SyncEntry::Kind kind)
{
    const bool folder = kind == SyncEntry::Kind::Folder;
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    auto *dialog = new QFileDialog(
        this, (folder ? texts::keepAddFolder : texts::keepAddPlaylist).spokenIn(m_language),
        QDir(music).exists() ? music : QDir::homePath());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (folder) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFiles);
        dialog->setNameFilter(u"%1 (*.%2)"_s.arg(texts::sendFilterPlaylists.in(m_language),
                                                 computerPlaylistExtensions().join(u" *."_s)));
    }
    connect(dialog, &QFileDialog::filesSelected, this,
            [this, kind](const QStringList &paths) { add(paths, kind); });
    dialog->open();
}

void KeepDialog::add(const QStringList &chosen, SyncEntry::Kind kind)
{
    // A name typed in the file dialog may be any file: only what reads as a
    // playlist is kept as one, as from a terminal.
    QStringList paths;
    for (const QString &path : chosen) {
        if (synclist::kindOf(path) == kind)
            paths.append(path);
        else
            tell(texts::keepNotKeepable, QDir::toNativeSeparators(path));
    }
    // Added by path: as right in a list changed elsewhere meanwhile.
    reload();
    for (const QString &path : paths)
        m_list.add(path, kind);
    // The last one chosen is shown, whether it was there already or not.
    changed(paths.isEmpty() ? current() : m_list.indexOf(paths.constLast()));
}

void KeepDialog::fillCopyMenu()
{
    m_copyMenu->clear();
    const QList<synclist::KnownPsp> others = synclist::others(m_identity);
    if (others.isEmpty())
        m_copyMenu->addAction(texts::keepNoOtherPsp.in(m_language))->setEnabled(false);
    for (const synclist::KnownPsp &other : others) {
        // Two PSPs once mounted at the same place are told apart by their
        // identities.
        const bool sameName =
            std::count_if(others.cbegin(), others.cend(),
                          [&other](const auto &o) { return o.name == other.name; }) > 1;
        QString shown = other.name.isEmpty()
                            ? texts::keepUnnamedPsp.in(m_language).arg(other.identity.left(8))
                            : other.name;
        if (sameName && !other.name.isEmpty())
            shown = u"%1 (%2)"_s.arg(other.name, other.identity.left(8));
        // Menu texts take & as an access key.
        QAction *action = m_copyMenu->addAction(QString(shown).replace(u'&', u"&&"_s));
        connect(action, &QAction::triggered, this, [this, other, shown] {
            copyFrom({other.identity, shown});
        });
    }
}

void KeepDialog::copyFrom(const synclist::KnownPsp &other)
{
    // Added by path, as add() does: as right in a list changed elsewhere.
    reload();
    const qsizetype added = m_list.addFrom(synclist::load(other.identity));
    say(texts::keepCopied.in(added, m_language).arg(other.name));
    changed(added > 0 ? m_list.entries().size() - added : current());
}

bool KeepDialog::reload()
{
    // A terminal's --keep or --forget, or another Zarvello, may have changed
    // the list since it was shown: an edit here never writes theirs over.
    const SyncList now = synclist::load(m_identity);
    const auto same = [](const SyncEntry &a, const SyncEntry &b) {
        return a.path == b.path && a.kind == b.kind;
    };
    if (now.syncWhenPluggedIn == m_list.syncWhenPluggedIn &&
        std::equal(now.entries().cbegin(), now.entries().cend(), m_list.entries().cbegin(),
                   m_list.entries().cend(), same))
        return true;
    m_list = now;
    {
        const QSignalBlocker quiet(m_whenPluggedIn);
        m_whenPluggedIn->setChecked(m_list.syncWhenPluggedIn);
    }
    showEntries(std::min(current(), m_list.entries().size() - 1));
    tell(texts::keepChangedElsewhere);
    return false;
}

void KeepDialog::changed(qsizetype current)
{
    // What else the line says (a file that is no playlist) stays.
    if (!synclist::save(m_identity, m_list))
        tell(texts::keepNotSaved);
    else if (m_status->text() == texts::keepNotSaved.in(m_language))
        m_status->hide();
    showEntries(current);
}

qsizetype KeepDialog::current() const
{
    return m_entries->indexOfTopLevelItem(m_entries->currentItem());
}

void KeepDialog::updateButtons()
{
    const qsizetype at = m_identity.isEmpty() ? -1 : current();
    m_remove->setEnabled(at >= 0);
    m_up->setEnabled(at > 0);
    m_down->setEnabled(at >= 0 && at + 1 < m_list.entries().size());
}
