#include "tools/gui/schematic.h"

#include <QLineF>
#include <QPainterPath>

#include <cmath>

namespace korvan::gui {

SchematicImage::SchematicImage(const char* name, QRect geometry,
                               std::function<void(QPainter&)> draw, QWidget* parent)
    : QWidget(parent), draw_(std::move(draw)) {
    setObjectName(name);
    setGeometry(geometry);
    // The window shows through, as it does behind a transparent picture.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SchematicImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw_(p);
}

namespace schematic {

namespace {

// The symbol's body spans the middle `body` pixels of the segment a-b; the
// rest is lead wire. Returns the body's ends.
std::pair<QPointF, QPointF> leads(QPainter& p, QPointF a, QPointF b, qreal body) {
    const QLineF line(a, b);
    const qreal len = line.length();
    const qreal t0 = (len - body) / 2 / len, t1 = 1 - t0;
    const QPointF s = line.pointAt(t0), e = line.pointAt(t1);
    p.drawLine(a, s);
    p.drawLine(e, b);
    return {s, e};
}

// The unit vector along a-b and the one across it.
std::pair<QPointF, QPointF> axes(QPointF a, QPointF b) {
    const QLineF unit = QLineF(a, b).unitVector();
    const QPointF along(unit.dx(), unit.dy());
    return {along, QPointF(-along.y(), along.x())};
}

} // namespace

void wire(QPainter& p, QPointF a, QPointF b) {
    p.drawLine(a, b);
}

void dot(QPainter& p, QPointF at) {
    p.save();
    p.setBrush(Qt::black);
    p.drawEllipse(at, 2.2, 2.2);
    p.restore();
}

void terminal(QPainter& p, QPointF at) {
    p.save();
    p.setBrush(Qt::white);
    p.drawEllipse(at, 3, 3);
    p.restore();
}

void resistor(QPainter& p, QPointF a, QPointF b) {
    const auto [s, e] = leads(p, a, b, 24);
    const QPointF w = axes(a, b).second * 5;
    p.save();
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF({s + w, e + w, e - w, s - w}));
    p.restore();
}

void capacitor(QPainter& p, QPointF a, QPointF b) {
    const auto [s, e] = leads(p, a, b, 6);
    const QPointF w = axes(a, b).second * 9;
    p.save();
    QPen pen = p.pen();
    pen.setWidthF(2.2);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(s + w, s - w);
    p.drawLine(e + w, e - w);
    p.restore();
}

void inductor(QPainter& p, QPointF a, QPointF b) {
    const auto [s, e] = leads(p, a, b, 28);
    const QPointF across = axes(a, b).second;
    // Four half turns on one side of the axis.
    QPainterPath path(s);
    const int turns = 4;
    const QPointF step = (e - s) / turns;
    for (int i = 0; i < turns; ++i) {
        const QPointF from = s + step * i;
        const QPointF to = from + step;
        const QPointF bulge = across * -7;
        path.cubicTo(from + bulge, to + bulge, to);
    }
    p.save();
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

void ground(QPainter& p, QPointF top) {
    p.drawLine(top, top + QPointF(0, 6));
    for (int i = 0; i < 3; ++i) {
        const qreal half = 8 - i * 3, y = top.y() + 6 + i * 3;
        p.drawLine(QPointF(top.x() - half, y), QPointF(top.x() + half, y));
    }
}

void text(QPainter& p, QPointF at, const QString& text, Qt::Alignment align, const QColor& colour,
          bool bold, bool underline) {
    p.save();
    QFont f = p.font();
    f.setBold(bold);
    f.setUnderline(underline);
    p.setFont(f);
    p.setPen(colour);
    const QRectF box(at.x() - 60, at.y() - 10, 120, 20);
    QRectF r = box;
    if (align & Qt::AlignLeft) r.moveLeft(at.x());
    if (align & Qt::AlignRight) r.moveRight(at.x());
    p.drawText(r, static_cast<int>((align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter), text);
    p.restore();
}

} // namespace schematic

} // namespace korvan::gui
