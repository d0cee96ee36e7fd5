#pragma once

#include <memory>
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QHash>
#include <QStringList>

class LineWidths;
class QMimeData;

// An unsorted, single-selection list of text lines, numbered from 0.
// It scrolls sideways only over the extent it is given (setHorizontalExtent),
// never over a width it works out by itself, so callers decide when the
// sideways range is recomputed. A line wider than the room left for it is
// drawn without its middle, its whole text in its tool tip. It paints only the visible lines, so
// lists of tens of thousands of lines stay fast. Screen readers see it as a list of its lines
// (listboxaccessible.h).
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

    // Greys lines by their text (entries whose file is missing, say), drawn
    // greyed and in italics, for a check made on a copy of the lines
    // elsewhere, such as off the window's thread. linesToMark() ungreys every
    // line and gives that copy; each greyTexts() then greys the lines holding
    // one of its texts, given with the number of lines of the copy holding
    // it, and costs in proportion to those texts, however long the list.
    // Edits made since the copy are counted in, and a line added later with a
    // greyed text is greyed too. Greyed lines show the tool tip. Emptying the
    // list forgets them, and so does ungreyAll(); texts given after that, or
    // after marksComplete(), are ignored: they were found on lines that are
    // gone.
    QStringList linesToMark();
    void greyTexts(const QHash<QString, int> &linesInCopy, const QString &toolTip);
    void marksComplete();
    void ungreyAll();
    // How many lines are greyed now.
    int greyedCount() const { return m_greyedCount; }
    // Tool tips of lines by their text, shown where the line is not greyed.
    void setLineTips(const QHash<QString, QString> &tips) { m_lineTips = tips; }
    // The tool tip of a line: that of the greyed lines, or its own, or none.
    QString lineToolTip(int position) const;

    // Line whose text is drawn at a point of the viewport, or -1.
    int positionAt(const QPoint &viewportPoint) const;
    // Where a line is drawn in the viewport; outside it when scrolled away.
    QRect lineRect(int position) const;

    // Lets a line be dragged away, carrying dragData(). A press on a line
    // still selects it, but raises clicked() when the button is released,
    // and not at all once a drag has started: a drag is not a click.
    void setDragEnabled(bool enabled);
    // What a drag of a line carries (the caller owns it): by default that
    // line of this list, in lineFormat(), which draggedLine() recognises.
    virtual QMimeData *dragData(int position) const;
    // The line of this list that dragged data carries; -1 for other data,
    // lines of other lists among it.
    int draggedLine(const QMimeData *mime) const;
    static QString lineFormat();
    // Takes drops of data in any of these formats (lines only from this
    // list itself), and reports them with dropped(); none takes no drops.
    void setDropFormats(const QStringList &formats);

Q_SIGNALS:
    // Every click on a line, the selected one included (a double-click counts
    // once); Space or Enter on a line; every selection made in code. Moving
    // the selection with the arrow, Page, Home and End keys is no click.
    void clicked();
    void greyedCountChanged(int count);
    // Data was dropped between lines: before the line at position, or after
    // the last one when position is count(). A drag of a line of this list
    // is not acted on: receivers move it if they wish (see draggedLine).
    void dropped(int position, const QMimeData *mime);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;

private:
    // Selects a line without counting as a click.
    void moveSelection(int position);
    int lineHeight() const;
    int visibleLines() const;
    // Sets the scroll ranges, or for a hidden list marks them due.
    void updateScrollBars();
    void setRanges();
    void ensureVisible(int position);
    void forgetMeasurements();
    bool isGreyed(const QString &text) const { return m_greyed.contains(text); }
    // Notes lines holding text coming (+1) or going (-1); the change to the
    // number of greyed lines.
    int noteLines(const QString &text, int change);
    int noteLines(const QStringList &texts, int change);
    // Adds to the number of greyed lines, and says so when it changed.
    void countGreyed(int change);
    // Forgets every mark, without the window waiting for their tear-down.
    void forgetMarks();
    QFont lineFont() const;

    QStringList m_items;
    int m_selected = -1;
    bool m_rangesDue = false;
    int m_extent = 0;
    int m_measured = 0;
    int m_widest = 0;
    // Each greyed text, with the number of lines holding it now.
    QHash<QString, int> m_greyed;
    QString m_greyedToolTip;
    QHash<QString, QString> m_lineTips;
    int m_greyedCount = 0;
    // While marks are coming: the lines gained (or lost, below 0) since the
    // copy, by text, for the texts not greyed yet.
    bool m_marking = false;
    QHash<QString, int> m_sinceCopy;
    // Made on the first measurement and kept until the font changes.
    std::unique_ptr<LineWidths> m_widths;

    // Dragging lines away and dropping data on the list.
    bool takesDrop(QDropEvent *event) const;
    int dropPosition(const QPoint &viewportPoint) const;
    void showDropMark(const QPoint &viewportPoint);
    void hideDropMark();
    void startDrag(int position);

    bool m_dragEnabled = false;
    // A press on a line of a list whose lines can be dragged, while it may
    // still become a click or a drag: where it was and the line (-1 for none).
    QPoint m_pressPoint;
    int m_pressedLine = -1;
    QStringList m_dropFormats;
    // The line between two lines where a drop would land, and where the
    // pointer last hovered, so that scrolling near the edges can move it.
    QWidget *m_dropMark = nullptr;
    QPoint m_dropPoint;
    QBasicTimer m_dropScroll;
};
