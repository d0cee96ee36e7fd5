#pragma once

#include "core/texts.h"

#include <QWidget>

// A volume's space as a bar: what stays used, what a sync adds, and what is
// free after it; what will not fit is drawn past the end, in red. Screen
// readers read it by its description, the same numbers in words.
class CapacityBar : public QWidget
{
    Q_OBJECT
public:
    explicit CapacityBar(QWidget *parent = nullptr);

    // total: the volume's size; freeNow: free before; freed: what removals
    // give back; added: what is written. Unknown sizes are negative.
    void setSpace(qint64 total, qint64 freeNow, qint64 freed, qint64 added);
    // The free space after, negative for what will not fit.
    qint64 freeAfter() const { return m_freeNow + m_freed - m_added; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qint64 m_total = -1;
    qint64 m_freeNow = -1;
    qint64 m_freed = 0;
    qint64 m_added = 0;
};

// The numbers the bar draws, in a sentence.
QString capacityText(qint64 total, qint64 freeNow, qint64 freeAfter, Language language);
