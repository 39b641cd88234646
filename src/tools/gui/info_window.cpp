#include "tools/gui/info_window.h"

#include "tools/gradient.h"
#include "tools/gui/tool_widgets.h"

#include <QFontMetrics>
#include <QPainter>

#ifndef KORVAN_VERSION
#define KORVAN_VERSION "3.0.2.3"
#endif

namespace korvan::tools::gui {

void paintGradient(QPainter& painter, Rgb top, Rgb bottom, const QRect& rect) {
    const auto rows = gradientRows(top, bottom, rect.top(), rect.top() + rect.height());
    int y = rect.top();
    for (const Rgb c : rows)
        painter.fillRect(rect.left(), y++, rect.width(), 1, QColor(c.r, c.g, c.b));
}

namespace {

QLabel* infoLabel(QWidget* parent, const char* name, const QString& text, QRect box, int pixels,
                  const QColor& colour, bool wrap) {
    QLabel* l = makeLabel(parent, name, text, box, Qt::AlignCenter);
    l->setWordWrap(wrap);
    // The described character height, unless the text would not fit its box
    // in the font at hand (DejaVu runs wider than the design's font).
    QFont f = l->font();
    for (int size = pixels; size >= pixels * 3 / 4; --size) {
        f.setPixelSize(size);
        const QRect need = QFontMetrics(f).boundingRect(
            QRect(0, 0, box.width(), 10000), Qt::AlignCenter | (wrap ? Qt::TextWordWrap : 0), text);
        if (need.width() <= box.width() && need.height() <= box.height()) break;
    }
    l->setFont(f);
    setTextColour(l, colour);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}

} // namespace

InfoWindow::InfoWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName("TForm3");
    setWindowTitle("Info");
    setModal(true);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    setFont(f);
    setPalette(QPalette(QColor(192, 192, 192)));
    // Its designed size; only maximising enlarges it.
    setMinimumSize(386, 235);
    resize(386, 235);
    move(282, 189);

    infoLabel(this, "Label1", "Crystal Ladder Filter Program ", {6, 4, 373, 29}, 24, Qt::yellow,
              false);
    infoLabel(this, "Label2",
              "Allows the design of the LSB-type of xtal filters with  Butterworth, Chebychev, "
              "Cohn, QER characteristics ",
              {8, 35, 369, 41}, 16, Qt::white, true);
    infoLabel(this, "Label5",
              "Method: coupling coefficients after Dishal and Zverev; Cohn and QER designs; "
              "crystal data by the 3 dB and G3UUR methods.",
              {6, 78, 373, 37}, 13, Qt::white, true);
    infoLabel(this, "Label4", "Free software under the GNU GPL, version 3 or later.",
              {6, 118, 373, 15}, 11, Qt::cyan, false);
    infoLabel(this, "Label6", "Provided as is: no warranty, no liability for its results.",
              {6, 134, 373, 15}, 11, Qt::yellow, false);
    infoLabel(this, "Label3",
              QStringLiteral("KORVAN  Vers. %1\nby qx0zz and contributors\n2026")
                  .arg(QStringLiteral(KORVAN_VERSION)),
              {56, 152, 273, 81}, 16, QColor(128, 0, 0), true);
}

void InfoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The client height at this paint: a maximised window gets it all.
    paintGradient(painter, kInfoTopColour, kInfoBottomColour, rect());
}

} // namespace korvan::tools::gui
