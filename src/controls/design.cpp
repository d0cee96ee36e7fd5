#include "controls/design.h"

#include <algorithm>
#include <cmath>
#include <QColor>
#include <QEvent>
#include <QWidget>

QFont designFont(const QString &family, qreal points, int styles)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(styles & Bold);
    font.setItalic(styles & Italic);
    font.setUnderline(styles & Underline);
    return font;
}

void setFontWhenShown(QWidget *control, const QFont &font)
{
    class FontOnShow : public QObject
    {
    public:
        FontOnShow(QWidget *control, const QFont &font) : QObject(control), m_font(font)
        {
            control->installEventFilter(this);
        }
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Show) {
                watched->removeEventFilter(this);
                static_cast<QWidget *>(watched)->setFont(m_font);
                deleteLater();
            }
            return false;
        }

    private:
        QFont m_font;
    };
    new FontOnShow(control, font);
}

Qt::WindowFlags fixedFrame(Qt::WindowType type)
{
    return type | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

namespace {

double relativeLuminance(const QColor &colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor mutedTextColour(const QColor &text, const QColor &background)
{
    // As far towards the background as the contrast allows, and no further
    // than half way, so that it still reads as text.
    constexpr double minimumContrast = 4.5;
    for (double share = 0.5; share > 0; share -= 0.05) {
        const QColor candidate = mixed(text, background, share);
        if (contrastRatio(candidate, background) >= minimumContrast)
            return candidate;
    }
    return text;
}

void centreOver(QWidget &window, const QWidget &owner)
{
    window.move(owner.frameGeometry().center() - window.rect().center());
}
