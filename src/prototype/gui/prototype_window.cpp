#include "prototype/gui/prototype_window.h"

#include "model/gui/event_guard.h"

#include "prototype/coupled_response.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvan::prototype::gui {
namespace {

constexpr double kSpan = 3; // the charts show w = -3 .. 3
constexpr int kChartPoints = 481;
constexpr double kDeepestDb = 60;

enum Curve { Lossless, Lossy, Uncorrected };

const QColor kColours[] = {QColor(30, 90, 200), QColor(200, 40, 40), QColor(120, 120, 120)};

QValueAxis* frequencyAxis() {
    auto* x = new QValueAxis;
    x->setTitleText("2 (f \u2212 f0) / BW");
    x->setRange(-kSpan, kSpan);
    x->setTickCount(7);
    x->setLabelFormat("%.0f");
    return x;
}

QChart* newChart(const QString& title, QLineSeries* series[3], QValueAxis* y) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    QValueAxis* x = frequencyAxis();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (int c = 0; c < 3; ++c) {
        series[c] = new QLineSeries;
        QPen pen(kColours[c], c == Lossless ? 2.0 : 1.5);
        if (c == Uncorrected) pen.setStyle(Qt::DashLine);
        series[c]->setPen(pen);
        chart->addSeries(series[c]);
        series[c]->attachAxis(x);
        series[c]->attachAxis(y);
    }
    return chart;
}

QChartView* viewOf(QChart* chart, const char* name, QWidget* parent) {
    auto* view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(200);
    return view;
}

QList<QPointF> points(const std::vector<double>& x, const std::vector<double>& y, double scale,
                      double floor) {
    QList<QPointF> list;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::isfinite(y[i])) list.append(QPointF(x[i], std::max(y[i] * scale, floor)));
    return list;
}

} // namespace

PrototypeWindow::PrototypeWindow(char separator, QWidget* parent)
    : QWidget(parent, Qt::Window), separator_(separator) {
    setObjectName("TFormPrototype");
    setWindowTitle("Prototype coefficients");
    resize(980, 760);

    family_ = new QComboBox(this);
    family_->setObjectName("FamilyBox");
    for (const FamilyInfo& info : families())
        family_->addItem(QString::fromUtf8(info.title.data(), static_cast<int>(info.title.size())),
                         QString::fromUtf8(info.name.data(), static_cast<int>(info.name.size())));
    poles_ = new QSpinBox(this);
    poles_->setObjectName("PolesBox");
    poles_->setRange(2, 14);
    poles_->setValue(4);
    ripple_ = new QDoubleSpinBox(this);
    ripple_->setObjectName("RippleBox");
    ripple_->setDecimals(3);
    ripple_->setRange(kMinRippleDb, kMaxRippleDb);
    ripple_->setSingleStep(0.1);
    ripple_->setValue(0.1);
    ripple_->setKeyboardTracking(false);
    ripple_->setToolTip("Pass-band ripple of the Chebyshev response");
    lossy_ = new QCheckBox("Predistort for qo", this);
    lossy_->setObjectName("LossyBox");
    lossy_->setToolTip("Resonators of finite unloaded Q: qo = Qu BW / f0. The predistorted "
                       "ladder keeps the lossless shape, lowered by the insertion loss.");
    qo_ = new QDoubleSpinBox(this);
    qo_->setObjectName("QoBox");
    qo_->setDecimals(3);
    qo_->setRange(0.001, 1e7);
    qo_->setValue(20);
    qo_->setEnabled(false);
    qo_->setKeyboardTracking(false); // computed when typed in, not at every key
    qoMin_ = new QLabel(this);
    qoMin_->setObjectName("QoMinLabel");
    copy_ = new QPushButton("Copy table", this);
    copy_->setObjectName("CopyButton");
    copy_->setToolTip("Copy the coefficients as tab-separated text");

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel("Family", this));
    bar->addWidget(family_);
    bar->addSpacing(12);
    bar->addWidget(new QLabel("Poles", this));
    bar->addWidget(poles_);
    bar->addSpacing(12);
    bar->addWidget(new QLabel("Ripple [dB]", this));
    bar->addWidget(ripple_);
    bar->addSpacing(12);
    bar->addWidget(lossy_);
    bar->addWidget(qo_);
    bar->addWidget(qoMin_);
    bar->addStretch();
    bar->addWidget(copy_);

    status_ = new QLabel(this);
    status_->setObjectName("StatusLabel");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    table_ = new QTableWidget(this);
    table_->setObjectName("SolutionsTable");
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->horizontalHeader()->setDefaultSectionSize(78);

    auto* s21Axis = new QValueAxis;
    s21Axis->setTitleText("S21 [dB]");
    s21Axis->setRange(-kDeepestDb, 0);
    s21Axis->setTickCount(7);
    s21Axis->setLabelFormat("%.0f");
    delayAxis_ = new QValueAxis;
    delayAxis_->setTitleText("delay \u00d7 BW");
    delayAxis_->setLabelFormat("%.2f");
    s21Chart_ = newChart("S21 of the chosen solution", s21Series_, s21Axis);
    delayChart_ = newChart("Group delay of the chosen solution", delaySeries_, delayAxis_);
    auto* charts = new QHBoxLayout;
    charts->addWidget(viewOf(s21Chart_, "S21Chart", this));
    charts->addWidget(viewOf(delayChart_, "DelayChart", this));
    auto* chartBox = new QWidget(this);
    chartBox->setLayout(charts);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(chartBox);
    split->setSizes({230, 470});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(status_);
    layout->addWidget(split, 1);

    connect(family_, &QComboBox::currentIndexChanged, this, &PrototypeWindow::recompute);
    connect(poles_, &QSpinBox::valueChanged, this, &PrototypeWindow::recompute);
    connect(ripple_, &QDoubleSpinBox::valueChanged, this, &PrototypeWindow::recompute);
    connect(lossy_, &QCheckBox::toggled, this, &PrototypeWindow::recompute);
    connect(qo_, &QDoubleSpinBox::valueChanged, this, &PrototypeWindow::recompute);
    connect(copy_, &QPushButton::clicked, this,
            korvan::gui::guardedSlot(this, windowTitle(), [this] { copyTable(); }));
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            korvan::gui::guardedSlot(this, windowTitle(), [this] { drawChosen(); }));
    recompute();
}

QString PrototypeWindow::number(double value, int decimals) const {
    QString text = QString::number(value, 'f', decimals);
    if (separator_ != '.') text.replace('.', QChar(separator_));
    return text;
}

void PrototypeWindow::recompute() {
    // Every exception ends here, shown in the window: a refused input is an
    // answer, not a fault.
    try {
        const FamilyInfo& info =
            familyInfo(parseFamily(family_->currentData().toString().toStdString()));
        ripple_->setEnabled(info.hasRipple);
        qo_->setEnabled(lossy_->isChecked());
        {
            const QSignalBlocker quiet(poles_);
            poles_->setRange(info.minPoles, info.maxPoles);
        }
        Request r;
        r.family = info.family;
        r.poles = poles_->value();
        r.rippleDb = info.hasRipple ? ripple_->value() : 0;
        const double least = minimumQo(r);
        qoMin_->setText("minimum qo " + number(least, 4));
        Request lossless = r;
        losslessChosen_ = coefficients(lossless);
        if (lossy_->isChecked()) r.qo = qo_->value();
        prototype_ = solutions(r);
        QString text = QString("%1 solution%2, the most balanced first")
                           .arg(prototype_.solutions.size())
                           .arg(prototype_.solutions.size() == 1 ? "" : "s");
        if (r.qo)
            text += "; insertion loss " + number(prototype_.insertionLossDb, 4) +
                    " dB; q1 and qn count the end resonators' own loss, qe1 and qen are what "
                    "the terminations must give";
        status_->setStyleSheet("");
        status_->setText(text);
        fillTable();
    } catch (const std::exception& e) {
        showRefusal(QString::fromStdString(e.what()));
    }
}

void PrototypeWindow::showRefusal(const QString& text) {
    prototype_ = Prototype{};
    status_->setStyleSheet("color: #a00000");
    status_->setText(text);
    table_->clearContents();
    table_->setRowCount(0);
    for (int c = 0; c < 3; ++c) {
        s21Series_[c]->clear();
        delaySeries_[c]->clear();
    }
}

void PrototypeWindow::fillTable() {
    const bool lossy = prototype_.request.qo.has_value();
    const int n = prototype_.request.poles;
    QStringList headers{"q1", "qn"};
    if (lossy)
        headers << "qe1"
                << "qen";
    for (int i = 1; i < n; ++i) headers << QString("k%1%2").arg(i).arg(i + 1);
    const QSignalBlocker quiet(table_);
    table_->clear();
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(prototype_.solutions.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const auto& c = prototype_.solutions[static_cast<std::size_t>(row)];
        std::vector<double> values{c.q1, c.qn};
        if (lossy) values.insert(values.end(), {c.qe1, c.qen});
        values.insert(values.end(), c.k.begin(), c.k.end());
        for (std::size_t col = 0; col < values.size(); ++col) {
            auto* item = new QTableWidgetItem(number(values[col]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, static_cast<int>(col), item);
        }
    }
    table_->selectRow(0);
    drawChosen();
}

void PrototypeWindow::drawChosen() {
    if (prototype_.solutions.empty()) return;
    const int row = std::max(0, table_->currentRow());
    const auto& chosen = prototype_.solutions[static_cast<std::size_t>(
        std::min<std::size_t>(static_cast<std::size_t>(row), prototype_.solutions.size() - 1))];
    const auto qo = prototype_.request.qo;
    // delay x BW = (low-pass delay) / pi
    const double toDelay = 1 / std::numbers::pi;
    const auto show = [this, toDelay](Curve c, const CoupledResonatorCoefficients& k, double q,
                                      const QString& name) {
        const ResponseCurve curve = responseCurve(k, q, kSpan, kChartPoints);
        s21Series_[c]->replace(points(curve.w, curve.s21Db, 1, -kDeepestDb - 10));
        delaySeries_[c]->replace(points(curve.w, curve.delay, toDelay, 0));
        s21Series_[c]->setName(name);
        delaySeries_[c]->setName(name);
        s21Series_[c]->setVisible(true);
        delaySeries_[c]->setVisible(true);
    };
    const ResponseCurve family = responseCurve(losslessChosen_, 0, kSpan, kChartPoints);
    show(Lossless, chosen, 0, qo ? "lossless resonators" : "lossless");
    for (const Curve c : {Lossy, Uncorrected}) {
        s21Series_[c]->setVisible(qo.has_value());
        delaySeries_[c]->setVisible(qo.has_value());
    }
    if (qo) {
        QString q = QString::number(*qo, 'g', 6);
        if (separator_ != '.') q.replace('.', QChar(separator_));
        show(Lossy, chosen, *qo, "qo " + q);
        show(Uncorrected, losslessChosen_, *qo, "qo " + q + ", not predistorted");
    }
    // The delay axis follows the family's own delay; a peaked curve of a
    // predistorted ladder with lossless resonators may leave it.
    const double top = *std::max_element(family.delay.begin(), family.delay.end()) * toDelay;
    delayAxis_->setRange(0, std::ceil(top * 1.6 * 10) / 10);
}

QString PrototypeWindow::tableText() const {
    QStringList lines;
    QStringList header{"solution"};
    for (int c = 0; c < table_->columnCount(); ++c)
        header << table_->horizontalHeaderItem(c)->text();
    lines << header.join('\t');
    for (int r = 0; r < table_->rowCount(); ++r) {
        QStringList cells{QString::number(r + 1)};
        for (int c = 0; c < table_->columnCount(); ++c) cells << table_->item(r, c)->text();
        lines << cells.join('\t');
    }
    return lines.join('\n') + '\n';
}

void PrototypeWindow::copyTable() {
    QApplication::clipboard()->setText(tableText());
}

QAction* installPrototypeWindow(QMenu* menu, QWidget* parent, char separator) {
    if (!menu) return nullptr;
    auto* action = menu->addAction("Prototype coefficients\u2026");
    action->setObjectName("PrototypeCoefficients1");
    QObject::connect(
        action, &QAction::triggered, parent,
        korvan::gui::guardedSlot(parent, "Prototype coefficients", [parent, separator] {
            auto* window = parent->findChild<PrototypeWindow*>("TFormPrototype");
            if (!window) window = new PrototypeWindow(separator, parent);
            window->show();
            window->raise();
            window->activateWindow();
        }));
    return action;
}

} // namespace korvan::prototype::gui
