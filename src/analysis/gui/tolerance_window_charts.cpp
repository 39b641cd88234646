// The tolerance window's charts: the S21 envelope (or the nominal design
// before a run) and the histograms of the trials.

#include "analysis/gui/tolerance_window.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace korvan::gui {

using namespace analysis;

namespace {

// removeAxis hands the axis back instead of deleting it, as removeAllSeries
// does with the series.
void clearChart(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

void addEnvelopeAxes(QChart* chart, double fromKHz, double toKHz, double deepestDb) {
    auto* x = new QValueAxis;
    x->setTitleText("Offset from the span's centre [kHz]");
    x->setRange(fromKHz, toKHz);
    x->setTickCount(11);
    auto* y = new QValueAxis;
    y->setTitleText("S21 [dB]");
    y->setRange(-std::clamp(std::ceil(deepestDb / 10) * 10, 10.0, 120.0), 0);
    y->setTickCount(7);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

} // namespace

void ToleranceWindow::drawEnvelope(const ToleranceResult& r) {
    QChart* chart = envelopeView_->chart();
    clearChart(chart);
    chart->setTitle("S21 over the span: best, median and worst of the trials");
    const Envelope& e = r.envelope;
    if (e.f.empty()) return;

    // S21 in dB (0 at the top), frequency as offset from the span's centre.
    const double centre = (e.f.front() + e.f.back()) / 2;
    auto* best = new QLineSeries;
    auto* median = new QLineSeries;
    auto* worst = new QLineSeries;
    best->setName("best");
    median->setName("median");
    worst->setName("worst");
    double deepest = 0;
    for (std::size_t k = 0; k < e.f.size(); ++k) {
        const double x = (e.f[k] - centre) / 1000;
        best->append(x, -e.minDb[k]);
        median->append(x, -e.medianDb[k]);
        worst->append(x, -e.maxDb[k]);
        deepest = std::max(deepest, e.maxDb[k]);
    }
    auto* nominal = new QLineSeries;
    nominal->setName("nominal");
    for (std::size_t k = 0; k < r.nominalLossDb.size(); ++k)
        nominal->append((e.f[k] - centre) / 1000, -r.nominalLossDb[k]);
    QPen dashed(QColor(200, 40, 40));
    dashed.setStyle(Qt::DashLine);
    dashed.setWidthF(1.2);
    nominal->setPen(dashed);
    auto* band = new QAreaSeries(best, worst);
    // The area series draws its two edges but does not own them.
    best->setParent(band);
    worst->setParent(band);
    band->setName("best to worst");
    band->setColor(QColor(120, 160, 230, 90));
    band->setBorderColor(QColor(120, 160, 230, 90));
    QPen pen(QColor(20, 60, 170));
    pen.setWidthF(1.5);
    median->setPen(pen);
    chart->addSeries(band);
    chart->addSeries(median);
    chart->addSeries(nominal);
    addEnvelopeAxes(chart, (e.f.front() - centre) / 1000, (e.f.back() - centre) / 1000, deepest);
}

void ToleranceWindow::drawNominal() {
    QChart* chart = envelopeView_->chart();
    clearChart(chart);
    QString problem;
    const auto design = currentDesign(&problem);
    if (!design) {
        chart->setTitle(problem);
        return;
    }
    chart->setTitle("S21 of the nominal design: press Run for the spread of the trials");
    std::vector<double> loss(design->frequencies.size());
    LossSweep(design->frequencies, design->allowanceDb).run(design->ladder, loss);
    const auto& f = design->frequencies;
    const double centre = (f.front() + f.back()) / 2;
    auto* nominal = new QLineSeries;
    nominal->setName("nominal");
    double deepest = 0;
    for (std::size_t k = 0; k < f.size(); ++k) {
        if (!std::isfinite(loss[k])) continue;
        nominal->append((f[k] - centre) / 1000, -loss[k]);
        deepest = std::max(deepest, loss[k]);
    }
    QPen pen(QColor(200, 40, 40));
    pen.setWidthF(1.2);
    nominal->setPen(pen);
    chart->addSeries(nominal);
    addEnvelopeAxes(chart, (f.front() - centre) / 1000, (f.back() - centre) / 1000, deepest);
}

void ToleranceWindow::drawHistogram(QChart* chart, const std::vector<double>& values,
                                    const QString& title, const QString& unit,
                                    const std::vector<double>& marks) {
    clearChart(chart);
    chart->setTitle(title + " of the trials");
    chart->legend()->hide();
    const Histogram h = histogram(values, 40);
    if (h.counts.empty()) return;
    // Steps: each bin as a flat top between its edges.
    auto* top = new QLineSeries;
    long long most = 0;
    top->append(h.lowest, 0);
    for (std::size_t b = 0; b < h.counts.size(); ++b) {
        const double left = h.lowest + static_cast<double>(b) * h.width;
        const auto c = static_cast<double>(h.counts[b]);
        top->append(left, c);
        top->append(left + h.width, c);
        most = std::max(most, h.counts[b]);
    }
    top->append(h.lowest + static_cast<double>(h.counts.size()) * h.width, 0);
    auto* area = new QAreaSeries(top);
    top->setParent(area);
    area->setColor(QColor(90, 150, 90, 160));
    area->setBorderColor(QColor(40, 100, 40));
    chart->addSeries(area);
    double left = h.lowest, right = h.lowest + static_cast<double>(h.counts.size()) * h.width;
    const double height = static_cast<double>(most) * 1.08;
    for (double m : marks) {
        auto* line = new QLineSeries;
        line->append(m, 0);
        line->append(m, height);
        QPen pen(QColor(200, 40, 40));
        pen.setWidthF(1.5);
        line->setPen(pen);
        chart->addSeries(line);
        left = std::min(left, m);
        right = std::max(right, m);
    }
    auto* x = new QValueAxis;
    x->setTitleText(title + " [" + unit + "]" + (marks.empty() ? "" : "; red: yield limits"));
    x->setRange(left - (right - left) * 0.02, right + (right - left) * 0.02);
    x->applyNiceNumbers();
    auto* y = new QValueAxis;
    y->setTitleText("Trials");
    y->setRange(0, height);
    y->applyNiceNumbers();
    y->setLabelFormat("%d");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

} // namespace korvan::gui
