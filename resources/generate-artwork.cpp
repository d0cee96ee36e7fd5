// Draws every picture of Zarvello's resources folder. Built and run by generate-artwork.sh:
//   generate-artwork <output folder> <folder for the animation frames>
// Everything is computed from fixed numbers and a fixed-seed generator, so the output is the
// same on every run.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Our own xorshift generator: std distributions differ between library versions, this does not.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    double uniform()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return double(m_state >> 11) / double(std::uint64_t(1) << 53);
    }
    double range(double low, double high) { return low + (high - low) * uniform(); }
    // Sum of uniforms: close enough to a normal distribution for film grain.
    double gauss()
    {
        double sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += uniform();
        return (sum - 2.0) * std::sqrt(3.0);
    }

private:
    std::uint64_t m_state;
};

struct Rgb
{
    double r = 0, g = 0, b = 0;
};

Rgb hex(std::uint32_t value)
{
    return {((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0, (value & 0xff) / 255.0};
}

Rgb mix(const Rgb &a, const Rgb &b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// Colour ramp through stops given in increasing order, eased between neighbours.
struct Stop
{
    double at;
    Rgb colour;
};

Rgb ramp(const std::vector<Stop> &stops, double t)
{
    if (t <= stops.front().at)
        return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            const double local = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return mix(stops[i - 1].colour, stops[i].colour, smoothstep(0, 1, local));
        }
    }
    return stops.back().colour;
}

// Floating-point picture for the smooth parts; converting to 8 bits adds a little noise so the
// long gradients do not show bands.
class Canvas
{
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_pixels(width * height) {}
    Rgb &at(int x, int y) { return m_pixels[y * m_width + x]; }
    void blend(int x, int y, const Rgb &colour, double alpha)
    {
        Rgb &p = at(x, y);
        p = mix(p, colour, clamp01(alpha));
    }
    QImage toImage(Rng &rng, double grain) const
    {
        QImage image(m_width, m_height, QImage::Format_RGB32);
        for (int y = 0; y < m_height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < m_width; ++x) {
                const Rgb &p = m_pixels[y * m_width + x];
                // Film grain is mostly brightness, with a little colour on top.
                const double shared = grain * rng.gauss();
                auto channel = [&](double v) {
                    const double dither = rng.uniform() - rng.uniform();
                    const double noise = shared + 0.35 * grain * rng.gauss();
                    return int(std::clamp(v * 255.0 + dither + noise + 0.5, 0.0, 255.0));
                };
                line[x] = qRgb(channel(p.r), channel(p.g), channel(p.b));
            }
        }
        return image;
    }

private:
    int m_width;
    int m_height;
    std::vector<Rgb> m_pixels;
};

// Three box passes approximate a Gaussian blur; used for soft shadows.
void blur(QImage &image, int radius)
{
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = image.width();
    const int height = image.height();
    for (int pass = 0; pass < 3; ++pass) {
        for (int vertical = 0; vertical < 2; ++vertical) {
            const int length = vertical ? height : width;
            const int lines = vertical ? width : height;
            std::vector<QRgb> source(length);
            for (int line = 0; line < lines; ++line) {
                auto pixel = [&](int i) -> QRgb & {
                    const int x = vertical ? line : i;
                    const int y = vertical ? i : line;
                    return reinterpret_cast<QRgb *>(image.scanLine(y))[x];
                };
                for (int i = 0; i < length; ++i)
                    source[i] = pixel(i);
                for (int i = 0; i < length; ++i) {
                    int sum[4] = {0, 0, 0, 0};
                    for (int j = std::max(0, i - radius); j <= std::min(length - 1, i + radius);
                         ++j) {
                        sum[0] += qAlpha(source[j]);
                        sum[1] += qRed(source[j]);
                        sum[2] += qGreen(source[j]);
                        sum[3] += qBlue(source[j]);
                    }
                    const int count = 2 * radius + 1;
                    pixel(i) =
                        qRgba(sum[1] / count, sum[2] / count, sum[3] / count, sum[0] / count);
                }
            }
        }
    }
}

bool save(const QImage &image, const QString &folder, const char *name, int quality = -1)
{
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    if (image.save(path, nullptr, quality))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// ---------------------------------------------------------------------------------------------
// Main window background, also the ground of the console cover.

// A sine-shaped edge; the area under it is lit and the light fades with depth.
struct Wave
{
    double base, amplitude, length, phase;
    double ripple, rippleLength, ripplePhase;
    double strength, fade;
    double y(double x) const
    {
        return base + amplitude * std::sin(2 * kPi * x / length + phase) +
               ripple * std::sin(2 * kPi * x / rippleLength + ripplePhase);
    }
};

QImage violetBackdrop()
{
    const int width = 618, height = 350;
    Canvas canvas(width, height);
    const std::vector<Stop> ground = {
        {0.0, hex(0x2a1160)}, {0.38, hex(0x5a2190)}, {0.72, hex(0x9a2d95)}, {1.0, hex(0xc23b87)}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double t = 0.78 * x / width + 0.32 * y / height;
            Rgb c = ramp(ground, t / 1.1);
            // A soft light behind the middle keeps the centre lively and the corners deep.
            const double dx = (x - 330.0) / 360.0, dy = (y - 150.0) / 260.0;
            const double glow = std::exp(-(dx * dx + dy * dy) * 2.2);
            c = mix(c, hex(0xd45ab0), 0.22 * glow);
            const double vignette = 1.0 - 0.28 * smoothstep(0.35, 1.3, dx * dx + dy * dy);
            canvas.at(x, y) = {c.r * vignette, c.g * vignette, c.b * vignette};
        }
    }

    // Kept faint in the top strip and the middle, where white captions are drawn.
    const Wave waves[] = {
        {250, 26, 700, 0.6, 8, 230, 1.7, 0.16, 55}, {280, 20, 560, 2.4, 6, 190, 0.3, 0.13, 40},
        {205, 30, 820, 3.9, 7, 260, 2.2, 0.09, 70}, {312, 14, 430, 1.1, 5, 150, 4.0, 0.12, 30},
        {92, 22, 900, 4.6, 6, 310, 0.9, 0.055, 60},
    };
    const Rgb light = hex(0xffd8f4);
    for (const Wave &wave : waves) {
        for (int x = 0; x < width; ++x) {
            const double edge = wave.y(x);
            const double slope = wave.y(x + 0.5) - wave.y(x - 0.5);
            const double normal = 1.0 / std::sqrt(1 + slope * slope);
            for (int y = 0; y < height; ++y) {
                const double d = (y - edge) * normal;
                // Anti-aliased edge, body fading with depth, and a thin brighter crest line.
                const double body =
                    smoothstep(-0.8, 0.8, d) * std::exp(-std::max(d, 0.0) / wave.fade);
                const double crest = std::exp(-(d * d) / 1.6);
                canvas.blend(x, y, light, wave.strength * (body + 0.9 * crest));
            }
        }
    }

    // A few out-of-focus light discs.
    struct Disc
    {
        double x, y, r, alpha;
    };
    const Disc discs[] = {{520, 70, 26, 0.07}, {565, 120, 12, 0.08}, {470, 300, 18, 0.06},
                          {90, 300, 22, 0.05}, {380, 40, 9, 0.06},   {250, 320, 8, 0.07}};
    for (const Disc &disc : discs) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const double d = std::hypot(x - disc.x, y - disc.y);
                const double inside = smoothstep(disc.r + 1, disc.r - 1, d);
                canvas.blend(x, y, light, disc.alpha * inside * (0.7 + 0.3 * d / disc.r));
            }
        }
    }

    Rng rng(0x5a4e3c2d1b0a9988);
    return canvas.toImage(rng, 0.0);
}

// ---------------------------------------------------------------------------------------------
// Console cover: the right half of a black handheld, its left half cut off by the frame.

void drawFaceButton(QPainter &p, QPointF centre, int symbol)
{
    const double radius = 9.4;
    // Recess shadow, then the cap itself lit from the top left.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawEllipse(centre + QPointF(0.6, 1.4), radius + 1.2, radius + 1.2);
    QRadialGradient cap(centre + QPointF(-2.5, -3.5), radius * 1.6);
    cap.setColorAt(0, QColor(0x4a, 0x4a, 0x55));
    cap.setColorAt(0.55, QColor(0x1e, 0x1e, 0x25));
    cap.setColorAt(1, QColor(0x08, 0x08, 0x0b));
    p.setBrush(cap);
    p.drawEllipse(centre, radius, radius);
    QLinearGradient rim(centre.x(), centre.y() - radius, centre.x(), centre.y() + radius);
    rim.setColorAt(0, QColor(255, 255, 255, 110));
    rim.setColorAt(0.5, QColor(255, 255, 255, 0));
    rim.setColorAt(1, QColor(255, 255, 255, 25));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 0.9));
    p.drawEllipse(centre, radius - 0.5, radius - 0.5);

    // The classic symbol colours: green triangle, red circle, blue cross, pink square.
    static const QColor colours[] = {QColor(0x3d, 0xe0, 0xa6), QColor(0xff, 0x5c, 0x6c),
                                     QColor(0x6c, 0x9c, 0xff), QColor(0xf2, 0x7c, 0xe0)};
    QPainterPath shape;
    switch (symbol) {
    case 0: {
        const double s = 5.3;
        shape.moveTo(centre + QPointF(0, -s));
        shape.lineTo(centre + QPointF(s * 0.95, s * 0.62));
        shape.lineTo(centre + QPointF(-s * 0.95, s * 0.62));
        shape.closeSubpath();
        break;
    }
    case 1:
        shape.addEllipse(centre, 4.6, 4.6);
        break;
    case 2:
        shape.moveTo(centre + QPointF(-3.9, -3.9));
        shape.lineTo(centre + QPointF(3.9, 3.9));
        shape.moveTo(centre + QPointF(3.9, -3.9));
        shape.lineTo(centre + QPointF(-3.9, 3.9));
        break;
    default:
        shape.addRect(QRectF(centre - QPointF(3.8, 3.8), QSizeF(7.6, 7.6)));
        break;
    }
    QColor halo = colours[symbol];
    halo.setAlpha(60);
    p.setPen(QPen(halo, 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
    p.setPen(QPen(colours[symbol], 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
}

QImage consoleCover(const QImage &backdrop)
{
    QImage image = backdrop.copy(0, 0, 210, 350).convertToFormat(QImage::Format_RGB32);
    // The console's centre line sits on the picture's left edge.
    const QRectF body(-180, 104, 352, 148);
    QPainterPath outline;
    outline.addRoundedRect(body, 60, 74);

    // Soft shadow so the black body sits on the violet rather than being pasted on it.
    QImage shadow(image.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter s(&shadow);
        s.setRenderHint(QPainter::Antialiasing);
        s.translate(3, 12);
        s.fillPath(outline, QColor(10, 0, 25, 170));
    }
    blur(shadow, 7);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, shadow);

    // Right shoulder button: a copy of the outline raised a little, mostly hidden by the body.
    {
        QPainterPath raised;
        raised.addRoundedRect(body.translated(0, -3.2).adjusted(0, 0, -2, 0), 60, 74);
        QPainterPath reach;
        reach.addRoundedRect(QRectF(76, 96, 140, 40), 3, 3);
        QLinearGradient g(0, 100, 0, 110);
        g.setColorAt(0, QColor(0x5c, 0x5c, 0x68));
        g.setColorAt(1, QColor(0x16, 0x16, 0x1b));
        p.fillPath(raised.intersected(reach), g);
    }

    // Glossy black body.
    QLinearGradient shell(0, body.top(), 0, body.bottom());
    shell.setColorAt(0, QColor(0x3a, 0x3a, 0x44));
    shell.setColorAt(0.07, QColor(0x17, 0x17, 0x1c));
    shell.setColorAt(0.5, QColor(0x09, 0x09, 0x0c));
    shell.setColorAt(0.9, QColor(0x10, 0x10, 0x14));
    shell.setColorAt(1, QColor(0x2a, 0x2a, 0x32));
    p.fillPath(outline, shell);

    p.save();
    p.setClipPath(outline);
    // Broad reflection of a window over the upper half.
    QPainterPath sheen;
    sheen.addEllipse(QRectF(-260, 20, 500, 150));
    QLinearGradient sheenFill(0, body.top(), 0, body.top() + 70);
    sheenFill.setColorAt(0, QColor(255, 255, 255, 46));
    sheenFill.setColorAt(1, QColor(255, 255, 255, 4));
    p.fillPath(sheen, sheenFill);
    // Reflected violet light along the bottom edge ties the body to the background.
    QLinearGradient bounce(0, body.bottom() - 22, 0, body.bottom());
    bounce.setColorAt(0, QColor(170, 70, 200, 0));
    bounce.setColorAt(1, QColor(170, 70, 200, 60));
    p.fillRect(body, bounce);
    // Seam between front and back, following the outline a few pixels in.
    QPainterPath seam;
    seam.addRoundedRect(body.adjusted(-10, 4, -4, -4), 56, 70);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(seam);
    p.restore();

    QLinearGradient edge(0, body.top(), 0, body.bottom());
    edge.setColorAt(0, QColor(0x9a, 0x9a, 0xae));
    edge.setColorAt(0.4, QColor(0x40, 0x40, 0x4c));
    edge.setColorAt(1, QColor(0x06, 0x06, 0x08));
    p.setPen(QPen(QBrush(edge), 1.3));
    p.drawPath(outline);
    // Light caught by the curved right end.
    QPainterPath highlight;
    const QRectF end(body.right() - 117, body.top() + 2.5, 114.5, 143);
    highlight.arcMoveTo(end, 8);
    highlight.arcTo(end, 8, 62);
    QLinearGradient highlightPen(body.right(), body.top() + 60, body.right() - 50, body.top());
    highlightPen.setColorAt(0, QColor(255, 255, 255, 0));
    highlightPen.setColorAt(0.5, QColor(255, 255, 255, 80));
    highlightPen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(highlightPen), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(highlight);

    // Screen: dark glass in a thin bezel, with a diagonal reflection.
    const QRectF screen(-110, 121, 206, 114);
    QPainterPath glass;
    glass.addRoundedRect(screen, 3, 3);
    p.setPen(QPen(QColor(0x2e, 0x2e, 0x38), 2.2));
    p.setBrush(QColor(0x03, 0x03, 0x05));
    p.drawPath(glass);
    QLinearGradient depth(0, screen.top(), 0, screen.bottom());
    depth.setColorAt(0, QColor(0x16, 0x14, 0x24));
    depth.setColorAt(1, QColor(0x05, 0x05, 0x08));
    p.fillPath(glass, depth);
    p.save();
    p.setClipPath(glass);
    QPainterPath streak;
    streak.moveTo(10, screen.top());
    streak.lineTo(62, screen.top());
    streak.lineTo(-8, screen.bottom());
    streak.lineTo(-60, screen.bottom());
    streak.closeSubpath();
    QLinearGradient streakFill(0, screen.top(), 0, screen.bottom());
    streakFill.setColorAt(0, QColor(255, 255, 255, 30));
    streakFill.setColorAt(1, QColor(255, 255, 255, 6));
    p.fillPath(streak, streakFill);
    QPainterPath thin;
    thin.moveTo(72, screen.top());
    thin.lineTo(80, screen.top());
    thin.lineTo(10, screen.bottom());
    thin.lineTo(2, screen.bottom());
    thin.closeSubpath();
    p.fillPath(thin, QColor(255, 255, 255, 12));
    p.restore();

    // Small buttons under the screen, and a speaker grille beside them.
    for (double x : {38.0, 62.0}) {
        QPainterPath pill;
        pill.addRoundedRect(QRectF(x, 241.5, 14, 4.6), 2.3, 2.3);
        p.fillPath(pill.translated(0, 0.8), QColor(0, 0, 0, 180));
        QLinearGradient pillFill(0, 241.5, 0, 246);
        pillFill.setColorAt(0, QColor(0x55, 0x55, 0x62));
        pillFill.setColorAt(1, QColor(0x1c, 0x1c, 0x22));
        p.fillPath(pill, pillFill);
    }
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            const QPointF hole(122 + col * 4.2 + (row % 2) * 2.1, 231 + row * 3.6);
            p.setBrush(QColor(0x2a, 0x2a, 0x33));
            p.drawEllipse(hole + QPointF(0, 0.5), 1.1, 1.1);
            p.setBrush(QColor(0, 0, 0));
            p.drawEllipse(hole, 1.0, 1.0);
        }
    }

    // Face buttons in a diamond: triangle, circle, cross, square.
    const QPointF centre(134, 176);
    const double spread = 20;
    drawFaceButton(p, centre + QPointF(0, -spread), 0);
    drawFaceButton(p, centre + QPointF(spread, 0), 1);
    drawFaceButton(p, centre + QPointF(0, spread), 2);
    drawFaceButton(p, centre + QPointF(-spread, 0), 3);
    p.end();
    return image;
}

// ---------------------------------------------------------------------------------------------
// Program icon: a handheld with a beamed pair of notes on its screen, drawn on a 32-unit grid.

QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // Edges sit on whole pixels at every size; borders are one real pixel wide.
    const double pixel = 32.0 / size;
    const bool small = size < 24;

    const QRectF body(0, 6, 32, 20);
    QPainterPath rim;
    rim.addRoundedRect(body, 10, 10);
    p.fillPath(rim, QColor(0x0c, 0x0c, 0x12));
    const QRectF inner = body.adjusted(pixel, pixel, -pixel, -pixel);
    QPainterPath shell;
    shell.addRoundedRect(inner, 10 - pixel, 10 - pixel);
    QLinearGradient shellFill(0, inner.top(), 0, inner.bottom());
    shellFill.setColorAt(0, QColor(0x6c, 0x71, 0x86));
    shellFill.setColorAt(0.4, QColor(0x34, 0x37, 0x46));
    shellFill.setColorAt(1, QColor(0x18, 0x19, 0x21));
    p.fillPath(shell, shellFill);

    const QRectF screen(8, 9, 16, 14);
    p.fillRect(screen, QColor(0x08, 0x08, 0x0c));
    const QRectF glass = screen.adjusted(pixel, pixel, -pixel, -pixel);
    QLinearGradient glassFill(glass.topLeft(), glass.bottomRight());
    glassFill.setColorAt(0, QColor(0x70, 0x2e, 0xc0));
    glassFill.setColorAt(1, QColor(0xe8, 0x4c, 0x9c));
    p.fillRect(glass, glassFill);

    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    if (small) {
        // One bold eighth note: a pair would blur into a blob at 16 pixels.
        p.drawEllipse(QPointF(14.4, 19.0), 2.8, 2.2);
        p.drawRect(QRectF(16, 12, 2, 7));
        p.drawRect(QRectF(16, 12, 4, 2));
    } else {
        for (const QPointF &head : {QPointF(13.3, 19.3), QPointF(19.3, 18.3)}) {
            p.save();
            p.translate(head);
            p.rotate(-22);
            p.drawEllipse(QPointF(0, 0), 2.1, 1.5);
            p.restore();
        }
        const double stem = std::max(1.0, pixel);
        p.drawRect(QRectF(15.4 - stem, 13, stem, 6));
        p.drawRect(QRectF(21.4 - stem, 12, stem, 6));
        QPainterPath beam;
        beam.moveTo(15.4 - stem, 13);
        beam.lineTo(21.4, 12);
        beam.lineTo(21.4, 14);
        beam.lineTo(15.4 - stem, 15);
        beam.closeSubpath();
        p.drawPath(beam);
    }

    // Direction pad on the left, face buttons on the right.
    p.setBrush(QColor(0xc0, 0xc4, 0xd4));
    p.drawRect(QRectF(2, 15, 5, 2));
    p.drawRect(QRectF(3.5, 13.5, 2, 5));
    if (small) {
        p.setBrush(QColor(0xff, 0x5c, 0x6c));
        p.drawRect(QRectF(26, 14, 2, 2));
        p.setBrush(QColor(0x6c, 0x9c, 0xff));
        p.drawRect(QRectF(26, 18, 2, 2));
    } else {
        const QColor colours[] = {QColor(0x3d, 0xe0, 0xa6), QColor(0xff, 0x5c, 0x6c),
                                  QColor(0x6c, 0x9c, 0xff), QColor(0xf2, 0x7c, 0xe0)};
        const QPointF offsets[] = {{0, -2}, {2, 0}, {0, 2}, {-2, 0}};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(colours[i]);
            p.drawEllipse(QPointF(27, 16) + offsets[i], 1.0, 1.0);
        }
    }
    p.end();
    return image;
}

// ---------------------------------------------------------------------------------------------
// About box photograph: a low sun over a field, with grain like a real photo.

QImage sunsetPhoto()
{
    const int size = 128;
    const double horizon = 88;
    const QPointF sun(84, 79);
    Rng rng(0x1f2e3d4c5b6a7988);
    Canvas canvas(size, size);

    const std::vector<Stop> sky = {{0.0, hex(0x1c2552)},
                                   {0.35, hex(0x583c78)},
                                   {0.62, hex(0xb85a6c)},
                                   {0.84, hex(0xee9356)},
                                   {1.0, hex(0xffcc7a)}};
    // Two octaves of smooth value noise shape the distant tree line.
    std::vector<double> coarse(size / 6 + 2), fine(size / 2 + 2);
    for (double &v : coarse)
        v = rng.uniform();
    for (double &v : fine)
        v = rng.uniform();
    auto noise = [](const std::vector<double> &values, double pos) {
        const int i = int(pos);
        const double f = smoothstep(0, 1, pos - i);
        return values[i] * (1 - f) + values[i + 1] * f;
    };
    const double cloudRows[][4] = {
        {30, 36, 3.0, 0.45}, {46, 100, 2.2, 0.45}, {58, 28, 1.6, 0.35}, {66, 98, 1.3, 0.3}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - sun.x(), (y - sun.y()) * 1.1);
            const double haze = std::exp(-d / 24.0);
            // Sky with thin lit clouds, then the sun and its glow.
            Rgb c = ramp(sky, std::min(y / horizon, 1.0));
            for (const auto &cloud : cloudRows) {
                const double fy = (y - cloud[0]) / cloud[2];
                const double fx = (x - cloud[1]) / 34.0;
                const double shape = std::exp(-fy * fy - fx * fx);
                const Rgb lit = mix(hex(0x8a4a78), hex(0xffb37a), std::exp(-d / 60));
                c = mix(c, lit, cloud[3] * shape);
            }
            c = mix(c, hex(0xffe7a8),
                    clamp01(0.85 * std::exp(-d / 9.0) + 0.3 * std::exp(-d / 30.0)));
            c = mix(c, hex(0xfffbe8), smoothstep(7.0, 5.8, d));

            // Far trees hide the lower part of the sun; haze lightens them near it.
            const double top =
                horizon - 3 - 4.5 * noise(coarse, x / 6.0) - 1.8 * noise(fine, x / 2.0);
            const double tree = smoothstep(top - 0.6, top + 0.6, y);
            c = mix(c, mix(hex(0x3a2238), hex(0xe89060), 0.6 * haze), tree);

            if (y >= horizon) {
                const double t = (y - horizon) / (size - horizon);
                Rgb field = mix(hex(0x94703e), hex(0x141a0a), std::pow(t, 0.55));
                // Warm light skimming the grass towards the sun.
                const double sheen = std::exp(-std::abs(x - sun.x()) / 24.0) * (1 - t);
                field = mix(field, hex(0xffb060), 0.5 * sheen);
                c = mix(c, field, smoothstep(horizon, horizon + 1.5, y));
            }
            // Bloom spreading sideways along the horizon, as a lens does.
            const double bloom = std::exp(-std::abs(y - horizon + 5) / 7.0) *
                                 std::exp(-std::abs(x - sun.x()) / 45.0);
            canvas.at(x, y) = mix(c, hex(0xffd08a), 0.4 * bloom);
        }
    }
    QImage image = canvas.toImage(rng, 0.0);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    auto blade = [&](double x0, double y0, double height, double lean, const Rgb &colour,
                     double alpha, double width) {
        QPainterPath path;
        path.moveTo(x0, y0);
        path.quadTo(x0 + lean * 0.15, y0 - height * 0.6, x0 + lean, y0 - height);
        p.setPen(QPen(QColor::fromRgbF(colour.r, colour.g, colour.b, alpha), width, Qt::SolidLine,
                      Qt::RoundCap));
        p.drawPath(path);
    };
    // Grass from the horizon forwards: short and hazy far away, with tips lit by the sun.
    for (int i = 0; i < 3200; ++i) {
        const double near = std::pow(rng.uniform(), 0.9);
        const double y0 = horizon + 1 + near * (size + 4 - horizon);
        const double x0 = rng.range(-4, size + 4);
        const double height = (1.2 + 16 * near * near) * rng.range(0.5, 1.3);
        const double lean = rng.range(-0.35, 0.35) * height;
        const double lit = std::exp(-std::abs(x0 - sun.x()) / 28.0) * (1 - near);
        const Rgb dark = mix(hex(0x6a5232), hex(0x0c1005), std::pow(near, 0.5));
        const Rgb colour = mix(dark, hex(0xffc070), lit * rng.range(0.2, 0.9));
        blade(x0, y0, height, lean, colour, 0.8, 0.35 + 0.8 * near);
    }
    // Tall front grass, dark against the light, some blades catching a warm rim.
    for (int i = 0; i < 260; ++i) {
        const double x0 = rng.range(-6, size + 6);
        const double y0 = size + rng.range(0, 6);
        const double height = rng.range(14, 42);
        const double lean = rng.range(-0.45, 0.45) * height;
        blade(x0, y0, height, lean, hex(0x0a0d04), 0.92, rng.range(0.6, 1.3));
        if (std::abs(x0 + lean - sun.x()) < 30 && rng.uniform() < 0.5)
            blade(x0 + 0.35, y0, height, lean, hex(0xffa850), 0.35, 0.35);
    }
    // A few seed stems crossing the sky, backlit at their edges.
    const double stems[][3] = {{18, 58, -5}, {27, 70, 4}, {63, 52, 7}, {104, 62, -6}, {112, 74, 3}};
    for (const auto &stemShape : stems) {
        const double x0 = stemShape[0] + rng.range(-2, 2);
        const double top = stemShape[1];
        const double bend = stemShape[2];
        QPainterPath stem;
        stem.moveTo(x0, size + 2);
        stem.quadTo(x0 + bend * 0.2, (top + size) / 2, x0 + bend, top);
        p.setPen(QPen(QColor(14, 12, 8, 240), 0.9, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(stem);
        for (int k = 0; k < 9; ++k) {
            const double along = 1.2 * k;
            const QPointF seed(x0 + bend + (k % 2 ? 1.1 : -1.1) - 0.08 * bend * k / 9.0,
                               top + 0.6 + along);
            p.save();
            p.translate(seed);
            p.rotate((k % 2 ? 30 : -30) + bend * 2);
            p.setPen(QPen(QColor(255, 180, 100, 70), 0.4));
            p.setBrush(QColor(16, 12, 8, 235));
            p.drawEllipse(QPointF(0, 0), 1.3 - 0.06 * k, 0.65);
            p.restore();
        }
    }
    p.end();

    // Grain, a gentle vignette and the warm veil of a lens facing the sun.
    Canvas finished(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb px = image.pixel(x, y);
            Rgb c{qRed(px) / 255.0, qGreen(px) / 255.0, qBlue(px) / 255.0};
            const double dx = (x - 64.0) / 64.0, dy = (y - 64.0) / 64.0;
            const double vignette = 1.0 - 0.3 * smoothstep(0.3, 2.0, dx * dx + dy * dy);
            const double flare = 0.14 * std::exp(-std::hypot(x - sun.x(), y - sun.y()) / 40.0);
            c = mix(c, hex(0xffc890), flare);
            finished.at(x, y) = {c.r * vignette, c.g * vignette, c.b * vignette};
        }
    }
    return finished.toImage(rng, 3.0);
}

// ---------------------------------------------------------------------------------------------
// About box animation: a pixel-art console with a face, bobbing, blinking and glowing.

constexpr int kConsoleFrames = 17;

QImage pixelConsole(int frame)
{
    const int size = 50;
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    auto put = [&](int x, int y, QRgb colour) {
        if (x >= 0 && y >= 0 && x < size && y < size)
            image.setPixel(x, y, colour);
    };
    auto fill = [&](int x0, int y0, int x1, int y1, QRgb colour) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                put(x, y, colour);
    };

    // The whole palette.
    const QRgb outline = qRgb(0x26, 0x28, 0x33);
    const QRgb shade = qRgb(0x7b, 0x7f, 0x8e);
    const QRgb grey = qRgb(0xa6, 0xaa, 0xb8);
    const QRgb light = qRgb(0xcc, 0xcf, 0xda);
    const QRgb shine = qRgb(0xf0, 0xf2, 0xf7);
    const QRgb pad = qRgb(0x48, 0x4c, 0x5a);
    const QRgb shadow = qRgb(0x8a, 0x8d, 0x9a);
    const QRgb shadowEdge = qRgb(0xb0, 0xb2, 0xbc);
    const QRgb face = qRgb(0x14, 0x24, 0x2c);
    const QRgb cheek = qRgb(0xff, 0x8f, 0xa6);
    const QRgb glints[] = {qRgb(0x2e, 0x5e, 0x6c), qRgb(0x3a, 0x74, 0x82), qRgb(0x48, 0x8c, 0x98),
                           qRgb(0x58, 0xa6, 0xae)};
    const QRgb buttons[] = {qRgb(0x4f, 0xd1, 0x8b), qRgb(0xff, 0x5a, 0x5a), qRgb(0x5b, 0x8c, 0xff),
                            qRgb(0xf2, 0x7f, 0xd8)};

    const double phase = 2 * kPi * frame / kConsoleFrames;
    const int lift = int(std::lround(1.0 - std::cos(phase)));
    const int glow = int(std::lround(1.5 - 1.5 * std::cos(phase))) % 4;
    const bool blink = frame == 11 || frame == 12;

    // Shadow on the ground narrows while the console rises.
    const int half = 15 - lift;
    fill(25 - half + 2, 41, 24 + half - 2, 43, shadowEdge);
    fill(25 - half, 42, 24 + half, 42, shadowEdge);
    fill(25 - half + 4, 41, 24 + half - 4, 43, shadow);
    fill(25 - half + 2, 42, 24 + half - 2, 42, shadow);

    // Body: a pill shape; the outline is every body pixel touching the outside.
    const int left = 2, right = 47, top = 13 - lift, height = 24;
    const int inset[] = {5, 3, 2, 1, 1};
    auto inBody = [&](int x, int y) {
        const int row = y - top;
        if (row < 0 || row >= height || x < left || x > right)
            return false;
        const int fromEdge = std::min(row, height - 1 - row);
        const int in = fromEdge < 5 ? inset[fromEdge] : 0;
        return x >= left + in && x <= right - in;
    };
    // Shoulder buttons peek out above the top edge.
    fill(7, top - 1, 12, top, outline);
    fill(37, top - 1, 42, top, outline);
    fill(8, top, 11, top, pad);
    fill(38, top, 41, top, pad);
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x <= right; ++x) {
            if (!inBody(x, y))
                continue;
            const bool edge =
                !inBody(x - 1, y) || !inBody(x + 1, y) || !inBody(x, y - 1) || !inBody(x, y + 1);
            const int row = y - top;
            QRgb colour = grey;
            if (edge)
                colour = outline;
            else if (!inBody(x, y - 2) || row <= 1)
                colour = light;
            else if (row >= height - 4)
                colour = shade;
            put(x, y, colour);
        }
    }
    // Glints on the upper left of the shell.
    fill(6, top + 2, 9, top + 2, shine);
    put(4, top + 4, shine);
    put(4, top + 5, shine);

    // Screen with a bezel, its light cycling slowly.
    const int sx0 = 14, sx1 = 35, sy0 = top + 3, sy1 = top + 19;
    fill(sx0, sy0, sx1, sy1, outline);
    fill(sx0 + 1, sy0 + 1, sx1 - 1, sy1 - 1, glints[glow]);
    fill(sx0 + 1, sy0 + 1, sx1 - 1, sy0 + 1, glints[std::min(glow + 1, 3)]);
    put(sx0 + 2, sy0 + 2, shine);
    put(sx0 + 3, sy0 + 2, shine);
    put(sx0 + 2, sy0 + 3, shine);

    // The face.
    const int ey = sy0 + 5;
    if (blink) {
        fill(19, ey + 2, 21, ey + 2, face);
        fill(28, ey + 2, 30, ey + 2, face);
    } else {
        fill(19, ey, 20, ey + 2, face);
        fill(29, ey, 30, ey + 2, face);
        put(19, ey, shine);
        put(29, ey, shine);
    }
    fill(17, ey + 4, 18, ey + 4, cheek);
    fill(31, ey + 4, 32, ey + 4, cheek);
    put(21, ey + 5, face);
    put(28, ey + 5, face);
    fill(22, ey + 6, 27, ey + 6, face);

    // Direction pad and the four face buttons.
    const int cy = top + 11;
    fill(5, cy, 10, cy + 1, pad);
    fill(7, cy - 2, 8, cy + 3, pad);
    put(7, cy - 2, light);
    put(5, cy, light);
    const int bx = 40;
    fill(bx - 1, cy - 3, bx, cy - 2, buttons[0]);
    fill(bx + 2, cy, bx + 3, cy + 1, buttons[1]);
    fill(bx - 1, cy + 3, bx, cy + 4, buttons[2]);
    fill(bx - 4, cy, bx - 3, cy + 1, buttons[3]);
    // Start and select under the screen.
    fill(20, top + 21, 22, top + 21, pad);
    fill(27, top + 21, 29, top + 21, pad);
    return image;
}

// ---------------------------------------------------------------------------------------------
// Link pointer: yellow arrow, dark outline, hot spot at the top-left pixel.

QImage linkPointer()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainterPath arrow;
    arrow.moveTo(0.9, 0.9);
    arrow.lineTo(0.9, 21.5);
    arrow.lineTo(5.8, 16.8);
    arrow.lineTo(9.6, 25.4);
    arrow.lineTo(13.4, 23.8);
    arrow.lineTo(9.7, 15.4);
    arrow.lineTo(16.4, 15.4);
    arrow.closeSubpath();

    QImage shadow(image.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter s(&shadow);
        s.setRenderHint(QPainter::Antialiasing);
        s.translate(1.6, 1.8);
        s.fillPath(arrow, QColor(0, 0, 0, 110));
    }
    blur(shadow, 1);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, shadow);
    QLinearGradient fill(0, 0, 12, 24);
    fill.setColorAt(0, QColor(0xff, 0xf2, 0x7a));
    fill.setColorAt(0.5, QColor(0xff, 0xd4, 0x1f));
    fill.setColorAt(1, QColor(0xf0, 0xa8, 0x00));
    p.setPen(QPen(QColor(0x2a, 0x1e, 0x00), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPath(arrow);
    p.end();
    return image;
}

// ---------------------------------------------------------------------------------------------
// File browser background: pale translucent waves over black.

QImage browserBackdrop()
{
    const int width = 450, height = 360;
    Canvas canvas(width, height);
    struct Band
    {
        double base, amplitude, length, phase, thickness, alpha;
        std::uint32_t colour;
    };
    const Band bands[] = {
        {58, 16, 380, 0.4, 24, 0.17, 0xc8d4ff},  {104, 10, 300, 2.1, 8, 0.18, 0xffffff},
        {150, 20, 520, 4.2, 34, 0.14, 0xaabbee}, {200, 12, 260, 1.3, 10, 0.17, 0xdde6ff},
        {248, 22, 440, 3.1, 28, 0.16, 0xc8d4ff}, {296, 9, 340, 5.0, 7, 0.2, 0xffffff},
        {330, 16, 600, 0.9, 30, 0.13, 0xaabbee},
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            canvas.at(x, y) = mix(hex(0x000000), hex(0x06070c), double(y) / height);
    for (const Band &band : bands) {
        const Rgb colour = hex(band.colour);
        for (int x = 0; x < width; ++x) {
            const double centre =
                band.base + band.amplitude * std::sin(2 * kPi * x / band.length + band.phase);
            // The band swells and thins along its length, like light on a silk ribbon.
            const double swell = 0.65 + 0.35 * std::sin(2 * kPi * x / (band.length * 1.7) + 1.0);
            for (int y = 0; y < height; ++y) {
                const double d = (y - centre) / (band.thickness * swell);
                const double soft = std::exp(-d * d);
                const double core = std::exp(-d * d * 40.0);
                canvas.blend(x, y, colour, band.alpha * swell * (soft + 0.6 * core));
            }
        }
    }
    Rng rng(0x0b5e55ed0b5e55ed);
    return canvas.toImage(rng, 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <output folder> <frame folder>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString frames = QString::fromLocal8Bit(argv[2]);

    const QImage backdrop = violetBackdrop();
    bool ok = save(backdrop.convertToFormat(QImage::Format_RGB888), out, "background.bmp");
    ok = save(consoleCover(backdrop), out, "psp-cover.jpg", 92) && ok;
    ok = save(programIcon(32), out, "icon.png") && ok;
    ok = save(programIcon(16), out, "icon-16.png") && ok;
    ok = save(programIcon(48), out, "icon-48.png") && ok;
    ok = save(sunsetPhoto(), out, "about-photo.jpg", 90) && ok;
    ok = save(linkPointer(), out, "link-pointer.png") && ok;
    ok = save(browserBackdrop(), out, "browser-background.png") && ok;
    for (int frame = 0; frame < kConsoleFrames; ++frame) {
        const QString name = QStringLiteral("frame-%1.png").arg(frame, 2, 10, QLatin1Char('0'));
        ok = save(pixelConsole(frame), frames, qPrintable(name)) && ok;
    }
    return ok ? 0 : 1;
}
