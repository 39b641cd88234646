#include "tools/gui/g3uur_circuit.h"

#include <QPainter>
#include <QPainterPath>

namespace korvan::tools::gui {

namespace {

// Node positions of the drawing (200 x 130).
constexpr int kTop = 16;     // the crystal's line
constexpr int kGround = 116; // ground rail
constexpr int kCswX = 40;
constexpr int kSwitchX = 68;
constexpr int kNodeX = 124; // the crystal's right end, C1 and C2
constexpr int kTapY = 66;
constexpr int kBoundaryX = 152;

// A capacitor in a vertical wire: two plates around `y`.
void capacitor(QPainter& p, int x, int y) {
    p.drawLine(x - 7, y - 3, x + 7, y - 3);
    p.drawLine(x - 7, y + 3, x + 7, y + 3);
}

void arrow(QPainter& p, int x1, int x2, int y) {
    p.drawLine(x1, y, x2, y);
    QPainterPath head;
    head.moveTo(x2, y);
    head.lineTo(x2 - 7, y - 4);
    head.lineTo(x2 - 7, y + 4);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

void dot(QPainter& p, int x, int y) {
    p.setBrush(p.pen().color());
    p.drawEllipse(QPoint(x, y), 2, 2);
    p.setBrush(Qt::NoBrush);
}

} // namespace

G3uurCircuit::G3uurCircuit(QWidget* parent) : QWidget(parent) {
    setObjectName("Image1");
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(200, 130);
}

QRect G3uurCircuit::cswField() {
    return {0, 50, 30, 20};
}
QRect G3uurCircuit::c1Field() {
    return {kNodeX - 46, 30, 34, 20};
}
QRect G3uurCircuit::c2Field() {
    return {kNodeX - 46, 76, 34, 20};
}

void G3uurCircuit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::black, 1.4);
    p.setPen(pen);
    QFont f = font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);

    // Top line: Csw node, switch node, crystal, right node.
    p.drawLine(kCswX, kTop, 82, kTop);
    p.drawLine(106, kTop, kNodeX, kTop);
    // Crystal: two electrodes and the quartz between them.
    p.drawLine(84, kTop - 9, 84, kTop + 9);
    p.drawLine(104, kTop - 9, 104, kTop + 9);
    p.drawRect(88, kTop - 7, 12, 14);
    p.drawLine(82, kTop, 84, kTop);
    p.drawLine(104, kTop, 106, kTop);
    dot(p, kCswX, kTop);
    dot(p, kSwitchX, kTop);
    dot(p, kNodeX, kTop);

    // Csw to ground.
    p.drawLine(kCswX, kTop, kCswX, 57);
    capacitor(p, kCswX, 60);
    p.drawLine(kCswX, 63, kCswX, kGround);
    p.drawText(QRect(0, 32, 36, 14), Qt::AlignLeft | Qt::AlignVCenter, "Csw");
    p.drawText(QRect(4, 72, 30, 14), Qt::AlignLeft | Qt::AlignVCenter, "pF");

    // The switch SW across Csw.
    p.drawLine(kSwitchX, kTop, kSwitchX, 52);
    dot(p, kSwitchX, 52);
    p.drawLine(kSwitchX, 52, kSwitchX + 9, 74);
    dot(p, kSwitchX, 76);
    p.drawLine(kSwitchX, 76, kSwitchX, kGround);
    p.drawText(QRect(kCswX + 4, 34, 22, 14), Qt::AlignLeft | Qt::AlignVCenter, "SW");

    // Divider: C1 from the right end to the tap, C2 from the tap to ground.
    p.drawLine(kNodeX, kTop, kNodeX, 37);
    capacitor(p, kNodeX, 40);
    p.drawLine(kNodeX, 43, kNodeX, 89);
    dot(p, kNodeX, kTapY);
    capacitor(p, kNodeX, 92);
    p.drawLine(kNodeX, 95, kNodeX, kGround);
    p.drawText(QRect(kNodeX + 6, 30, 22, 14), Qt::AlignLeft | Qt::AlignVCenter, "C1");
    p.drawText(QRect(kNodeX + 6, 82, 22, 14), Qt::AlignLeft | Qt::AlignVCenter, "C2");

    // Ground rail and symbol.
    p.drawLine(kCswX, kGround, kNodeX, kGround);
    const int gx = (kCswX + kNodeX) / 2;
    p.drawLine(gx, kGround, gx, kGround + 4);
    p.drawLine(gx - 8, kGround + 4, gx + 8, kGround + 4);
    p.drawLine(gx - 5, kGround + 7, gx + 5, kGround + 7);
    p.drawLine(gx - 2, kGround + 10, gx + 2, kGround + 10);

    // To the oscillator, through its boundary.
    arrow(p, kNodeX, 196, kTop);
    arrow(p, kNodeX, 196, kTapY);
    QPen dashed(Qt::black, 1, Qt::DashLine);
    p.setPen(dashed);
    p.drawLine(kBoundaryX, 4, kBoundaryX, 100);
    p.setPen(pen);
    p.drawText(QRect(kBoundaryX + 4, 78, 46, 30), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               "Osc. circuit");
}

} // namespace korvan::tools::gui
