// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's icon at every size the desktop asks for, and its scalable twin, from one
// shape description: a green check mark on the window's lavender square inside a dark border.
// The shapes are tested point by point instead of painted, so the images are the same on every
// machine and the SVG says exactly what the PNGs show.
//
//   morv_icons OUTDIR          writes OUTDIR/<n>x<n>/morv.png and OUTDIR/scalable/morv.svg
//   morv_icons --check DIR     exits 1 and names every file in DIR that differs from a fresh drawing
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Everything is measured on a 16-unit square, the size of the smallest image.
constexpr double Grid = 16.0;
constexpr double Border = 1.0;
constexpr double CheckWidth = 2.75;
struct Point
{
    double x, y;
};
constexpr std::array<Point, 3> Check = {{{3.75, 8.25}, {6.75, 11.25}, {12.25, 4.75}}};

const QColor LavenderColour(192, 192, 255); // the main window's own background
const QColor DarkColour(32, 32, 96);
const QColor GreenColour(0, 160, 0);

// The two smallest images keep to three flat colours so that they stay sharp at their size on old
// screens; larger ones are smoothed.
constexpr std::array<int, 5> Sizes = {16, 32, 48, 128, 256};
bool flat(int size)
{
    return size <= 32;
}

double distanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

enum class Ink { Lavender, Dark, Green };

Ink inkAt(Point p)
{
    for (std::size_t i = 0; i + 1 < Check.size(); ++i) {
        if (distanceToSegment(p, Check[i], Check[i + 1]) <= CheckWidth / 2)
            return Ink::Green;
    }
    const double edge = std::min({p.x, p.y, Grid - p.x, Grid - p.y});
    return edge < Border ? Ink::Dark : Ink::Lavender;
}

QColor colourOf(Ink ink)
{
    switch (ink) {
    case Ink::Dark:
        return DarkColour;
    case Ink::Green:
        return GreenColour;
    case Ink::Lavender:
        break;
    }
    return LavenderColour;
}

QImage draw(int size)
{
    constexpr int Samples = 8; // per pixel side
    QImage image(size, size, QImage::Format_RGB32);
    const double unit = Grid / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::array<int, 3> hits{};
            for (int sy = 0; sy < Samples; ++sy) {
                for (int sx = 0; sx < Samples; ++sx) {
                    const Point p{(x + (sx + 0.5) / Samples) * unit, (y + (sy + 0.5) / Samples) * unit};
                    ++hits[std::size_t(inkAt(p))];
                }
            }
            QColor colour;
            if (flat(size)) {
                const auto most = std::max_element(hits.begin(), hits.end()) - hits.begin();
                colour = colourOf(Ink(most));
            } else {
                double r = 0, g = 0, b = 0;
                for (std::size_t i = 0; i < hits.size(); ++i) {
                    const QColor c = colourOf(Ink(i));
                    r += c.red() * hits[i];
                    g += c.green() * hits[i];
                    b += c.blue() * hits[i];
                }
                const double n = Samples * Samples;
                colour = QColor(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(b / n)));
            }
            image.setPixel(x, y, colour.rgb());
        }
    }
    if (flat(size))
        return image.convertToFormat(QImage::Format_Indexed8,
                                     {LavenderColour.rgb(), DarkColour.rgb(), GreenColour.rgb()},
                                     Qt::ThresholdDither | Qt::AvoidDither);
    return image;
}

QByteArray svg()
{
    QString points;
    for (const Point &p : Check)
        points += QStringLiteral("%1,%2 ").arg(p.x).arg(p.y);
    QString text;
    QTextStream out(&text);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 16 16\">\n"
        << "  <rect x=\"" << Border / 2 << "\" y=\"" << Border / 2 << "\" width=\"" << Grid - Border
        << "\" height=\"" << Grid - Border << "\" fill=\"" << LavenderColour.name() << "\" stroke=\""
        << DarkColour.name() << "\" stroke-width=\"" << Border << "\"/>\n"
        << "  <polyline points=\"" << points.trimmed() << "\" fill=\"none\" stroke=\"" << GreenColour.name()
        << "\" stroke-width=\"" << CheckWidth << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n"
        << "</svg>\n";
    out.flush();
    return text.toUtf8();
}

QString pngPath(const QDir &dir, int size)
{
    return dir.filePath(QStringLiteral("%1x%1/morv.png").arg(size));
}
QString svgPath(const QDir &dir)
{
    return dir.filePath(QStringLiteral("scalable/morv.svg"));
}

int write(const QDir &dir)
{
    for (const int size : Sizes) {
        const QString path = pngPath(dir, size);
        dir.mkpath(QStringLiteral("%1x%1").arg(size));
        if (!draw(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    dir.mkpath(QStringLiteral("scalable"));
    QFile file(svgPath(dir));
    if (!file.open(QIODevice::WriteOnly) || file.write(svg()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    return 0;
}

// The committed images must be what this program draws, so that a change of the shape is never
// half applied.
int check(const QDir &dir)
{
    int differing = 0;
    for (const int size : Sizes) {
        const QString path = pngPath(dir, size);
        const QImage stored(path);
        const QImage fresh = draw(size).convertToFormat(QImage::Format_RGB32);
        if (stored.isNull() || stored.convertToFormat(QImage::Format_RGB32) != fresh) {
            std::fprintf(stderr, "%s differs from the drawing (run morv_icons %s)\n", qPrintable(path),
                         qPrintable(dir.path()));
            ++differing;
        }
    }
    QFile file(svgPath(dir));
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != svg()) {
        std::fprintf(stderr, "%s differs from the drawing\n", qPrintable(file.fileName()));
        ++differing;
    }
    return differing == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 2)
        return write(QDir(QString::fromLocal8Bit(argv[1])));
    if (argc == 3 && QByteArray(argv[1]) == "--check")
        return check(QDir(QString::fromLocal8Bit(argv[2])));
    std::fprintf(stderr, "usage: morv_icons OUTDIR | morv_icons --check DIR\n");
    return 2;
}
