#include "response/gui/plot_view.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace korvan::response {

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// Rounds to the nearest integer, halves to the even neighbour; far values are
// clamped so that a huge loss still lands (clipped) below the area.
int nearestEven(double x) {
    if (!std::isfinite(x)) return x < 0 ? -100000 : 100000;
    x = std::clamp(x, -100000.0, 100000.0);
    return static_cast<int>(std::nearbyint(x));
}

// The plot's lines cover their start but not their end point.
void lineTo(QPainter& p, QPoint& pen, QPoint to) {
    if (pen != to) {
        const QPoint d = to - pen;
        const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
        // Stop one pixel short along the dominant direction.
        const QPointF end = QPointF(pen) + QPointF(d) * (steps - 1) / steps;
        p.drawLine(QLineF(QPointF(pen), end));
    }
    pen = to;
}

void line(QPainter& p, QPoint from, QPoint to) {
    lineTo(p, from, to);
}

QPen dotted(Rgb colour) {
    QPen pen(toQColor(colour), 0);
    pen.setDashPattern({1, 1});
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void drawTrace(QPainter& p, const std::array<float, kSweepSamples>& samples, int first,
               const std::function<int(double)>& row) {
    QPoint pen(first == 0 ? 0 : 1, row(samples[0]));
    for (int k = first; k < kSweepSamples; ++k)
        lineTo(p, pen, QPoint(k + 1, row(samples[static_cast<std::size_t>(k)])));
}

} // namespace

int lossRow(double lossDb, bool scale10dB) {
    return nearestEven((scale10dB ? 5.0 : 50.0) * lossDb + 1);
}

int vswrRow(double vswr) {
    return nearestEven(500 - 50 * (vswr - 1) + 1);
}

void drawPlot(QPainter& p, const PlotData& data) {
    const DesignState& s = *data.state;
    const PlotColours& c = s.colours;
    constexpr int w = kPlotW, h = kPlotH;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(0, 0, w + 1, h + 1);

    // Area and frame.
    p.fillRect(0, 0, w + 1, h + 1, toQColor(c.background));
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(0, 0, w, h);

    // Grid.
    p.setPen(dotted(c.grid));
    for (int i = 1; i <= 9; ++i) {
        line(p, {i * w / 10, 1}, {i * w / 10, h});
        line(p, {1, i * h / 10 + 2}, {w, i * h / 10 + 2});
    }
    p.setPen(dotted(c.s21));
    line(p, {w / 2, h + 1}, {w / 2, 0});

    // Traces.
    const bool tenDb = s.Scale10dB;
    const auto loss = [tenDb](double v) { return lossRow(v, tenDb); };
    p.setPen(QPen(toQColor(c.s21), 0));
    drawTrace(p, s.RespS21, 0, loss);
    if (data.showS11 && tenDb) {
        p.setPen(QPen(toQColor(c.s11), 0));
        drawTrace(p, s.RespS11, 1, loss);
    }
    if (data.showVswr) {
        p.setPen(QPen(toQColor(c.vswr), 0));
        drawTrace(p, s.RespVSWR, 1, [](double v) { return vswrRow(v); });
    }

    // Ultimate attenuation, only in the 10 dB/div scale.
    if (tenDb) {
        p.setPen(QPen(toQColor(c.ultAttn), 0));
        line(p, {1, s.UltAttnLineY}, {w, s.UltAttnLineY});
    }
}

PlotView::PlotView(QWidget* parent) : QWidget(parent) {
    setObjectName("PaintBox1");
    setGeometry(kPlotLeft, kPlotTop, kPlotW + 1, kPlotH + 1);
    setFixedSize(kPlotW + 1, kPlotH + 1);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotView::invalidate() {
    fullPaint_ = true;
    update();
}

void PlotView::cursorMoved() {
    update();
}

void PlotView::paintEvent(QPaintEvent*) {
    if (fullPaint_ || picture_.isNull()) {
        if (repaint_) last_ = repaint_();
        picture_ = QImage(kPlotW + 1, kPlotH + 1, QImage::Format_RGB32);
        picture_.fill(Qt::white);
        if (last_.state) {
            QPainter ip(&picture_);
            drawPlot(ip, last_);
        }
        fullPaint_ = false;
    }
    QPainter p(this);
    p.drawImage(0, 0, picture_);
    if (last_.state && last_.state->CursorX >= 0 && !last_.state->StopCalc) {
        // Drawn inverted against the picture, so the line shows on any colour.
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(toQColor(last_.state->colours.cursor), 0));
        const int x = last_.state->CursorX;
        p.drawLine(x, 1, x, kPlotH);
    }
}

void PlotView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit mouseMovedAt(pos.x(), pos.y());
}

} // namespace korvan::response
