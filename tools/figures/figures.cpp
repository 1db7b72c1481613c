// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
// morv_figures: draws the figures of the test questions into small JPEG files (white, black lines).
// Every figure (points, segments, equal-side ticks, angle arcs, dimension lines, labels) is described
// in figures.json.
// Run: QT_QPA_PLATFORM=offscreen morv_figures tools/figures/figures.json bank/content/pictures

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// Every error carries the figure name so a broken entry in figures.json is easy to find.
struct FigureError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const QString &where, const QString &what)
{
    throw FigureError((where + QStringLiteral(": ") + what).toStdString());
}

double len(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

QPointF unit(QPointF v)
{
    const double l = len(v);
    return l > 0 ? v / l : QPointF(0, 0);
}

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

// Geometry happens in "model" coordinates (y up, any unit); drawing in pixels (y down).
struct Point
{
    QString name;
    QPointF model;
    QPointF px;
    QString text;     // label text, may differ from the name (A₁)
    QJsonValue place; // compass word, [dx, dy] or "none"
    bool dot = false;
};

struct Label
{
    QString text;
    QRectF rect;
    bool small = false;
};

struct Settings
{
    int width = 225;
    int height = 137;
    int quality = 60;
    double margin[4] = {18, 16, 18, 16}; // left, top, right, bottom
    int minBytes = 0;
    int maxBytes = 0;
    QString pointFamily = QStringLiteral("Liberation Sans");
    QString textFamily = QStringLiteral("Liberation Sans");
    double pointSize = 13;
    double textSize = 11;
};

class Figure
{
public:
    Figure(const QJsonObject &obj, const Settings &s) : m_obj(obj), m_s(s)
    {
        m_name = obj.value(QStringLiteral("file")).toString();
        if (m_name.isEmpty())
            fail(QStringLiteral("figures.json"), QStringLiteral("a figure without \"file\""));
    }

    QString name() const { return m_name; }

    QImage render()
    {
        readPoints();
        fit();

        QImage img(m_s.width, m_s.height, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);

        drawFills(p);
        drawSegments(p, QStringLiteral("segments"), false);
        drawSegments(p, QStringLiteral("dashed"), true);
        drawTicks(p);
        drawDimensions(p);
        drawAngles(p);
        drawRightAngles(p);
        drawDots(p);
        drawPointLabels(p);
        drawTexts(p);
        p.end();

        checkLabels();
        return img;
    }

    // Layout problems found while drawing; the picture is still written so it can be looked at.
    QStringList problems() const { return m_problems; }

    int quality() const { return m_obj.value(QStringLiteral("quality")).toInt(m_s.quality); }

private:
    const Point &pt(const QJsonValue &v) const
    {
        const QString n = v.toString();
        auto it = m_index.find(n);
        if (it == m_index.end())
            fail(m_name, QStringLiteral("unknown point \"%1\"").arg(n));
        return m_points[*it];
    }

    QPointF num2(const QJsonValue &v, const QString &what) const
    {
        const QJsonArray a = v.toArray();
        if (a.size() != 2 || !a[0].isDouble() || !a[1].isDouble())
            fail(m_name, QStringLiteral("%1 must be [x, y]").arg(what));
        return {a[0].toDouble(), a[1].toDouble()};
    }

    QJsonArray arr(const QJsonObject &o, const char *key, int n) const
    {
        const QJsonArray a = o.value(QLatin1String(key)).toArray();
        if (a.size() != n)
            fail(m_name, QStringLiteral("\"%1\" needs %2 values").arg(QLatin1String(key)).arg(n));
        return a;
    }

    // Points are given directly or built from earlier points, so the JSON holds the
    // construction (a foot, a bisector, a midpoint) instead of hand-computed decimals.
    void readPoints()
    {
        for (const QJsonValue &v : m_obj.value(QStringLiteral("points")).toArray()) {
            const QJsonObject o = v.toObject();
            Point p;
            p.name = o.value(QStringLiteral("name")).toString();
            if (p.name.isEmpty() || m_index.contains(p.name))
                fail(m_name, QStringLiteral("missing or repeated point name \"%1\"").arg(p.name));
            p.text = o.value(QStringLiteral("text")).toString(p.name);
            p.place = o.value(QStringLiteral("label"));
            p.dot = o.value(QStringLiteral("dot")).toBool(false);

            if (o.contains(QStringLiteral("xy"))) {
                p.model = num2(o.value(QStringLiteral("xy")), QStringLiteral("xy"));
            } else if (o.contains(QStringLiteral("tri"))) {
                // Apex of a triangle on base PQ with the given base angles, left of P->Q.
                const QJsonArray a = arr(o, "tri", 4);
                const QPointF P = pt(a[0]).model, Q = pt(a[1]).model;
                const double alpha = a[2].toDouble() * kPi / 180, beta = a[3].toDouble() * kPi / 180;
                const double c = len(Q - P);
                const double b = c * std::sin(beta) / std::sin(alpha + beta); // side opposite beta
                const QPointF u = unit(Q - P);
                const QPointF n(-u.y(), u.x());
                p.model = P + b * (std::cos(alpha) * u + std::sin(alpha) * n);
            } else if (o.contains(QStringLiteral("between"))) {
                const QJsonArray a = arr(o, "between", 3);
                const QPointF P = pt(a[0]).model, Q = pt(a[1]).model;
                p.model = P + a[2].toDouble() * (Q - P);
            } else if (o.contains(QStringLiteral("foot"))) {
                // Foot of the perpendicular from the first point to the line through the other two.
                const QJsonArray a = arr(o, "foot", 3);
                const QPointF X = pt(a[0]).model, P = pt(a[1]).model, Q = pt(a[2]).model;
                const QPointF d = Q - P;
                p.model = P + dot(X - P, d) / dot(d, d) * d;
            } else if (o.contains(QStringLiteral("bisect"))) {
                // Where the bisector of the angle at the first point meets the opposite side.
                const QJsonArray a = arr(o, "bisect", 3);
                const QPointF V = pt(a[0]).model, P = pt(a[1]).model, Q = pt(a[2]).model;
                const double vp = len(P - V), vq = len(Q - V);
                p.model = (vq * P + vp * Q) / (vp + vq);
            } else if (o.contains(QStringLiteral("incenter"))) {
                const QJsonArray a = arr(o, "incenter", 3);
                const QPointF A = pt(a[0]).model, B = pt(a[1]).model, C = pt(a[2]).model;
                const double la = len(B - C), lb = len(C - A), lc = len(A - B);
                p.model = (la * A + lb * B + lc * C) / (la + lb + lc);
            } else if (o.contains(QStringLiteral("shift"))) {
                // First point moved by the vector from the second to the third (prism edges).
                const QJsonArray a = arr(o, "shift", 3);
                p.model = pt(a[0]).model + (pt(a[2]).model - pt(a[1]).model);
            } else {
                fail(m_name, QStringLiteral("point \"%1\" has no position").arg(p.name));
            }
            m_index.insert(p.name, int(m_points.size()));
            m_points.push_back(p);
        }
        if (m_points.size() < 2)
            fail(m_name, QStringLiteral("a figure needs at least two points"));
    }

    // Uniform scale keeps angles and proportions true; the margins leave room for labels.
    void fit()
    {
        double m[4];
        std::copy(std::begin(m_s.margin), std::end(m_s.margin), m);
        const QJsonArray mo = m_obj.value(QStringLiteral("margin")).toArray();
        if (mo.size() == 4)
            for (int i = 0; i < 4; ++i)
                m[i] = mo[i].toDouble();

        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
        for (const Point &p : m_points) {
            x0 = std::min(x0, p.model.x());
            x1 = std::max(x1, p.model.x());
            y0 = std::min(y0, p.model.y());
            y1 = std::max(y1, p.model.y());
        }
        const double aw = m_s.width - m[0] - m[2], ah = m_s.height - m[1] - m[3];
        const double bw = std::max(x1 - x0, 1e-9), bh = std::max(y1 - y0, 1e-9);
        const double k = std::min(aw / bw, ah / bh);
        const double ox = m[0] + (aw - bw * k) / 2, oy = m[1] + (ah - bh * k) / 2;
        for (Point &p : m_points)
            p.px = QPointF(ox + (p.model.x() - x0) * k, oy + (y1 - p.model.y()) * k);
    }

    QPen pen(double w, bool dashed = false) const
    {
        QPen pen(Qt::black, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (dashed) {
            pen.setCapStyle(Qt::FlatCap);
            pen.setDashPattern({3.5, 2.5});
        }
        return pen;
    }

    void drawFills(QPainter &p)
    {
        for (const QJsonValue &v : m_obj.value(QStringLiteral("fills")).toArray()) {
            QPolygonF poly;
            for (const QJsonValue &n : v.toArray())
                poly << pt(n).px;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xe2, 0xe2, 0xe2));
            p.drawPolygon(poly);
        }
        p.setBrush(Qt::NoBrush);
    }

    void drawSegments(QPainter &p, const QString &key, bool dashed)
    {
        p.setPen(pen(dashed ? 1.1 : 1.5, dashed));
        for (const QJsonValue &v : m_obj.value(key).toArray()) {
            const QJsonArray a = v.toArray();
            if (a.size() != 2)
                fail(m_name, QStringLiteral("a segment needs two points"));
            const QPointF A = pt(a[0]).px, B = pt(a[1]).px;
            p.drawLine(A, B);
            m_lines.push_back({A, B});
        }
    }

    // Equal sides share the same number of short strokes across their middle.
    void drawTicks(QPainter &p)
    {
        p.setPen(pen(1.2));
        for (const QJsonValue &v : m_obj.value(QStringLiteral("ticks")).toArray()) {
            const QJsonObject o = v.toObject();
            const QJsonArray s = arr(o, "seg", 2);
            const QPointF A = pt(s[0]).px, B = pt(s[1]).px;
            const int n = o.value(QStringLiteral("n")).toInt(1);
            const double t = o.value(QStringLiteral("t")).toDouble(0.5);
            const QPointF d = unit(B - A), nn(-d.y(), d.x());
            const QPointF mid = A + t * (B - A);
            for (int i = 0; i < n; ++i) {
                const QPointF c = mid + (i - (n - 1) / 2.0) * 3.2 * d;
                p.drawLine(c - 4.5 * nn, c + 4.5 * nn);
            }
        }
    }

    // A length written under a segment that has a foot point on it (H) reads as the length of a
    // part of it. A dimension line drawn beside the whole segment, with arrows to short extension
    // lines at both ends and the text set into its middle, names the whole segment only.
    void drawDimensions(QPainter &p)
    {
        QFont f(m_s.textFamily);
        f.setPixelSize(int(m_s.textSize));
        const QFontMetricsF fm(f);
        for (const QJsonValue &v : m_obj.value(QStringLiteral("dims")).toArray()) {
            const QJsonObject o = v.toObject();
            const QJsonArray s = arr(o, "seg", 2);
            const QPointF A = pt(s[0]).px, B = pt(s[1]).px;
            const QString text = o.value(QStringLiteral("text")).toString();
            // Signed distance in pixels; positive is to the right of A->B on screen (below a
            // segment drawn left to right).
            const double off = o.value(QStringLiteral("off")).toDouble(22);
            const QPointF d = unit(B - A), n(-d.y(), d.x());
            const double side = off < 0 ? -1 : 1;
            const QPointF P = A + off * n, Q = B + off * n;

            p.setPen(pen(0.9));
            // Extension lines start a little away from the figure so they do not look like its edges.
            for (const QPointF &E : {A, B}) {
                const QPointF e0 = E + side * 3.0 * n, e1 = E + (off + side * 3.5) * n;
                p.drawLine(e0, e1);
                m_lines.push_back({e0, e1});
            }

            const QRectF ink = fm.tightBoundingRect(text);
            const double half =
                text.isEmpty() ? 0
                               : std::abs(d.x()) * ink.width() / 2 + std::abs(d.y()) * ink.height() / 2 + 3.0;
            const QPointF c = P + o.value(QStringLiteral("t")).toDouble(0.5) * (Q - P);
            const double tc = dot(c - P, d), total = len(Q - P);
            if (tc - half < 8 || tc + half > total - 8)
                fail(m_name, QStringLiteral("dimension \"%1\" does not fit between its arrows").arg(text));
            const QPointF g0 = P + (tc - half) * d, g1 = P + (tc + half) * d;
            p.drawLine(P, g0);
            p.drawLine(g1, Q);
            m_lines.push_back({P, g0});
            m_lines.push_back({g1, Q});

            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            for (const auto &[tip, dir] : {std::pair{P, d}, std::pair{Q, -d}}) {
                QPolygonF head;
                head << tip << tip + 5.5 * dir + 2.1 * n << tip + 5.5 * dir - 2.1 * n;
                p.drawPolygon(head);
            }
            p.setBrush(Qt::NoBrush);
            if (!text.isEmpty())
                drawCentered(p, f, text, c, true);
        }
    }

    // Screen angle (counter-clockwise, y down) of the ray from V towards P.
    static double rayAngle(QPointF V, QPointF P) { return std::atan2(-(P.y() - V.y()), P.x() - V.x()); }

    void drawAngles(QPainter &p)
    {
        QFont f(m_s.textFamily);
        f.setPixelSize(int(m_s.textSize));
        for (const QJsonValue &v : m_obj.value(QStringLiteral("angles")).toArray()) {
            const QJsonObject o = v.toObject();
            const QPointF V = pt(o.value(QStringLiteral("at"))).px;
            const QPointF P = pt(o.value(QStringLiteral("from"))).px;
            const QPointF Q = pt(o.value(QStringLiteral("to"))).px;
            const double r = o.value(QStringLiteral("r")).toDouble(13);
            const int arcs = o.value(QStringLiteral("arcs")).toInt(1);
            const double a1 = rayAngle(V, P);
            double span = rayAngle(V, Q) - a1;
            // Always the inner angle of the two rays.
            while (span > kPi)
                span -= 2 * kPi;
            while (span <= -kPi)
                span += 2 * kPi;
            p.setPen(pen(1.1));
            for (int i = 0; i < arcs; ++i) {
                const double rr = r + i * 3.0;
                QPainterPath path;
                const int steps = 40;
                for (int k = 0; k <= steps; ++k) {
                    const double a = a1 + span * k / steps;
                    const QPointF q = V + rr * QPointF(std::cos(a), -std::sin(a));
                    k == 0 ? path.moveTo(q) : path.lineTo(q);
                }
                p.drawPath(path);
            }
            // Equal angles carry the same number of short strokes across their arcs.
            const int marks = o.value(QStringLiteral("ticks")).toInt(0);
            for (int i = 0; i < marks; ++i) {
                const double a = a1 + span / 2 + (i - (marks - 1) / 2.0) * 3.2 / r;
                const QPointF d(std::cos(a), -std::sin(a));
                p.drawLine(V + (r - 3.5) * d, V + (r + 3.5 + 3.0 * (arcs - 1)) * d);
            }
            const QString text = o.value(QStringLiteral("label")).toString();
            if (!text.isEmpty()) {
                const double mid = a1 + span / 2;
                const double lr = o.value(QStringLiteral("lr")).toDouble(r + 3.0 * (arcs - 1) + 9);
                QPointF c = V + lr * QPointF(std::cos(mid), -std::sin(mid));
                if (o.contains(QStringLiteral("off")))
                    c += num2(o.value(QStringLiteral("off")), QStringLiteral("off"));
                // An angle of a few degrees has no room for its label between the rays, so the
                // label is set aside and a thin line leads from it to the middle of the arc.
                if (o.value(QStringLiteral("leader")).toBool(false)) {
                    const QPointF tip = V + r * QPointF(std::cos(mid), -std::sin(mid));
                    const QFontMetricsF fm(f);
                    const QRectF ink = fm.tightBoundingRect(text);
                    const QRectF box =
                        QRectF(c.x() - ink.width() / 2, c.y() - ink.height() / 2, ink.width(), ink.height())
                            .adjusted(-2, -2, 2, 2);
                    // Walk from the arc towards the label and stop at the box around the text.
                    const QPointF dir = c - tip;
                    double lo = 0, hi = 1;
                    for (int i = 0; i < 30; ++i) {
                        const double m = (lo + hi) / 2;
                        (box.contains(tip + m * dir) ? hi : lo) = m;
                    }
                    const QPointF end = tip + lo * dir;
                    p.setPen(pen(0.8));
                    p.drawLine(tip, end);
                    m_lines.push_back({tip, end});
                }
                drawCentered(p, f, text, c, true);
            }
        }
    }

    void drawRightAngles(QPainter &p)
    {
        p.setPen(pen(1.1));
        for (const QJsonValue &v : m_obj.value(QStringLiteral("rights")).toArray()) {
            const QJsonObject o = v.toObject();
            const QPointF V = pt(o.value(QStringLiteral("at"))).px;
            const QPointF u = unit(pt(o.value(QStringLiteral("from"))).px - V);
            const QPointF w = unit(pt(o.value(QStringLiteral("to"))).px - V);
            const double k = o.value(QStringLiteral("size")).toDouble(7);
            QPolygonF poly;
            poly << V + k * u << V + k * u + k * w << V + k * w;
            p.drawPolyline(poly);
        }
    }

    void drawDots(QPainter &p)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        for (const Point &pp : m_points)
            if (pp.dot)
                p.drawEllipse(pp.px, 2.0, 2.0);
        p.setBrush(Qt::NoBrush);
    }

    void drawPointLabels(QPainter &p)
    {
        QFont f(m_s.pointFamily);
        f.setPixelSize(int(m_s.pointSize));
        const QFontMetricsF fm(f);
        for (const Point &pp : m_points) {
            if (pp.place.isString() && pp.place.toString() == QLatin1String("none"))
                continue;
            QPointF c;
            if (pp.place.isArray()) {
                c = pp.px + num2(pp.place, QStringLiteral("label of ") + pp.name);
            } else {
                const QString dir = pp.place.toString(QStringLiteral("n"));
                double dx = 0, dy = 0;
                if (dir.contains(QLatin1Char('n')))
                    dy = -1;
                if (dir.contains(QLatin1Char('s')))
                    dy = 1;
                if (dir.contains(QLatin1Char('e')))
                    dx = 1;
                if (dir.contains(QLatin1Char('w')))
                    dx = -1;
                if (dx == 0 && dy == 0)
                    fail(m_name, QStringLiteral("bad label direction \"%1\" for %2").arg(dir, pp.name));
                const QRectF br = fm.tightBoundingRect(pp.text);
                const double gap = (dx != 0 && dy != 0) ? 3.0 : 4.0;
                c = pp.px + QPointF(dx * (gap + br.width() / 2), dy * (gap + br.height() / 2));
            }
            drawCentered(p, f, pp.text, c, false);
        }
    }

    void drawTexts(QPainter &p)
    {
        QFont f(m_s.textFamily);
        f.setPixelSize(int(m_s.textSize));
        for (const QJsonValue &v : m_obj.value(QStringLiteral("texts")).toArray()) {
            const QJsonObject o = v.toObject();
            const QString text = o.value(QStringLiteral("text")).toString();
            QPointF c;
            if (o.contains(QStringLiteral("seg"))) {
                const QJsonArray s = arr(o, "seg", 2);
                const QPointF A = pt(s[0]).px, B = pt(s[1]).px;
                c = A + o.value(QStringLiteral("t")).toDouble(0.5) * (B - A);
            } else if (o.contains(QStringLiteral("at"))) {
                c = pt(o.value(QStringLiteral("at"))).px;
            } else if (o.contains(QStringLiteral("px"))) {
                c = num2(o.value(QStringLiteral("px")), QStringLiteral("px"));
            } else {
                fail(m_name, QStringLiteral("text \"%1\" has no position").arg(text));
            }
            if (o.contains(QStringLiteral("off")))
                c += num2(o.value(QStringLiteral("off")), QStringLiteral("off"));
            drawCentered(p, f, text, c, true);
        }
    }

    // Centers the visible ink of the text on c and remembers where it went for the checks.
    void drawCentered(QPainter &p, const QFont &f, const QString &text, QPointF c, bool small)
    {
        const QFontMetricsF fm(f);
        const QRectF ink = fm.tightBoundingRect(text);
        const QPointF base(c.x() - ink.width() / 2 - ink.left(), c.y() - ink.height() / 2 - ink.top());
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(base, text);
        m_labels.push_back({text, ink.translated(base), small});
    }

    static bool segmentHitsRect(QPointF a, QPointF b, const QRectF &r)
    {
        // Liang-Barsky clipping: does any part of the segment lie inside r?
        double t0 = 0, t1 = 1;
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double pp[4] = {-dx, dx, -dy, dy};
        const double qq[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
        for (int i = 0; i < 4; ++i) {
            if (pp[i] == 0) {
                if (qq[i] < 0)
                    return false;
            } else {
                const double t = qq[i] / pp[i];
                if (pp[i] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
            }
        }
        return t0 <= t1;
    }

    // A figure whose labels are cut off, cross a line or sit on each other is refused.
    void checkLabels()
    {
        const QRectF image(0, 0, m_s.width, m_s.height);
        QStringList problems;
        for (const Label &l : m_labels) {
            if (!image.adjusted(1, 1, -1, -1).contains(l.rect))
                problems << QStringLiteral("label \"%1\" is cut off at the edge").arg(l.text);
            const QRectF inner = l.rect.adjusted(0.5, 0.5, -0.5, -0.5);
            for (const auto &[a, b] : m_lines)
                if (segmentHitsRect(a, b, inner)) {
                    problems << QStringLiteral("label \"%1\" lies on a line").arg(l.text);
                    break;
                }
        }
        for (size_t i = 0; i < m_labels.size(); ++i)
            for (size_t j = i + 1; j < m_labels.size(); ++j)
                if (m_labels[i].rect.intersects(m_labels[j].rect))
                    problems << QStringLiteral("labels \"%1\" and \"%2\" overlap")
                                    .arg(m_labels[i].text, m_labels[j].text);
        m_problems = problems;
    }

    QJsonObject m_obj;
    const Settings &m_s;
    QString m_name;
    std::vector<Point> m_points;
    QMap<QString, int> m_index;
    std::vector<std::pair<QPointF, QPointF>> m_lines;
    std::vector<Label> m_labels;
    QStringList m_problems;
};

Settings readSettings(const QJsonObject &root)
{
    Settings s;
    s.width = root.value(QStringLiteral("width")).toInt(s.width);
    s.height = root.value(QStringLiteral("height")).toInt(s.height);
    s.quality = root.value(QStringLiteral("quality")).toInt(s.quality);
    const QJsonArray m = root.value(QStringLiteral("margin")).toArray();
    if (m.size() == 4)
        for (int i = 0; i < 4; ++i)
            s.margin[i] = m[i].toDouble();
    const QJsonArray range = root.value(QStringLiteral("sizeRange")).toArray();
    if (range.size() == 2) {
        s.minBytes = range[0].toInt();
        s.maxBytes = range[1].toInt();
    }
    const QJsonObject fonts = root.value(QStringLiteral("fonts")).toObject();
    s.pointFamily = fonts.value(QStringLiteral("points")).toString(s.pointFamily);
    s.textFamily = fonts.value(QStringLiteral("texts")).toString(s.textFamily);
    s.pointSize = fonts.value(QStringLiteral("pointSize")).toDouble(s.pointSize);
    s.textSize = fonts.value(QStringLiteral("textSize")).toDouble(s.textSize);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    // The tool never opens a window, so it must run on machines without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);

    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: morv_figures <figures.json> <output-folder>\n";
        return 2;
    }

    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "cannot read " << args[1] << "\n";
        return 1;
    }
    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &perr);
    if (perr.error != QJsonParseError::NoError || !doc.isObject()) {
        err << args[1] << ": " << perr.errorString() << " at offset " << perr.offset << "\n";
        return 1;
    }
    const QJsonObject root = doc.object();
    const Settings settings = readSettings(root);

    // A missing font would silently fall back to another face and change every figure.
    for (const QString &family : {settings.pointFamily, settings.textFamily}) {
        const QFontInfo info{QFont(family)};
        if (info.family() != family) {
            err << "font \"" << family << "\" not found (got \"" << info.family() << "\")\n";
            return 1;
        }
    }

    const QDir outDir(args[2]);
    if (!outDir.exists() && !QDir().mkpath(outDir.path())) {
        err << "cannot create " << args[2] << "\n";
        return 1;
    }

    int failures = 0;
    for (const QJsonValue &v : root.value(QStringLiteral("figures")).toArray()) {
        try {
            Figure fig(v.toObject(), settings);
            const QImage img = fig.render();
            const QString path = outDir.filePath(fig.name());
            if (!img.save(path, "JPG", fig.quality()))
                fail(fig.name(), QStringLiteral("cannot write ") + path);
            const qint64 size = QFileInfo(path).size();
            out << fig.name() << " " << size << " bytes\n";
            if (!fig.problems().isEmpty())
                fail(fig.name(), fig.problems().join(QStringLiteral("; ")));
            if (settings.maxBytes > 0 && (size < settings.minBytes || size > settings.maxBytes))
                fail(fig.name(), QStringLiteral("%1 bytes is outside %2..%3")
                                     .arg(size)
                                     .arg(settings.minBytes)
                                     .arg(settings.maxBytes));
        } catch (const FigureError &e) {
            out.flush();
            err << e.what() << "\n";
            err.flush();
            ++failures;
        }
    }
    out.flush();
    return failures == 0 ? 0 : 1;
}
