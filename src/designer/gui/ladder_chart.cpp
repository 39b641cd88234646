#include "designer/gui/ladder_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace korvan::designer::gui {

namespace {

constexpr double kDeepestDb = 100; // the dB axis goes no lower

QPen pen(const QColor& colour, Qt::PenStyle style = Qt::SolidLine, double width = 1.4) {
    QPen p(colour);
    p.setStyle(style);
    p.setWidthF(width);
    return p;
}

} // namespace

LadderChart::LadderChart(QWidget* parent) : QChartView(new QChart, parent) {
    setObjectName("ResponseChart");
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setMargins(QMargins(4, 4, 4, 4));
    setMinimumSize(480, 300);
    clear("Press Design to see the response of the ladder");
}

void LadderChart::clear(const QString& message) {
    chart()->removeAllSeries();
    for (QAbstractAxis* axis : chart()->axes()) {
        chart()->removeAxis(axis);
        delete axis;
    }
    x_ = db_ = delay_ = nullptr;
    chart()->setTitle(message);
}

QLineSeries* LadderChart::addCurve(const QString& name, const std::vector<double>& fHz,
                                   const std::vector<double>& values, double scale, const QPen& pen,
                                   QValueAxis* y) {
    auto* series = new QLineSeries;
    series->setName(name);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(fHz.size()));
    for (std::size_t i = 0; i < fHz.size() && i < values.size(); ++i)
        if (std::isfinite(values[i])) points.append({fHz[i] - centreHz_, values[i] * scale});
    series->replace(points);
    series->setPen(pen);
    chart()->addSeries(series);
    series->attachAxis(x_);
    series->attachAxis(y);
    return series;
}

void LadderChart::showDesign(const LadderCurves& c, double centreHz, const QString& standardName) {
    clear(
        QString("S21 and group delay of the ladder as built, f0 = %1 Hz").arg(centreHz, 0, 'f', 1));
    if (c.fHz.size() < 2) {
        chart()->setTitle("The ladder's response could not be computed");
        return;
    }
    centreHz_ = centreHz;
    x_ = new QValueAxis;
    x_->setTitleText("f \u2212 f0 [Hz]");
    x_->setLabelFormat("%.0f");
    x_->setRange(c.fHz.front() - centreHz, c.fHz.back() - centreHz);
    db_ = new QValueAxis;
    db_->setTitleText("S21 [dB]");
    db_->setLabelFormat("%.0f");
    delay_ = new QValueAxis;
    delay_->setTitleText("group delay [\u00b5s]");
    delay_->setLabelFormat("%.0f");
    chart()->addAxis(x_, Qt::AlignBottom);
    chart()->addAxis(db_, Qt::AlignLeft);
    chart()->addAxis(delay_, Qt::AlignRight);

    addCurve("S21 ideal", c.fHz, c.idealS21Db, 1, pen(QColor(30, 90, 200), Qt::SolidLine, 1.8),
             db_);
    addCurve("S21 " + standardName, c.fHz, c.standardS21Db, 1,
             pen(QColor(200, 40, 40), Qt::DashLine), db_);
    addCurve("delay ideal", c.fHz, c.idealDelayS, 1e6, pen(QColor(30, 150, 60)), delay_);
    addCurve("delay " + standardName, c.fHz, c.standardDelayS, 1e6,
             pen(QColor(170, 120, 20), Qt::DashLine), delay_);
    fitDbAxis();
    // The delay's peaks at the band edges set its scale.
    double top = 0;
    for (double d : c.idealDelayS) top = std::max(top, d * 1e6);
    for (double d : c.standardDelayS) top = std::max(top, d * 1e6);
    delay_->setRange(0, top > 0 ? 1.1 * top : 1);
    delay_->applyNiceNumbers();
    x_->setTickCount(9);
}

QLineSeries* LadderChart::addS21Curve(const QString& name, const std::vector<double>& fHz,
                                      const std::vector<double>& s21Db, const QPen& pen) {
    if (!x_ || !db_) return nullptr;
    QLineSeries* series = addCurve(name, fHz, s21Db, 1, pen, db_);
    fitDbAxis();
    return series;
}

void LadderChart::fitDbAxis() {
    double lowest = 0;
    for (QAbstractSeries* s : chart()->series()) {
        auto* line = qobject_cast<QLineSeries*>(s);
        if (!line || !line->attachedAxes().contains(db_)) continue;
        for (const QPointF& p : line->points()) lowest = std::min(lowest, p.y());
    }
    db_->setRange(std::max(-kDeepestDb, std::floor(lowest / 10) * 10), 0);
    db_->setTickCount(std::clamp(static_cast<int>(-db_->min() / 10) + 1, 3, 11));
}

} // namespace korvan::designer::gui
