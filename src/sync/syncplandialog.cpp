#include "sync/syncplandialog.h"

#include "controls/wrappinglabel.h"

#include <algorithm>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

SyncPlanDialog::SyncPlanDialog(QWidget *parent, Language language)
    : QDialog(parent), m_language(language)
{
    setWindowTitle(texts::syncTitle.in(language));
    m_summary = wrappingLabel(this, 420);
    m_summary->setText(texts::keepLooking.in(language));
    m_removalsLabel = wrappingLabel(this, 420);
    m_removalsLabel->setText(texts::syncToRemove.in(language));
    m_removals = new QPlainTextEdit(this);
    m_removals->setObjectName(u"removals"_s);
    m_removals->setReadOnly(true);
    m_removals->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_removals->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_removals->setAccessibleName(texts::syncToRemove.spokenIn(language));
    m_removals->setTabChangesFocus(true);
    m_removeUnnamed = new QCheckBox(this);
    m_removeUnnamed->setObjectName(u"removeUnnamed"_s);
    m_removeNamed = new QCheckBox(this);
    m_removeNamed->setObjectName(u"removeNamed"_s);
    m_changedLabel = wrappingLabel(this, 420);
    m_keepChanges = new QRadioButton(texts::syncKeepChanges.in(language), this);
    m_keepChanges->setObjectName(u"keepChanges"_s);
    m_replaceChanges = new QRadioButton(texts::syncReplaceChanges.in(language), this);
    m_replaceChanges->setObjectName(u"replaceChanges"_s);
    m_keepChanges->setChecked(true);
    auto *changes = new QButtonGroup(this);
    changes->addButton(m_keepChanges);
    changes->addButton(m_replaceChanges);

    auto *buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(texts::syncStart.in(language), QDialogButtonBox::AcceptRole);
    m_start->setObjectName(u"start"_s);
    m_start->setEnabled(false);
    m_start->setDefault(true);
    m_cancel = buttons->addButton(texts::sendCancel.in(language), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    for (QWidget *widget :
         {static_cast<QWidget *>(m_summary), static_cast<QWidget *>(m_removalsLabel),
          static_cast<QWidget *>(m_removals), static_cast<QWidget *>(m_removeUnnamed),
          static_cast<QWidget *>(m_removeNamed), static_cast<QWidget *>(m_changedLabel),
          static_cast<QWidget *>(m_keepChanges), static_cast<QWidget *>(m_replaceChanges)}) {
        layout->addWidget(widget);
        if (widget != m_summary)
            widget->hide();
    }
    layout->addStretch();
    layout->addWidget(buttons);
}

void SyncPlanDialog::showPlan(const SyncOutline &plan)
{
    const Language l = m_language;
    if (!plan.failure.isEmpty() || plan.upToDate) {
        m_summary->setText(plan.upToDate ? texts::syncUpToDate.in(l) : plan.failure);
        m_cancel->setText(texts::keepClose.in(l));
        m_cancel->setDefault(true);
        return;
    }
    m_summary->setText(plan.summary(l));
    const QStringList lines = plan.removalLines(l);
    const auto named =
        std::count_if(plan.removals.cbegin(), plan.removals.cend(),
                      [](const SyncPlan::Removal &removal) { return !removal.namedBy.isEmpty(); });
    const qsizetype unnamed = plan.removals.size() - named;
    m_removals->setPlainText(lines.join(u'\n'));
    m_removalsLabel->setVisible(!lines.isEmpty());
    m_removals->setVisible(!lines.isEmpty());
    m_removeUnnamed->setText(texts::syncRemoveUnnamed.in(unnamed, l));
    m_removeUnnamed->setVisible(unnamed > 0);
    m_removeNamed->setText(texts::syncRemoveNamed.in(named, l));
    m_removeNamed->setVisible(named > 0);
    // The files a playlist of the user's still names go only with the others.
    m_removeNamed->setEnabled(unnamed == 0);
    connect(m_removeUnnamed, &QCheckBox::toggled, m_removeNamed, [this](bool checked) {
        m_removeNamed->setEnabled(checked);
        if (!checked)
            m_removeNamed->setChecked(false);
    });
    const QStringList &changed = plan.changedPlaylists;
    m_changedLabel->setText(texts::syncChanged.in(l).arg(changed.join(u", "_s)));
    for (QWidget *widget :
         {static_cast<QWidget *>(m_changedLabel), static_cast<QWidget *>(m_keepChanges),
          static_cast<QWidget *>(m_replaceChanges)})
        widget->setVisible(!changed.isEmpty());
    m_start->setEnabled(true);
    m_start->setFocus();
    adjustSize();
}

SyncSession::Removals SyncPlanDialog::removals() const
{
    if (!m_removeNamed->isHidden() && m_removeNamed->isChecked())
        return SyncSession::Removals::All;
    return !m_removeUnnamed->isHidden() && m_removeUnnamed->isChecked()
               ? SyncSession::Removals::Unnamed
               : SyncSession::Removals::None;
}

bool SyncPlanDialog::replaceChanged() const
{
    return m_replaceChanges->isChecked();
}
