#include "controls/sendprogressdialog.h"

#include "controls/wrappinglabel.h"

#include <algorithm>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int barSteps = 1000;

} // namespace

SendProgressDialog::SendProgressDialog(QWidget *parent, Language language)
    : QDialog(parent), m_language(language)
{
    setWindowTitle(texts::sendProgressTitle.in(language));
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, barSteps);
    m_bar->setAccessibleName(texts::sendProgressTitle.in(language));
    m_current = wrappingLabel(this);
    m_count = wrappingLabel(this);
    m_left = wrappingLabel(this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    m_cancel->setText(texts::sendCancel.in(language));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    for (QWidget *control : {static_cast<QWidget *>(m_bar), static_cast<QWidget *>(m_current),
                             static_cast<QWidget *>(m_count), static_cast<QWidget *>(m_left),
                             static_cast<QWidget *>(buttons)})
        layout->addWidget(control);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_count->setText(texts::sendDoneOfTotal.in(language).arg(0).arg(0));
    m_left->setText(texts::sendTimeLeftUnknown.in(language));
    m_ticker.setInterval(500);
    connect(&m_ticker, &QTimer::timeout, this, &SendProgressDialog::showRun);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(100);
    connect(&m_refresh, &QTimer::timeout, this, &SendProgressDialog::showRun);
}

void SendProgressDialog::follow(const SendRun &run, const QList<SourceTrack> &sources)
{
    if (m_run == &run)
        return;
    m_run = &run;
    m_sources = sources;
    connect(&run, &SendRun::progressed, this, [this] {
        if (!m_refresh.isActive())
            m_refresh.start();
    });
    connect(&run, &QObject::destroyed, this, [this] {
        m_run = nullptr;
        m_ticker.stop();
        m_refresh.stop();
    });
    m_clock.start();
    m_ticker.start();
    showRun();
}

void SendProgressDialog::showRun()
{
    if (!m_run || m_run->state() != SendRun::State::Sending)
        return;
    QStringList names;
    for (const int index : m_run->inFlight())
        names.append(QFileInfo(m_sources.at(index).path).fileName());
    m_current->setText(
        names.isEmpty() ? QString() : texts::sendCurrent.in(m_language).arg(names.join(u", "_s)));
    const qint64 total = m_run->bytesTotal();
    const double fraction =
        total > 0 ? std::min(1.0, double(m_run->bytesDone()) / double(total)) : 1.0;
    const qint64 msLeft =
        fraction <= 0 ? -1 : qint64(double(m_clock.elapsed()) * (1 - fraction) / fraction);
    m_bar->setValue(int(fraction * barSteps));
    m_count->setText(
        texts::sendDoneOfTotal.in(m_language).arg(m_run->tracksDone()).arg(m_run->tracksQueued()));
    m_left->setText(msLeft < 0
                        ? texts::sendTimeLeftUnknown.in(m_language)
                        : texts::sendTimeLeft.in(m_language)
                              .arg(QTime(0, 0)
                                       .addMSecs(int(msLeft))
                                       .toString(msLeft >= 3600000 ? u"h:mm:ss"_s : u"m:ss"_s)));
}

void SendProgressDialog::showCancelling()
{
    m_ticker.stop();
    m_refresh.stop();
    m_run = nullptr;
    m_current->setText(texts::sendCancelling.in(m_language));
    m_left->clear();
    m_cancel->setEnabled(false);
}

void SendProgressDialog::reject()
{
    Q_EMIT cancelAsked();
}
