#include "sync/syncplandialog.h"

#include "controls/capacitybar.h"
#include "controls/wrappinglabel.h"
#include "transfer/sendchoice.h"

#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Every conversion offered, in words with the rate it aims at.
QList<std::pair<QString, sendchoice::Choice>> conversions(Language language)
{
    QList<std::pair<QString, sendchoice::Choice>> offered;
    const sendchoice::Choice remembered = sendchoice::remembered();
    for (const TargetFormat format : {TargetFormat::Mp3, TargetFormat::Aac}) {
        for (std::size_t i = 0; i < std::size(mp3Levels); ++i) {
            sendchoice::Choice choice{format, remembered.quality};
            const bool mp3 = format == TargetFormat::Mp3;
            (mp3 ? choice.quality.mp3Level : choice.quality.aacBitRate) =
                mp3 ? mp3Levels[i] : aacBitRates[i];
            const int kbits = typicalBitRate(format, choice.quality) / 1000;
            const QString words = texts::qualityWords[i].in(language);
            offered.append(
                {mp3 ? texts::conversionMp3.in(language).arg(words).arg(mp3Levels[i]).arg(kbits)
                     : texts::conversionAac.in(language).arg(words).arg(kbits),
                 choice});
        }
    }
    return offered;
}

bool sameConversion(const sendchoice::Choice &one, const sendchoice::Choice &other)
{
    return one.format == other.format &&
           (one.format == TargetFormat::Mp3 ? one.quality.mp3Level == other.quality.mp3Level
                                            : one.quality.aacBitRate == other.quality.aacBitRate);
}

} // namespace

SyncPlanDialog::SyncPlanDialog(QWidget *parent, Language language)
    : QDialog(parent), m_language(language)
{
    setWindowTitle(texts::syncTitle.in(language));
    m_summary = wrappingLabel(this, 420);
    m_summary->setText(texts::keepLooking.in(language));
    m_table = new QTreeWidget(this);
    m_table->setObjectName(u"plan"_s);
    m_table->setColumnCount(2);
    m_table->setHeaderLabels(
        {texts::planWhatColumn.in(language), texts::planSizeColumn.in(language)});
    m_table->header()->setStretchLastSection(false);
    m_table->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_table->setAccessibleName(texts::planName.in(language));
    m_table->setUniformRowHeights(true);

    auto *conversionLabel = new QLabel(texts::sendFormat.in(language), this);
    m_conversion = new QComboBox(this);
    m_conversion->setObjectName(u"conversion"_s);
    m_conversion->setAccessibleName(texts::sendFormat.spokenIn(language));
    conversionLabel->setBuddy(m_conversion);
    const sendchoice::Choice remembered = sendchoice::remembered();
    for (const auto &[text, choice] : conversions(language)) {
        m_conversion->addItem(text);
        if (sameConversion(choice, remembered))
            m_conversion->setCurrentIndex(m_conversion->count() - 1);
    }
    connect(m_conversion, &QComboBox::activated, this, &SyncPlanDialog::conversionChosen);

    auto *spaceLabel = new QLabel(texts::spaceHeading.in(language), this);
    m_space = new CapacityBar(this);
    m_space->setObjectName(u"space"_s);
    m_space->setAccessibleName(texts::spaceHeading.spokenIn(language));
    m_spaceText = wrappingLabel(this, 420);

    m_removeUnnamed = new QCheckBox(this);
    m_removeUnnamed->setObjectName(u"removeUnnamed"_s);
    m_removeNamed = new QCheckBox(this);
    m_removeNamed->setObjectName(u"removeNamed"_s);
    connect(m_removeUnnamed, &QCheckBox::toggled, this, [this](bool checked) {
        // The files a playlist of the user's still names go only with the others.
        m_removeNamed->setEnabled(checked);
        if (!checked)
            m_removeNamed->setChecked(false);
        showChoices();
    });
    connect(m_removeNamed, &QCheckBox::toggled, this, &SyncPlanDialog::showChoices);
    m_changedLabel = wrappingLabel(this, 420);
    m_changedLabel->setText(texts::syncChanged.in(language));
    m_changed = new QWidget(this);
    m_changed->setObjectName(u"changed"_s);
    new QVBoxLayout(m_changed);
    m_changed->layout()->setContentsMargins(0, 0, 0, 0);

    auto *buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(texts::syncStart.in(language), QDialogButtonBox::AcceptRole);
    m_start->setObjectName(u"start"_s);
    m_start->setEnabled(false);
    m_start->setDefault(true);
    m_cancel = buttons->addButton(texts::sendCancel.in(language), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *conversionRow = new QHBoxLayout;
    conversionRow->addWidget(conversionLabel);
    conversionRow->addWidget(m_conversion, 1);
    auto *spaceRow = new QHBoxLayout;
    spaceRow->addWidget(spaceLabel);
    spaceRow->addWidget(m_space, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addLayout(conversionRow);
    layout->addLayout(spaceRow);
    for (QWidget *widget :
         {static_cast<QWidget *>(m_spaceText), static_cast<QWidget *>(m_removeUnnamed),
          static_cast<QWidget *>(m_removeNamed), static_cast<QWidget *>(m_changedLabel),
          static_cast<QWidget *>(m_changed)}) {
        layout->addWidget(widget);
        widget->hide();
    }
    layout->addWidget(buttons);
    m_table->hide();
}

QTreeWidgetItem *SyncPlanDialog::addLine(const QString &text, qint64 bytes,
                                         const QStringList &children)
{
    auto *line =
        new QTreeWidgetItem(m_table, {text, bytes > 0 ? sizeText(bytes, m_language) : QString()});
    line->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    for (const QString &child : children)
        new QTreeWidgetItem(line, {child});
    return line;
}

void SyncPlanDialog::showLooking()
{
    m_start->setEnabled(false);
    m_summary->show();
    m_summary->setText(texts::keepLooking.in(m_language));
    m_table->setEnabled(false);
}

void SyncPlanDialog::showPlan(const SyncOutline &plan)
{
    const Language l = m_language;
    m_plan = plan;
    m_table->setEnabled(true);
    if (!plan.failure.isEmpty() || plan.upToDate) {
        m_summary->setText(plan.upToDate ? texts::syncUpToDate.in(l) : plan.failure);
        m_cancel->setText(texts::keepClose.in(l));
        m_cancel->setDefault(true);
        return;
    }
    // The table says it; screen readers read the sentence as the dialog opens.
    m_summary->hide();
    setAccessibleDescription(plan.summary(l));
    m_table->clear();
    addLine(texts::planToSend.in(l).arg(texts::tracks.in(plan.toSend, l)), plan.bytes,
            plan.sendingLines(l));
    addLine(texts::planAlreadyThere.in(l).arg(texts::tracks.in(plan.alreadyThere, l)), 0, {});
    m_removeLine = plan.removals.isEmpty() ? nullptr
                                           : addLine(QString(), SyncSession::bytesOf(plan.removals),
                                                     plan.removalLines(l));
    m_writeLine = addLine(QString(), 0, plan.playlistFiles);
    m_changedLine =
        plan.changedPlaylists.isEmpty() ? nullptr : addLine(QString(), 0, plan.changedPlaylists);
    if (!plan.notFound.isEmpty())
        addLine(texts::planNotFound.in(l).arg(texts::tracks.in(plan.notFound.size(), l)), 0,
                plan.notFoundLines());
    if (!plan.unavailable.isEmpty())
        addLine(texts::planUnavailable.in(l).arg(texts::entries.in(plan.unavailable.size(), l)), 0,
                plan.unavailableLines(l));
    if (plan.wontFit > 0)
        addLine(texts::planWontFit.in(l).arg(texts::tracks.in(plan.wontFit, l)), plan.wontFitBytes,
                {});
    m_table->show();

    const auto named =
        std::count_if(plan.removals.cbegin(), plan.removals.cend(),
                      [](const SyncPlan::Removal &removal) { return !removal.namedBy.isEmpty(); });
    const qsizetype unnamed = plan.removals.size() - named;
    m_removeUnnamed->setText(texts::syncRemoveUnnamed.in(unnamed, l));
    m_removeUnnamed->setVisible(unnamed > 0);
    m_removeNamed->setText(texts::syncRemoveNamed.in(named, l));
    m_removeNamed->setVisible(named > 0);
    m_removeNamed->setEnabled(unnamed == 0 || m_removeUnnamed->isChecked());
    // Each playlist changed on the PSP is asked on its own: kept unless ticked.
    qDeleteAll(m_replace);
    m_replace.clear();
    for (const QString &playlist : plan.changedPlaylists) {
        auto *box = new QCheckBox(texts::syncReplaceOne.in(l).arg(playlist), m_changed);
        box->setProperty("playlist", playlist);
        connect(box, &QCheckBox::toggled, this, &SyncPlanDialog::showChoices);
        m_changed->layout()->addWidget(box);
        m_replace.append(box);
    }
    m_changedLabel->setVisible(!plan.changedPlaylists.isEmpty());
    m_changed->setVisible(!plan.changedPlaylists.isEmpty());
    showChoices();
    m_start->setEnabled(true);
    m_start->setFocus();
    adjustSize();
}

void SyncPlanDialog::showChoices()
{
    const Language l = m_language;
    const QList<SyncPlan::Removal> chosen = SyncSession::chosen(m_plan.removals, removals());
    const qsizetype removing = chosen.size();
    const qint64 freed = SyncSession::bytesOf(chosen);
    const qsizetype held = m_plan.removals.size() - removing;
    if (m_removeLine)
        m_removeLine->setText(
            0, removing == 0 ? texts::planAllHeld.in(l).arg(texts::tracks.in(held, l))
               : held == 0   ? texts::planToRemove.in(l).arg(texts::tracks.in(removing, l))
                             : texts::planToRemove.in(l).arg(texts::tracks.in(removing, l)) +
                                 texts::planHeld.in(l).arg(texts::tracks.in(held, l)));
    const QStringList replaced = replacing();
    const qsizetype kept = m_plan.changedPlaylists.size() - replaced.size();
    if (m_changedLine)
        m_changedLine->setText(
            0, texts::planChanged.in(l).arg(texts::playlists.in(kept, l),
                                            texts::playlists.in(replaced.size(), l)));
    // A changed playlist that is kept is not written.
    const auto writing = std::count_if(
        m_plan.playlistFiles.cbegin(), m_plan.playlistFiles.cend(), [&](const QString &file) {
            return !m_plan.changedPlaylists.contains(file) || replaced.contains(file);
        });
    m_writeLine->setText(0, texts::planToWrite.in(l).arg(texts::playlists.in(writing, l)));
    // What fits is decided once the removals are known; the bar shows all of
    // what is to send against the space there will be.
    m_space->setSpace(m_plan.totalBytes, m_plan.freeBytes, freed, m_plan.bytes);
    const QString space =
        capacityText(m_plan.totalBytes, m_plan.freeBytes, m_space->freeAfter(), l);
    m_spaceText->setText(space);
    m_spaceText->setVisible(!space.isEmpty());
    m_space->setAccessibleDescription(space);
}

void SyncPlanDialog::conversionChosen(int index)
{
    const QList<std::pair<QString, sendchoice::Choice>> offered = conversions(m_language);
    if (index < 0 || index >= offered.size())
        return;
    const sendchoice::Choice &choice = offered.at(index).second;
    if (sameConversion(choice, sendchoice::remembered()))
        return;
    sendchoice::rememberFormat(choice.format);
    sendchoice::rememberQuality(choice.format, choice.format == TargetFormat::Mp3
                                                   ? choice.quality.mp3Level
                                                   : choice.quality.aacBitRate);
    showLooking();
    Q_EMIT conversionChanged();
}

SyncSession::Removals SyncPlanDialog::removals() const
{
    if (!m_removeNamed->isHidden() && m_removeNamed->isChecked())
        return SyncSession::Removals::All;
    return !m_removeUnnamed->isHidden() && m_removeUnnamed->isChecked()
               ? SyncSession::Removals::Unnamed
               : SyncSession::Removals::None;
}

QStringList SyncPlanDialog::replacing() const
{
    QStringList chosen;
    for (const QCheckBox *box : m_replace) {
        if (box->isChecked())
            chosen.append(box->property("playlist").toString());
    }
    return chosen;
}
