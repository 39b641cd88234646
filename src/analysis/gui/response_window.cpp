#include "analysis/gui/response_window.h"

#include "analysis/figure_notes.h"
#include "analysis/ngspice_deck.h"
#include "analysis/response_export.h"
#include "measurement/gui/overlay_panel.h"
#include "model/gui/event_guard.h"
#include "model/text_file.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <exception>

namespace korvan::analysis::gui {

namespace {

// Losses beyond this are drawn at it: the axis stays readable for a filter
// whose far stop band goes out of sight.
constexpr double kFloorDb = -160;

using korvan::gui::guardedSlot;
using korvan::gui::runGuarded;

const QString kTitle = QStringLiteral("Response details");

QString number(double v, int decimals) {
    if (!std::isfinite(v)) return QStringLiteral("-");
    return QString::number(v, 'f', decimals);
}

QPushButton* button(const char* text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(name);
    return b;
}

} // namespace

ResponseWindow::ResponseWindow(OutcomeFeed& outcomes, MessageSink& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), outcomes_(outcomes), messages_(messages) {
    setObjectName("ResponseWindow");
    setWindowTitle(kTitle);
    chooseFile_ = [this](const QString& caption, const QString& filter, const QString& name) {
        return QFileDialog::getSaveFileName(this, caption, name, filter);
    };
    buildControls();
    resize(1180, 900);
    designChanged();
    // Hidden, the window costs the main window's calculations nothing:
    // showing it again draws the design then.
    following_ = outcomes_.subscribe([this](const OutcomePtr&) {
        korvan::gui::runGuarded(this, kTitle, [this] {
            if (isVisible()) designChanged();
        });
    });
}

void ResponseWindow::buildControls() {
    auto* top = new QVBoxLayout(this);

    auto* spanRow = new QHBoxLayout;
    const auto spin = [this](const char* name) {
        auto* s = new QDoubleSpinBox(this);
        s->setObjectName(name);
        s->setDecimals(3);
        s->setRange(kMinResponseHz * 0.001, kMaxResponseHz * 0.001);
        s->setSuffix(" kHz");
        s->setKeyboardTracking(false);
        return s;
    };
    start_ = spin("Start");
    stop_ = spin("Stop");
    points_ = new QSpinBox(this);
    points_->setObjectName("Points");
    points_->setRange(kMinResponsePoints, kMaxResponsePoints);
    points_->setValue(kDefaultResponsePoints);
    points_->setKeyboardTracking(false);
    follow_ = new QCheckBox("Follow the main plot's span", this);
    follow_->setObjectName("FollowSpan");
    follow_->setChecked(true);
    reference_ = new QLineEdit(this);
    reference_->setObjectName("Reference");
    reference_->setPlaceholderText("Zterm");
    reference_->setMaximumWidth(90);
    spanRow->addWidget(new QLabel("Start", this));
    spanRow->addWidget(start_);
    spanRow->addWidget(new QLabel("Stop", this));
    spanRow->addWidget(stop_);
    spanRow->addWidget(new QLabel("Points", this));
    spanRow->addWidget(points_);
    spanRow->addWidget(follow_);
    spanRow->addWidget(new QLabel("Reference [Ohm]", this));
    spanRow->addWidget(reference_);
    spanRow->addStretch();
    top->addLayout(spanRow);

    chart_ = new QChart;
    chart_->setObjectName("ResponseChart");
    s21_ = new QLineSeries(chart_);
    s21_->setName("S21 [dB]");
    s11_ = new QLineSeries(chart_);
    s11_->setName("S11 [dB]");
    delay_ = new QLineSeries(chart_);
    delay_->setName("Group delay [ms]");
    s21_->setPen(QPen(QColor(0, 0, 255), 1.5));
    s11_->setPen(QPen(QColor(255, 0, 0), 1.5));
    delay_->setPen(QPen(QColor(0, 128, 0), 1.5));
    for (auto* s : {s21_, s11_, delay_}) chart_->addSeries(s);
    axisF_ = new QValueAxis(chart_);
    axisF_->setTitleText("f [kHz]");
    axisF_->setLabelFormat("%.3f");
    axisDb_ = new QValueAxis(chart_);
    axisDb_->setTitleText("dB");
    axisDelay_ = new QValueAxis(chart_);
    axisDelay_->setTitleText("group delay [ms]");
    chart_->addAxis(axisF_, Qt::AlignBottom);
    chart_->addAxis(axisDb_, Qt::AlignLeft);
    chart_->addAxis(axisDelay_, Qt::AlignRight);
    for (auto* s : {s21_, s11_, delay_}) s->attachAxis(axisF_);
    s21_->attachAxis(axisDb_);
    s11_->attachAxis(axisDb_);
    delay_->attachAxis(axisDelay_);
    chart_->legend()->setAlignment(Qt::AlignTop);

    view_ = new QChartView(chart_, this);
    view_->setObjectName("ResponseChartView");
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setRubberBand(QChartView::HorizontalRubberBand);
    view_->setMouseTracking(true);
    view_->viewport()->setMouseTracking(true);
    view_->viewport()->installEventFilter(this);

    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName("ExactFigures");
    table_->setHorizontalHeaderLabels({"Exact figure", "Value", "Edges / at"});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumWidth(380);
    // What the table is, so that it is not read as the chart's figures when
    // the chart has another reference, nor as the main window's labels.
    tableCaption_ = new QLabel(this);
    tableCaption_->setObjectName("ExactFiguresCaption");
    tableCaption_->setWordWrap(true);
    notes_ = new QLabel(this);
    notes_->setObjectName("FigureNotes");
    notes_->setWordWrap(true);
    notes_->setStyleSheet("color: #a00000");
    notes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* figures = new QWidget(this);
    figures->setObjectName("ExactFiguresPanel");
    figures->setMaximumWidth(600);
    auto* side = new QVBoxLayout(figures);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(tableCaption_);
    side->addWidget(table_, 1);
    side->addWidget(notes_);

    auto* middle = new QWidget(this);
    auto* middleRow = new QHBoxLayout(middle);
    middleRow->setContentsMargins(0, 0, 0, 0);
    middleRow->addWidget(view_, 1);
    middleRow->addWidget(figures);
    // A built filter's measurement over the design, below the chart.
    overlay_ = new measurement::gui::MeasurementOverlay(kTitle, messages_, [this] {
        measurement::gui::OverlayFrame frame;
        frame.chart = chart_;
        frame.x = axisF_;
        frame.db = axisDb_;
        frame.delay = axisDelay_;
        frame.xPerHz = 0.001;
        frame.delayPerS = 1e3;
        return frame;
    });
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName("ResponseSplitter");
    split->addWidget(middle);
    split->addWidget(overlay_);
    split->setStretchFactor(0, 1);
    split->setSizes({560, 210});
    top->addWidget(split, 1);

    readout_ = new QLabel(" ", this);
    readout_->setObjectName("Readout");
    status_ = new QLabel(this);
    status_->setObjectName("Status");
    top->addWidget(readout_);
    top->addWidget(status_);

    auto* buttons = new QHBoxLayout;
    auto* reset = button("Reset zoom", "ResetZoom", this);
    format_ = new QComboBox(this);
    format_->setObjectName("TouchstoneFormat");
    format_->addItems({"DB", "MA", "RI"});
    auto* touchstone = button("Save Touchstone…", "SaveTouchstone", this);
    auto* csv = button("Save CSV…", "SaveCsv", this);
    auto* picture = button("Save picture…", "SavePicture", this);
    auto* deck = button("Save ngspice deck…", "SaveNgspice", this);
    buttons->addWidget(reset);
    buttons->addStretch();
    buttons->addWidget(new QLabel("Touchstone format", this));
    buttons->addWidget(format_);
    buttons->addWidget(touchstone);
    buttons->addWidget(csv);
    buttons->addWidget(picture);
    buttons->addWidget(deck);
    top->addLayout(buttons);

    connect(reset, &QPushButton::clicked, this, guardedSlot(this, kTitle, [this] { resetZoom(); }));
    connect(touchstone, &QPushButton::clicked, this, guardedSlot(this, kTitle, [this] {
                const QString path =
                    chooseFile_("Save Touchstone", "Touchstone (*.s2p)", "response.s2p");
                if (!path.isEmpty()) saveTouchstone(path);
            }));
    connect(csv, &QPushButton::clicked, this, guardedSlot(this, kTitle, [this] {
                const QString path = chooseFile_("Save CSV", "CSV (*.csv)", "response.csv");
                if (!path.isEmpty()) saveCsv(path);
            }));
    connect(picture, &QPushButton::clicked, this, guardedSlot(this, kTitle, [this] {
                const QString path = chooseFile_(
                    "Save picture", "PNG picture (*.png);;SVG picture (*.svg)", "response.png");
                if (!path.isEmpty()) savePicture(path);
            }));
    connect(deck, &QPushButton::clicked, this, guardedSlot(this, kTitle, [this] {
                const QString path =
                    chooseFile_("Save ngspice deck", "ngspice deck (*.cir)", "ladder.cir");
                if (!path.isEmpty()) saveNgspice(path);
            }));
    const auto userSpan = guardedSlot(this, kTitle, [this] {
        follow_->setChecked(false);
        recompute();
    });
    connect(start_, &QDoubleSpinBox::valueChanged, this, userSpan);
    connect(stop_, &QDoubleSpinBox::valueChanged, this, userSpan);
    connect(points_, &QSpinBox::valueChanged, this,
            guardedSlot(this, kTitle, [this] { recompute(); }));
    connect(reference_, &QLineEdit::editingFinished, this,
            guardedSlot(this, kTitle, [this] { recompute(); }));
    connect(follow_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) runGuarded(this, kTitle, [this] { designChanged(); });
    });
}

void ResponseWindow::designChanged() {
    outcome_ = outcomes_.current();
    if (outcome_ && follow_->isChecked()) {
        const SweepSpan span = displaySpan(outcome_->state(), points_->value());
        const QSignalBlocker a(start_), b(stop_);
        start_->setValue(span.startHz * 0.001);
        stop_->setValue(span.stopHz * 0.001);
    }
    recompute();
    fillTable();
    if (outcome_)
        overlay_->setDesign(measurement::gui::OverlayDesign{outcome_->ladder(),
                                                            outcome_->state().fm, std::nullopt});
    else
        overlay_->setDesign(std::nullopt);
}

std::optional<SweepSpan> ResponseWindow::chosenSpan() {
    SweepSpan span{start_->value() * 1000, stop_->value() * 1000, points_->value()};
    if (follow_->isChecked() && outcome_) {
        // The main plot's span exactly, not its three-decimal kHz display.
        const SweepSpan main = displaySpan(outcome_->state(), span.points);
        span.startHz = main.startHz;
        span.stopHz = main.stopHz;
    }
    if (const auto problem = spanProblem(span)) {
        status_->setText(QString::fromStdString("This span cannot be shown: " + *problem + "."));
        return std::nullopt;
    }
    return span;
}

PortReference ResponseWindow::chosenReference() const {
    bool ok = false;
    const double r = reference_->text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(r) && r >= kMinReferenceOhm && r <= kMaxReferenceOhm) return {r, r};
    return outcome_ ? terminations(outcome_->ladder()) : PortReference{};
}

void ResponseWindow::recompute() {
    // 100 001 points take a second or so to compute and draw: say so.
    const bool long_ = points_->value() > 20000;
    if (long_) QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([long_] {
        if (long_) QApplication::restoreOverrideCursor();
    });
    response_ = {};
    if (!outcome_) {
        status_->setText("The design stopped: there is no response to show.");
    } else if (const auto span = chosenSpan()) {
        response_ = sweepLadder(outcome_->ladder(), *span, chosenReference());
        if (!response_.finite()) {
            const std::string why = notFiniteReason(response_, outcome_->ladder());
            response_ = {};
            status_->setText(QString::fromStdString("This span cannot be shown: " + why + "."));
        } else {
            span_ = *span;
            QString text = QString("Reference %1 Ohm; drag to zoom, right click to zoom out.")
                               .arg(response_.reference.port1Ohm, 0, 'g', 8);
            if (response_.reference.port1Ohm != outcome_->ladder().sourceOhm)
                text = QString("The chart is referred to %1 Ohm; the exact figures stay those "
                               "of the filter between its %2 Ohm terminations. ")
                           .arg(response_.reference.port1Ohm, 0, 'g', 8)
                           .arg(outcome_->ladder().sourceOhm, 0, 'f', 1) +
                       "Drag to zoom, right click to zoom out.";
            const QString typed = reference_->text().trimmed();
            if (!typed.isEmpty() && response_.reference.port1Ohm != typed.toDouble())
                text = "\"" + typed + "\" is not a resistance of 0.001 to 1e9 Ohm: " + text;
            status_->setText(text);
        }
    }
    fillChart();
    overlay_->redraw();
    for (const char* name : {"SaveTouchstone", "SaveCsv", "SaveNgspice"})
        findChild<QPushButton*>(name)->setEnabled(response_.size() > 0);
}

void ResponseWindow::fillChart() {
    QList<QPointF> a, b, c;
    a.reserve(static_cast<qsizetype>(response_.size()));
    b.reserve(a.capacity());
    c.reserve(a.capacity());
    double lowest = 0, delayLow = 0, delayHigh = 0;
    for (std::size_t i = 0; i < response_.size(); ++i) {
        const double f = response_.fHz[i] * 0.001;
        const SParameters& s = response_.s[i];
        const double s21 = std::max(magnitudeDb(s.s21), kFloorDb);
        const double s11 = std::max(magnitudeDb(s.s11), kFloorDb);
        const double tau = s.groupDelayS * 1e3;
        a.append({f, s21});
        b.append({f, s11});
        c.append({f, tau});
        lowest = std::min({lowest, s21, s11});
        delayLow = std::min(delayLow, tau);
        delayHigh = std::max(delayHigh, tau);
    }
    s21_->replace(a);
    s11_->replace(b);
    delay_->replace(c);
    resetZoom();
    // Whole 10 or 20 dB steps from 0 down past the lowest curve.
    const double step = lowest < -60 ? 20 : 10;
    const double bottom = std::min(-step, std::floor(lowest / step) * step);
    axisDb_->setRange(bottom, 0);
    axisDb_->setTickCount(static_cast<int>(std::lround(-bottom / step)) + 1);
    axisDb_->setLabelFormat("%.0f");
    axisDelay_->setRange(delayLow, delayHigh > delayLow ? delayHigh * 1.1 : delayLow + 1);
}

void ResponseWindow::resetZoom() {
    chart_->zoomReset();
    if (response_.size() > 0)
        axisF_->setRange(response_.fHz.front() * 0.001, response_.fHz.back() * 0.001);
}

void ResponseWindow::fillTable() {
    table_->setRowCount(0);
    notes_->clear();
    notes_->setVisible(false);
    tableCaption_->setText(QString());
    if (!outcome_ || !outcome_->exact()) return;
    const double allowance = outcome_->lossAllowanceDb();
    QString caption = QString("Exact figures of the filter between its terminations (%1 Ohm), "
                              "within 200 kHz of fm")
                          .arg(outcome_->ladder().sourceOhm, 0, 'f', 1);
    if (allowance > 0)
        caption += QString("; the plain ladder, without the %1 dB the main window's loss "
                           "labels add")
                       .arg(allowance, 0, 'f', 2);
    tableCaption_->setText(caption + ".");
    const auto row = [this](const QString& name, const QString& value, const QString& where) {
        const int r = table_->rowCount();
        table_->insertRow(r);
        table_->setItem(r, 0, new QTableWidgetItem(name));
        table_->setItem(r, 1, new QTableWidgetItem(value));
        table_->setItem(r, 2, new QTableWidgetItem(where));
    };
    const ExactFigures& x = *outcome_->exact();
    row("Insertion loss [dB]", number(x.ilDb, 3), number(x.ilHz * 0.001, 5) + " kHz");
    row("Ripple [dB]", x.rippleDb ? number(*x.rippleDb, 3) : "3 dB band not reached", "");
    for (const PassbandDip& d : x.dips)
        row("Dip [dB below IL]", number(d.depthDb, 3), number(d.hz * 0.001, 5) + " kHz");
    for (std::size_t l = 0; l < kExactLevelsDb.size(); ++l) {
        const auto& e = x.levels[l];
        const QString name = QString("BW %1 dB [Hz]").arg(kExactLevelsDb[l]);
        if (const auto bw = e.bandwidthHz())
            row(name, number(*bw, 2),
                number(*e.lowHz * 0.001, 5) + " … " + number(*e.highHz * 0.001, 5) + " kHz");
        else
            row(name, "not reached", "within 200 kHz of fm");
    }
    const double asked = outcome_->state().B3db;
    if (asked > 0) row("BW 3 dB asked [Hz]", number(asked, 0), "B3db");
    if (x.groupDelayPeakS)
        row("Group delay peak [ms]", number(*x.groupDelayPeakS * 1e3, 4),
            number(*x.groupDelayPeakHz * 0.001, 5) + " kHz");
    table_->resizeColumnsToContents();
    // As wide as its columns, so that no edge frequency is cut off.
    int width = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < table_->columnCount(); ++c) width += table_->columnWidth(c);
    table_->setMinimumWidth(std::min(width, 600));
    QStringList notes;
    // A command is never broken across lines: it is copied as it stands.
    for (const std::string& n : figureNotes(x, asked, outcome_->separator()))
        notes << QString::fromStdString(n).toHtmlEscaped().replace(
            "korvan-cli ladder --compensate bandwidth",
            "<span style=\"white-space:nowrap\">korvan-cli ladder --compensate "
            "bandwidth</span>");
    notes_->setTextFormat(Qt::RichText);
    notes_->setText(notes.join("<br>"));
    notes_->setVisible(!notes.isEmpty());
}

QString ResponseWindow::readoutAt(double fHz) const {
    if (response_.size() == 0) return " ";
    const auto it = std::lower_bound(response_.fHz.begin(), response_.fHz.end(), fHz);
    std::size_t i = static_cast<std::size_t>(it - response_.fHz.begin());
    if (i >= response_.size()) i = response_.size() - 1;
    if (i > 0 && fHz - response_.fHz[i - 1] < response_.fHz[i] - fHz) --i;
    const SParameters& s = response_.s[i];
    return QString("f = %1 kHz    S21 = %2 dB    S11 = %3 dB    group delay = %4 ms")
        .arg(number(response_.fHz[i] * 0.001, 4), number(magnitudeDb(s.s21), 3),
             number(magnitudeDb(s.s11), 3), number(s.groupDelayS * 1e3, 4));
}

bool ResponseWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport() && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QPointF scene = view_->mapToScene(move->position().toPoint());
        const QPointF value = chart_->mapToValue(chart_->mapFromScene(scene), s21_);
        readout_->setText(readoutAt(value.x() * 1000));
    }
    return QWidget::eventFilter(watched, event);
}

void ResponseWindow::report(const std::string& text) {
    messages_.show({"Error", text, MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok});
}

namespace {

bool writeBytes(const QString& path, std::string_view bytes, std::string& error) {
    try {
        writeFileAtomically(path.toStdString(), bytes);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

} // namespace

bool ResponseWindow::saveTouchstone(const QString& path) {
    if (response_.size() == 0) return false;
    const auto format = parseTouchstoneFormat(format_->currentText().toStdString());
    const std::string text =
        touchstoneText(response_, *format, designDescription(outcome_->state(), outcome_->rmOhm()));
    std::string error;
    if (writeBytes(path, text, error)) return true;
    report("The Touchstone file could not be written: " + error + ".");
    return false;
}

bool ResponseWindow::saveCsv(const QString& path) {
    if (response_.size() == 0) return false;
    std::string error;
    if (writeBytes(path, responseCsvText(response_), error)) return true;
    report("The CSV file could not be written: " + error + ".");
    return false;
}

bool ResponseWindow::saveNgspice(const QString& path) {
    if (response_.size() == 0 || !outcome_) return false;
    const std::string deck = ngspiceDeck(outcome_->ladder(), span_, response_.reference.port1Ohm,
                                         designDescription(outcome_->state(), outcome_->rmOhm()),
                                         ngspiceResultName(path.toStdString()));
    std::string error;
    if (writeBytes(path, deck, error)) return true;
    report("The ngspice deck could not be written: " + error + ".");
    return false;
}

bool ResponseWindow::savePicture(const QString& path) {
    // The chart with a strip below that names the design, so that a picture
    // passed on still says what it shows.
    const QString caption =
        outcome_
            ? QString::fromStdString(pictureCaption(
                  outcome_->state(),
                  response_.size() > 0 ? response_.reference.port1Ohm : outcome_->state().Zterm,
                  outcome_->separator()))
            : QString();
    QFont font = view_->font();
    font.setPointSizeF(9);
    const int strip = QFontMetrics(font).height() + 8;
    const QSize chartSize = view_->size();
    const QSize size(chartSize.width(), chartSize.height() + strip);
    const auto drawCaption = [&](QPainter& painter) {
        painter.fillRect(QRect(0, chartSize.height(), size.width(), strip), Qt::white);
        painter.setPen(Qt::black);
        painter.setFont(font);
        painter.drawText(QRect(6, chartSize.height(), size.width() - 12, strip),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
    };
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (path.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle("KORVAN response");
        svg.setDescription(caption);
        QPainter painter(&svg);
        view_->render(&painter);
        drawCaption(painter);
        painter.end();
    } else {
        QImage image(size * view_->devicePixelRatio(), QImage::Format_RGB32);
        image.setDevicePixelRatio(view_->devicePixelRatio());
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.drawPixmap(0, 0, view_->grab());
        drawCaption(painter);
        painter.end();
        image.save(&buffer, "PNG");
    }
    std::string error;
    if (bytes.isEmpty()) error = "the picture could not be made";
    if (error.empty() && writeBytes(path, std::string_view(bytes.constData(), bytes.size()), error))
        return true;
    report("The picture could not be written: " + error + ".");
    return false;
}

void installResponseWindow(QWidget& mainWindow, QMenu& menu, OutcomeFeed& outcomes,
                           MessageSink& messages) {
    QAction* action = menu.addAction(QString::fromUtf8("Response details…"));
    action->setObjectName("ResponseDetails");
    QObject::connect(action, &QAction::triggered, &mainWindow,
                     guardedSlot(&mainWindow, kTitle, [&mainWindow, &outcomes, &messages] {
                         auto* w = mainWindow.findChild<ResponseWindow*>();
                         if (!w)
                             w = new ResponseWindow(outcomes, messages, &mainWindow);
                         else
                             w->designChanged();
                         w->show();
                         w->raise();
                         w->activateWindow();
                     }));
}

} // namespace korvan::analysis::gui
