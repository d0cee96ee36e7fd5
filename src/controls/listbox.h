#pragma once

#include <memory>
#include <QAbstractScrollArea>
#include <QSet>
#include <QStringList>

class LineWidths;

// An unsorted, single-selection list of text lines, numbered from 0.
// It scrolls sideways only over the extent it is given (setHorizontalExtent),
// never over a width it works out by itself, so callers decide when the
// sideways range is recomputed. It paints only the visible lines, so lists of
// tens of thousands of lines stay fast. Screen readers see it as a list of
// its lines (listboxaccessible.h).
class ListBox : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);
    ~ListBox() override;

    int count() const { return int(m_items.size()); }
    QString item(int position) const;
    const QStringList &items() const { return m_items; }

    void addItem(const QString &text);
    void addItems(const QStringList &texts);
    // Inserts before position; a position at or past the end appends.
    void insertItem(int position, const QString &text);
    // False, with nothing changed, when position names no line (such as -1).
    bool removeItem(int position);
    void clear();

    // -1 when no line is selected.
    int selectedPosition() const { return m_selected; }
    // Selects a line (-1 clears the selection) and raises clicked(), even when
    // that line was already selected. A position past the end is ignored.
    void setSelectedPosition(int position);
    int selectedCount() const { return m_selected < 0 ? 0 : 1; }

    // Width in pixels over which the list scrolls sideways; the scroll bar
    // shows only when it exceeds the visible width.
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return m_extent; }

    // Metrics of the font lines are drawn in: the list's font, unshaped, so
    // that long lists measure quickly (see widestLineWidth).
    QFontMetrics lineMetrics() const;

    // Width in pixels of the widest line in the list's font. Lines appended
    // since the last call are the only ones measured, unless the list changed
    // in another way, so measuring after every append stays linear.
    int widestLineWidth();

    // Lines whose text is one of these are drawn greyed and show the tool tip
    // (entries whose file is missing, say), in addition to those greyed
    // before. Emptying the list forgets them, and so does ungreyAll().
    void greyTexts(const QStringList &texts, const QString &toolTip);
    void ungreyAll();
    // How many lines are greyed now.
    int greyedCount() const { return m_greyedCount; }
    // The tool tip of a line: that of the greyed lines, or none.
    QString lineToolTip(int position) const;

    // Line whose text is drawn at a point of the viewport, or -1.
    int positionAt(const QPoint &viewportPoint) const;
    // Where a line is drawn in the viewport; outside it when scrolled away.
    QRect lineRect(int position) const;

Q_SIGNALS:
    // Every click on a line, the selected one included; every change of the
    // selection by keyboard; every selection made in code.
    void clicked();
    void greyedCountChanged(int count);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;

private:
    int lineHeight() const;
    int visibleLines() const;
    void updateScrollBars();
    void ensureVisible(int position);
    void forgetMeasurements();
    bool isGreyed(const QString &text) const { return m_greyed.contains(text); }
    // Adds to the number of greyed lines, and says so when it changed.
    void countGreyed(int change);
    QFont lineFont() const;

    QStringList m_items;
    int m_selected = -1;
    int m_extent = 0;
    int m_measured = 0;
    int m_widest = 0;
    QSet<QString> m_greyed;
    QString m_greyedToolTip;
    int m_greyedCount = 0;
    // Made on the first measurement and kept until the font changes.
    std::unique_ptr<LineWidths> m_widths;
};
