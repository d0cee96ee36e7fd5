#include "controls/listbox.h"

#include "controls/design.h"
#include "controls/linewidths.h"
#include "controls/listboxaccessible.h"
#include "core/background.h"
#include "core/entry.h"

#include <algorithm>
#include <QApplication>
#include <QCoreApplication>
#include <QDrag>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <utility>

namespace {

// A line being dragged, known by the list it comes from: within the program
// a drop is handed the very data that the drag was given.
class LineData final : public QMimeData
{
public:
    LineData(const ListBox *from, int line) : source(from), position(line)
    {
        setData(ListBox::lineFormat(), QByteArray::number(line));
    }

    const ListBox *const source;
    const int position;
};

void installListBoxAccessible()
{
    QAccessible::installFactory(ListBoxAccessible::create);
}

} // namespace

// Once, as the application starts, rather than on every list made.
Q_COREAPP_STARTUP_FUNCTION(installListBoxAccessible)

ListBox::ListBox(QWidget *parent) : QAbstractScrollArea(parent)
{
    updateScrollBars();
}

ListBox::~ListBox() = default;

QString ListBox::item(int position) const
{
    if (position < 0 || position >= count())
        return {};
    return m_items.at(position);
}

void ListBox::addItem(const QString &text)
{
    m_items.append(text);
    countGreyed(noteLines(text, +1));
    listboxaccessible::linesInserted(*this, count() - 1, count() - 1);
    updateScrollBars();
    viewport()->update();
}

void ListBox::addItems(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    m_items.append(texts);
    countGreyed(noteLines(texts, +1));
    listboxaccessible::linesInserted(*this, count() - int(texts.size()), count() - 1);
    updateScrollBars();
    viewport()->update();
}

void ListBox::insertItem(int position, const QString &text)
{
    const int at = std::clamp(position, 0, count());
    m_items.insert(at, text);
    countGreyed(noteLines(text, +1));
    forgetMeasurements();
    if (m_selected >= at)
        ++m_selected;
    listboxaccessible::linesInserted(*this, at, at);
    updateScrollBars();
    viewport()->update();
}

bool ListBox::removeItem(int position)
{
    if (position < 0 || position >= count())
        return false;
    countGreyed(noteLines(m_items.at(position), -1));
    m_items.removeAt(position);
    forgetMeasurements();
    if (m_selected == position)
        m_selected = -1;
    else if (m_selected > position)
        --m_selected;
    listboxaccessible::lineRemoved(*this, position);
    updateScrollBars();
    viewport()->update();
    return true;
}

void ListBox::clear()
{
    // A hundred thousand lines take milliseconds to free: that happens off
    // the window's thread, like the marks' tear-down.
    if (!m_items.isEmpty())
        background::run([gone = std::exchange(m_items, {})]() mutable { gone = QStringList(); });
    ungreyAll();
    forgetMeasurements();
    m_selected = -1;
    listboxaccessible::linesCleared(*this);
    updateScrollBars();
    viewport()->update();
}

void ListBox::setSelectedPosition(int position)
{
    if (position >= count())
        return;
    moveSelection(position);
    Q_EMIT clicked();
}

void ListBox::moveSelection(int position)
{
    const int previous = m_selected;
    m_selected = position < 0 ? -1 : position;
    listboxaccessible::selectionMoved(*this, previous);
    ensureVisible(m_selected);
    viewport()->update();
}

QStringList ListBox::linesToMark()
{
    ungreyAll();
    m_marking = true;
    // Room for every line to be greyed: growing the marks as they come
    // would now and then rehash them all at once.
    m_greyed.reserve(count());
    return m_items;
}

void ListBox::greyTexts(const QHash<QString, int> &linesInCopy, const QString &toolTip)
{
    if (!m_marking)
        return;
    m_greyedToolTip = toolTip;
    int greyed = 0;
    for (auto text = linesInCopy.cbegin(); text != linesInCopy.cend(); ++text) {
        if (isGreyed(text.key()))
            continue;
        const int lines = text.value() + m_sinceCopy.take(text.key());
        m_greyed.insert(text.key(), lines);
        greyed += lines;
    }
    countGreyed(greyed);
    viewport()->update();
}

void ListBox::marksComplete()
{
    m_marking = false;
    m_sinceCopy.clear();
}

void ListBox::ungreyAll()
{
    forgetMarks();
    countGreyed(-m_greyedCount);
    viewport()->update();
}

void ListBox::forgetMarks()
{
    m_marking = false;
    if (m_greyed.isEmpty() && m_sinceCopy.isEmpty())
        return;
    // A mark for every line of a long list takes milliseconds to tear down.
    background::run([greyed = std::exchange(m_greyed, {}),
                     sinceCopy = std::exchange(m_sinceCopy, {})]() mutable {
        greyed = {};
        sinceCopy = {};
    });
}

int ListBox::noteLines(const QString &text, int change)
{
    if (const auto greyed = m_greyed.find(text); greyed != m_greyed.end()) {
        *greyed += change;
        return change;
    }
    if (m_marking)
        m_sinceCopy[text] += change;
    return 0;
}

int ListBox::noteLines(const QStringList &texts, int change)
{
    // Lists are filled before they are marked: then there is nothing to note.
    if (m_greyed.isEmpty() && !m_marking)
        return 0;
    int greyed = 0;
    for (const QString &text : texts)
        greyed += noteLines(text, change);
    return greyed;
}

QString ListBox::lineToolTip(int position) const
{
    if (position < 0 || position >= count())
        return {};
    return isGreyed(m_items.at(position)) ? m_greyedToolTip
                                          : m_lineTips.value(m_items.at(position));
}

void ListBox::countGreyed(int change)
{
    if (change == 0)
        return;
    m_greyedCount += change;
    Q_EMIT greyedCountChanged(m_greyedCount);
}

void ListBox::setHorizontalExtent(int pixels)
{
    m_extent = std::max(0, pixels);
    updateScrollBars();
    viewport()->update();
}

QFont ListBox::lineFont() const
{
    // Lines are file paths: skipping kerning and ligatures costs nothing
    // visible and makes measuring tens of thousands of them several times faster.
    QFont unshaped = font();
    unshaped.setStyleStrategy(QFont::PreferNoShaping);
    return unshaped;
}

QFontMetrics ListBox::lineMetrics() const
{
    return QFontMetrics(lineFont(), viewport());
}

int ListBox::widestLineWidth()
{
    if (!m_widths)
        m_widths = std::make_unique<LineWidths>(lineFont(), viewport());
    for (; m_measured < count(); ++m_measured)
        m_widest = std::max(m_widest, m_widths->width(m_items.at(m_measured)));
    return m_widest;
}

void ListBox::forgetMeasurements()
{
    m_measured = 0;
    m_widest = 0;
}

int ListBox::positionAt(const QPoint &viewportPoint) const
{
    if (!viewport()->rect().contains(viewportPoint))
        return -1;
    const int position = verticalScrollBar()->value() + viewportPoint.y() / lineHeight();
    return position < count() ? position : -1;
}

QRect ListBox::lineRect(int position) const
{
    const int height = lineHeight();
    return {0, (position - verticalScrollBar()->value()) * height, viewport()->width(), height};
}

void ListBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QFont font = lineFont();
    QFont missingFont = font;
    missingFont.setItalic(true);
    const int height = lineHeight();
    const int width = viewport()->width();
    const int textX = 2 - horizontalScrollBar()->value();
    const int first = verticalScrollBar()->value() + event->rect().top() / height;
    const int last =
        std::min(count() - 1, verticalScrollBar()->value() + event->rect().bottom() / height);
    const QFontMetrics metrics = lineMetrics();
    const QFontMetrics missingMetrics(missingFont, viewport());
    const int ascent = metrics.ascent();
    // A long line loses its middle rather than its end, which names the
    // track; scrolling sideways brings the rest back.
    const int room = width - textX - 2;
    // A list without the focus shows its selection in the inactive colours,
    // so that the focused one stands out.
    QPalette colours = palette();
    colours.setCurrentColorGroup(!isEnabled() ? QPalette::Disabled
                                 : hasFocus() ? QPalette::Active
                                              : QPalette::Inactive);
    // Lines of missing tracks: a grey that stays readable, and italics, so
    // that they do not rest on colour alone.
    const QColor missing =
        mutedTextColour(colours.color(QPalette::Text), colours.color(QPalette::Base));

    for (int position = first; position <= last; ++position) {
        const QRect line(0, (position - verticalScrollBar()->value()) * height, width, height);
        const bool selected = position == m_selected;
        if (selected)
            painter.fillRect(line, colours.brush(QPalette::Highlight));
        const QString &text = m_items.at(position);
        const bool greyed = isGreyed(text);
        painter.setFont(greyed ? missingFont : font);
        painter.setPen(selected ? colours.color(QPalette::HighlightedText)
                       : greyed ? missing
                                : colours.color(QPalette::Text));
        painter.drawText(QPoint(textX, line.top() + ascent),
                         (greyed ? missingMetrics : metrics)
                             .elidedText(withVisibleMarks(text), Qt::ElideMiddle, room));
    }

    // The focus mark is on the selected line or, with none selected, on the
    // first, where the arrow keys start. When that line is scrolled away the
    // whole view carries it: focus is never invisible. It is drawn here, not
    // left to the style, as some styles draw none.
    if (hasFocus()) {
        QRect mark = lineRect(std::max(m_selected, 0));
        bool onSelection = m_selected >= 0;
        if (!viewport()->rect().intersects(mark)) {
            mark = viewport()->rect();
            onSelection = false;
        }
        painter.setPen(QPen(colours.color(onSelection ? QPalette::HighlightedText : QPalette::Text),
                            1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(mark.adjusted(0, 0, -1, -1));
    }
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    // Every click on a line counts, the selected one included: clicking a
    // track twice adds it twice, and clicking the open playlist opens it again.
    const int position = positionAt(event->position().toPoint());
    if (position < 0)
        return;
    if (!m_dragEnabled) {
        setSelectedPosition(position);
        return;
    }
    // The press may begin a drag rather than a click: the line is selected
    // now, and the click waits for the release.
    m_selected = position;
    ensureVisible(position);
    viewport()->update();
    m_pressPoint = event->position().toPoint();
    m_pressedLine = position;
}

void ListBox::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedLine < 0 || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    // Moved far enough with a line pressed, the pointer drags the line.
    event->accept();
    const int moved = (event->position().toPoint() - m_pressPoint).manhattanLength();
    if (moved < QApplication::startDragDistance())
        return;
    const int line = std::exchange(m_pressedLine, -1);
    if (line < count())
        startDrag(line);
}

void ListBox::startDrag(int position)
{
    auto *drag = new QDrag(this);
    drag->setMimeData(dragData(position));
    // Only a line of the list itself moves; whatever else is dragged away is
    // copied, so that a file dragged to a file manager is never moved away.
    drag->exec(draggedLine(drag->mimeData()) >= 0 ? Qt::MoveAction : Qt::CopyAction);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click comes as this event and counts for
    // nothing: a double-click is one click, so that double-clicking a track
    // out of habit adds it once.
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    // The press selected a line; its release is ours too, not the window's.
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    // A click on the line pressed, unless the keyboard has meanwhile
    // selected another, which counted then.
    if (std::exchange(m_pressedLine, -1) == m_selected && m_selected >= 0)
        setSelectedPosition(m_selected);
}

void ListBox::setDragEnabled(bool enabled)
{
    m_dragEnabled = enabled;
}

QMimeData *ListBox::dragData(int position) const
{
    return new LineData(this, position);
}

int ListBox::draggedLine(const QMimeData *mime) const
{
    const auto *line = dynamic_cast<const LineData *>(mime);
    return line && line->source == this && line->position < count() ? line->position : -1;
}

QString ListBox::lineFormat()
{
    return QStringLiteral("application/x-zarvello-list-line");
}

void ListBox::setDropFormats(const QStringList &formats)
{
    m_dropFormats = formats;
    viewport()->setAcceptDrops(!formats.isEmpty());
}

bool ListBox::takesDrop(QDropEvent *event) const
{
    const QMimeData *mime = event->mimeData();
    const bool ownLine = draggedLine(mime) >= 0;
    // Anything but a line of this list is taken as a copy, whatever the
    // source offers, so that no file manager deletes a file dropped here.
    const Qt::DropAction action = ownLine ? Qt::MoveAction : Qt::CopyAction;
    const bool taken =
        (event->possibleActions() & action) &&
        std::any_of(m_dropFormats.cbegin(), m_dropFormats.cend(), [&](const QString &format) {
            return format == lineFormat() ? ownLine : mime->hasFormat(format);
        });
    if (taken) {
        event->setDropAction(action);
        event->accept();
    } else {
        event->ignore();
    }
    return taken;
}

int ListBox::dropPosition(const QPoint &viewportPoint) const
{
    // Past the middle of a line, a drop lands after it.
    const int height = lineHeight();
    const int position = verticalScrollBar()->value() + (viewportPoint.y() + height / 2) / height;
    return std::clamp(position, 0, count());
}

void ListBox::showDropMark(const QPoint &viewportPoint)
{
    if (!m_dropMark) {
        m_dropMark = new QWidget(viewport());
        m_dropMark->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_dropMark->setBackgroundRole(QPalette::Text);
        m_dropMark->setAutoFillBackground(true);
    }
    m_dropPoint = viewportPoint;
    const int boundary =
        (dropPosition(viewportPoint) - verticalScrollBar()->value()) * lineHeight();
    m_dropMark->setGeometry(0, boundary - 1, viewport()->width(), 2);
    m_dropMark->show();
    // Within a line of the top or bottom edge the list scrolls, so that a
    // drop can reach lines out of view.
    const int edge = lineHeight();
    if (viewportPoint.y() >= edge && viewportPoint.y() < viewport()->height() - edge)
        m_dropScroll.stop();
    else if (!m_dropScroll.isActive())
        m_dropScroll.start(50, this);
}

void ListBox::hideDropMark()
{
    m_dropScroll.stop();
    if (m_dropMark)
        m_dropMark->hide();
}

void ListBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (takesDrop(event))
        showDropMark(event->position().toPoint());
}

void ListBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (takesDrop(event))
        showDropMark(event->position().toPoint());
    else
        hideDropMark();
}

void ListBox::dragLeaveEvent(QDragLeaveEvent *event)
{
    hideDropMark();
    event->accept();
}

void ListBox::dropEvent(QDropEvent *event)
{
    hideDropMark();
    if (takesDrop(event))
        Q_EMIT dropped(dropPosition(event->position().toPoint()), event->mimeData());
}

void ListBox::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_dropScroll.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    QScrollBar *vertical = verticalScrollBar();
    vertical->setValue(vertical->value() + (m_dropPoint.y() < lineHeight() ? -1 : 1));
    showDropMark(m_dropPoint);
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int page = std::max(visibleLines() - 1, 1);
    const int from = std::max(m_selected, 0);
    int target;
    switch (event->key()) {
    case Qt::Key_Up:
        target = m_selected < 0 ? 0 : m_selected - 1;
        break;
    case Qt::Key_Down:
        target = m_selected < 0 ? 0 : m_selected + 1;
        break;
    case Qt::Key_PageUp:
        target = from - page;
        break;
    case Qt::Key_PageDown:
        target = m_selected < 0 ? 0 : from + page;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count() - 1;
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The line with the focus mark acts, as a click on it would.
        event->accept();
        if (count() > 0)
            setSelectedPosition(std::max(m_selected, 0));
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    // Moving only moves: looking through a list acts on none of its lines.
    event->accept();
    if (count() == 0)
        return;
    target = std::clamp(target, 0, count() - 1);
    if (target != m_selected)
        moveSelection(target);
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    listboxaccessible::focusEntered(*this);
}

void ListBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ListBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ListBox::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_widths.reset();
        forgetMeasurements();
        updateScrollBars();
        viewport()->update();
    }
}

bool ListBox::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int position = positionAt(help->pos());
        QString tip = lineToolTip(position);
        // A line cut off by the edge shows whole in its tool tip.
        const QString text = item(position);
        if (2 + lineMetrics().horizontalAdvance(text) - horizontalScrollBar()->value() >
            viewport()->width())
            tip = tip.isEmpty() ? text : text + u'\n' + tip;
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void ListBox::scrollContentsBy(int, int)
{
    // The vertical value counts lines, not pixels, so the whole view is redrawn.
    viewport()->update();
}

int ListBox::lineHeight() const
{
    return std::max(fontMetrics().height(), 1);
}

int ListBox::visibleLines() const
{
    return std::max(viewport()->height() / lineHeight(), 1);
}

void ListBox::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    if (m_rangesDue)
        setRanges();
}

void ListBox::updateScrollBars()
{
    // Measuring the lines loads the list's font: a list nobody sees yet,
    // such as those of a window being built, waits until it is shown or
    // has to scroll.
    if (isVisible())
        setRanges();
    else
        m_rangesDue = true;
}

void ListBox::setRanges()
{
    m_rangesDue = false;
    const int lines = visibleLines();
    QScrollBar *vertical = verticalScrollBar();
    vertical->setPageStep(lines);
    vertical->setRange(0, std::max(count() - lines, 0));

    const int width = viewport()->width();
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setPageStep(std::max(width, 1));
    horizontal->setSingleStep(std::max(fontMetrics().averageCharWidth(), 1));
    horizontal->setRange(0, std::max(m_extent - width, 0));
}

void ListBox::ensureVisible(int position)
{
    if (position < 0)
        return;
    if (m_rangesDue)
        setRanges();
    QScrollBar *vertical = verticalScrollBar();
    const int top = vertical->value();
    const int lines = visibleLines();
    if (position < top)
        vertical->setValue(position);
    else if (position >= top + lines)
        vertical->setValue(position - lines + 1);
}
