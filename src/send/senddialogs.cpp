#include "send/senddialogs.h"

#include "controls/wrappinglabel.h"
#include "core/computerplaylist.h"
#include "core/usersettings.h"
#include "transfer/sendchoice.h"
#include "transfer/sendplan.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString lastFolderKey = u"send/lastFolder"_s;
constexpr int shownFolders = 5;

int kbits(int bitRate)
{
    return bitRate / 1000;
}

// What conversions make, as the plan says it: "MP3 (V2, about 190 kbit/s)".
QString targetText(TargetFormat format, const Quality &quality, Language language)
{
    return format == TargetFormat::Mp3
               ? texts::sendMp3Quality.in(language)
                     .arg(quality.mp3Level)
                     .arg(kbits(typicalBitRate(format, quality)))
               : texts::sendAacQuality.in(language).arg(kbits(quality.aacBitRate));
}

} // namespace

SendPlanDialog::SendPlanDialog(QWidget *parent, Language language)
    : QDialog(parent), m_language(language)
{
    setWindowTitle(texts::sendTitle.in(language));
    m_summary = wrappingLabel(this);
    m_summary->setText(texts::sendLooking.in(language));
    auto *formatLabel = new QLabel(texts::sendFormat.in(language), this);
    m_mp3 = new QRadioButton(texts::sendMp3Choice.in(language), this);
    m_aac = new QRadioButton(texts::sendAacChoice.in(language), this);
    formatLabel->setBuddy(m_mp3);
    m_aac->setObjectName(QStringLiteral("aac"));
    const sendchoice::Choice remembered = sendchoice::remembered();
    (remembered.format == TargetFormat::Aac ? m_aac : m_mp3)->setChecked(true);
    m_quality = remembered.quality;
    auto *qualityLabel = new QLabel(texts::sendQuality.in(language), this);
    m_qualities = new QComboBox(this);
    m_qualities->setObjectName(QStringLiteral("quality"));
    // The other format's choices may be longer than those it first shows.
    m_qualities->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_qualities->setAccessibleName(texts::sendQuality.spokenIn(language));
    qualityLabel->setBuddy(m_qualities);
    fillQualities();
    connect(m_qualities, &QComboBox::activated, this, &SendPlanDialog::qualityChosen);
    auto *formats = new QButtonGroup(this);
    formats->addButton(m_mp3);
    formats->addButton(m_aac);
    connect(formats, &QButtonGroup::buttonToggled, this, [this](QAbstractButton *, bool checked) {
        if (!checked)
            return;
        sendchoice::rememberFormat(format());
        fillQualities();
        Q_EMIT formatChanged();
    });
    // Screen readers name the choice by its label.
    m_mp3->setAccessibleDescription(formatLabel->text());
    m_aac->setAccessibleDescription(formatLabel->text());
    m_replace = new QCheckBox(texts::sendReplaceOtherFormat.in(language), this);
    m_replace->setObjectName(QStringLiteral("replaceOtherFormats"));
    m_replace->hide();
    connect(m_replace, &QCheckBox::toggled, this, &SendPlanDialog::formatChanged);

    auto *buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(texts::sendStart.in(language), QDialogButtonBox::AcceptRole);
    QPushButton *cancel =
        buttons->addButton(texts::sendCancel.in(language), QDialogButtonBox::RejectRole);
    m_start->setObjectName(QStringLiteral("start"));
    m_start->setDefault(true);
    m_start->setEnabled(false);
    cancel->setAutoDefault(false);
    m_whatFits = buttons->addButton(texts::sendWhatFits.in(language), QDialogButtonBox::ActionRole);
    m_whatFits->setObjectName(QStringLiteral("whatFits"));
    m_whatFits->setAccessibleName(texts::sendWhatFits.spokenIn(language));
    m_whatFits->setAutoDefault(false);
    m_whatFits->hide();
    connect(m_whatFits, &QPushButton::clicked, this, [this] {
        m_whatFitsOnly = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *formatRow = new QHBoxLayout;
    formatRow->addWidget(formatLabel);
    formatRow->addWidget(m_mp3);
    formatRow->addWidget(m_aac);
    formatRow->addSpacing(12);
    formatRow->addWidget(qualityLabel);
    formatRow->addWidget(m_qualities);
    formatRow->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addLayout(formatRow);
    layout->addWidget(m_replace);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SendPlanDialog::fillQualities()
{
    const TargetFormat format = this->format();
    const bool mp3 = format == TargetFormat::Mp3;
    m_qualities->clear();
    static_assert(std::size(mp3Levels) == std::size(aacBitRates));
    for (std::size_t i = 0; i < std::size(mp3Levels); ++i) {
        Quality offered = m_quality;
        (mp3 ? offered.mp3Level : offered.aacBitRate) = mp3 ? mp3Levels[i] : aacBitRates[i];
        const int rate = kbits(typicalBitRate(format, offered));
        const QString words = texts::qualityWords[i].in(m_language);
        m_qualities->addItem(
            mp3 ? texts::sendMp3Level.in(m_language).arg(mp3Levels[i]).arg(rate).arg(words)
                : texts::sendAacRate.in(m_language).arg(rate).arg(words),
            mp3 ? mp3Levels[i] : aacBitRates[i]);
    }
    m_qualities->setCurrentIndex(
        m_qualities->findData(mp3 ? m_quality.mp3Level : m_quality.aacBitRate));
}

void SendPlanDialog::qualityChosen()
{
    const int chosen = m_qualities->currentData().toInt();
    const bool mp3 = format() == TargetFormat::Mp3;
    int &kept = mp3 ? m_quality.mp3Level : m_quality.aacBitRate;
    if (kept == chosen)
        return;
    kept = chosen;
    sendchoice::rememberQuality(format(), chosen);
    Q_EMIT formatChanged();
}

Quality SendPlanDialog::quality() const
{
    return m_quality;
}

void SendPlanDialog::showPlan(const SendPlan &plan, qint64 freeBytes, int leftOut)
{
    const Language l = m_language;
    QStringList lines{texts::sendTracks.in(l).arg(plan.tracks.size())};
    if (leftOut > 0)
        lines.append(texts::sendLeftOut.in(l).arg(leftOut));
    lines.append(texts::sendConvertedCopied.in(l)
                     .arg(plan.conversions)
                     .arg(targetText(format(), m_quality, l))
                     .arg(plan.copies));
    lines.append(texts::sendAlreadyThere.in(l).arg(plan.alreadyThere));
    if (plan.otherFormat > 0)
        lines.append(texts::sendOtherFormat.in(l).arg(plan.otherFormat));
    m_replace->setVisible(plan.otherFormat > 0);
    if (plan.refused > plan.tooLarge)
        lines.append(texts::sendRefused.in(l).arg(plan.refused - plan.tooLarge));
    if (plan.tooLarge > 0)
        lines.append(texts::sendRefusedTooLarge.in(l).arg(plan.tooLarge));
    lines.append(texts::sendSize.in(l).arg(
        sizeText(plan.bytes, l), freeBytes < 0 ? QStringLiteral("?") : sizeText(freeBytes, l)));
    QStringList folders = plan.folders.mid(0, shownFolders);
    if (plan.folders.size() > shownFolders)
        folders.append(QStringLiteral("…"));
    if (!folders.isEmpty())
        lines.append(texts::sendFolders.in(l).arg(folders.join(QStringLiteral(", "))));
    const bool fits = freeBytes < 0 || plan.bytes <= freeBytes;
    if (!fits)
        lines.append(texts::sendMissingSpace.in(l).arg(sizeText(plan.bytes - freeBytes, l)));
    m_summary->setText(lines.join(u'\n'));
    // Screen readers read a dialog's description as it opens.
    setAccessibleDescription(m_summary->text());
    // With nothing to write, Start still gives the tracks already there.
    m_start->setEnabled(fits && plan.refused < plan.tracks.size());
    SendPlan fitting = plan;
    keepWhatFits(fitting, freeBytes);
    m_whatFits->setEnabled(true);
    m_whatFits->setVisible(!fits && fitting.copies + fitting.conversions > 0);
    const int toSend = plan.copies + plan.conversions;
    m_whatFits->setText(texts::sendWhatFits.in(l)
                            .arg(fitting.copies + fitting.conversions)
                            .arg(texts::tracks.in(toSend, l)));
    m_whatFits->setAccessibleName(m_whatFits->text().remove(u'&'));
    // Start, or Send what fits when only that is offered, takes the focus
    // from the format it had while the plan was made;
    // later plans follow a format the user chose, which keeps it.
    if (!std::exchange(m_planned, true))
        (m_start->isEnabled() ? m_start : m_whatFits)->setFocus();
}

void SendPlanDialog::planning()
{
    m_start->setEnabled(false);
    // Disabled rather than hidden, so that the dialog keeps its size.
    m_whatFits->setEnabled(false);
}

bool SendPlanDialog::replaceOtherFormats() const
{
    return m_replace->isChecked();
}

TargetFormat SendPlanDialog::format() const
{
    return m_aac->isChecked() ? TargetFormat::Aac : TargetFormat::Mp3;
}

SendFileDialog::SendFileDialog(QWidget *parent, Language language)
    : QFileDialog(parent, texts::sendTitle.in(language))
{
    // The system's own dialog offers files or folders, never both.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    const QString audio = u"*.mp3 *.m4a *.m4b *.aac *.mp4 *.flac *.ogg *.oga *.opus *.wav *.aif "
                          u"*.aiff *.wma *.ape *.wv *.mpc *.mka *.ac3"_s;
    const QString playlists = u"*."_s + computerPlaylistExtensions().join(u" *."_s);
    const auto filter = [language](const Phrase &name, const QString &patterns) {
        return u"%1 (%2)"_s.arg(name.in(language), patterns);
    };
    setNameFilters({filter(texts::sendFilterAll, audio + u' ' + playlists),
                    filter(texts::sendFilterAudio, audio),
                    filter(texts::sendFilterPlaylists, playlists),
                    filter(texts::sendFilterAnything, u"*"_s)});
    const QString last = usersettings::open()->value(lastFolderKey).toString();
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    setDirectory(!last.isEmpty() && QFileInfo(last).isDir() ? last
                 : QFileInfo(music).isDir()                 ? music
                                                            : QDir::homePath());
}

void SendFileDialog::accept()
{
    const QStringList chosen = selectedFiles();
    // A folder's path typed in the name box is gone into, as file dialogs
    // do; a folder picked in the list is sent.
    auto *name = findChild<QLineEdit *>(u"fileNameEdit"_s);
    const QString typed = name ? name->text().trimmed() : QString();
    if (chosen.size() == 1 && (typed.contains(u'/') || typed.startsWith(u'~')) &&
        QFileInfo(chosen.first()).isDir()) {
        setDirectory(chosen.first());
        name->clear();
        return;
    }
    if (!chosen.isEmpty() && std::all_of(chosen.cbegin(), chosen.cend(), [](const QString &path) {
            return QFileInfo::exists(path);
        })) {
        usersettings::open()->setValue(lastFolderKey, directory().absolutePath());
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
}
