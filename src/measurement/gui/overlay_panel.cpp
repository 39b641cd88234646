#include "measurement/gui/overlay_panel.h"

#include "measurement/diagnosis_text.h"
#include "measurement/gui/fixture_dialog.h"
#include "measurement/touchstone_reader.h"
#include "model/gui/event_guard.h"

#include <QAbstractAxis>
#include <QApplication>
#include <QChart>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

namespace korvan::measurement::gui {

namespace {

using korvan::gui::guardedSlot;
using korvan::gui::runGuarded;

// The measurement's colours, apart from every design curve's (blues, reds,
// greens and the designer's dashed gold).
const QColor kS21Colour(235, 120, 0);
const QColor kS11Colour(150, 50, 190);
const QColor kDelayColour(110, 110, 110);
const QColor kFittedColour(0, 0, 0);

QPen pen(const QColor& colour, Qt::PenStyle style = Qt::SolidLine, double width = 1.6) {
    QPen p(colour);
    p.setStyle(style);
    p.setWidthF(width);
    return p;
}

QString fixed(const char* pattern, double v) {
    return QString::fromStdString(fixedText(pattern, v));
}

QString portText(const PortFixture& p) {
    switch (p.kind) {
    case PortFixture::Kind::Direct:
        return "none";
    case PortFixture::Kind::SeriesPad:
        return QString::asprintf("pad %.1f Ohm", p.padOhm);
    case PortFixture::Kind::Transformer:
        return QString::asprintf("transformer 1:%.4g", p.turnsRatio);
    case PortFixture::Kind::LowPassMatch:
        return QString::asprintf("L-C low-pass %.4g uH, %.4g pF", p.inductanceH * 1e6,
                                 p.capacitanceF * 1e12);
    case PortFixture::Kind::HighPassMatch:
        break;
    }
    return QString::asprintf("L-C high-pass %.4g pF, %.4g uH", p.capacitanceF * 1e12,
                             p.inductanceH * 1e6);
}

} // namespace

MeasurementOverlay::MeasurementOverlay(const QString& windowTitle, MessageSink& messages,
                                       std::function<OverlayFrame()> frame, QWidget* parent)
    : QWidget(parent), title_(windowTitle), messages_(messages), frame_(std::move(frame)) {
    setObjectName("MeasurementOverlay");
    chooseFile_ = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(this, caption, QString(), filter);
    };
    chooseFixture_ = [this](const Fixture& current, const std::optional<Fixture>& sheet) {
        FixtureDialog dialog(current, sheet, this);
        return dialog.exec() == QDialog::Accepted ? std::optional<Fixture>(dialog.fixture())
                                                  : std::nullopt;
    };

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    const auto button = [this, bar](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        bar->addWidget(b);
        return b;
    };
    overlay_ = button(QString::fromUtf8("Overlay measurement…"), "OverlayMeasurement");
    clear_ = button("Clear overlay", "ClearOverlay");
    diagnose_ = button("Diagnose", "Diagnose");
    stopButton_ = button("Stop", "StopDiagnosis");
    overlay_->setToolTip("Lay a built filter's measurement (Touchstone .s2p) over the design");
    diagnose_->setToolTip("Fit the design's ladder to the measurement: which part is off");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("DiagnosisProgress");
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setMaximumWidth(160);
    bar->addWidget(progress_);
    bar->addStretch();
    top->addLayout(bar);

    status_ = new QLabel(this);
    status_->setObjectName("OverlayStatus");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(status_);

    figures_ = new QTableWidget(0, 3, this);
    figures_->setObjectName("OverlayFigures");
    figures_->setHorizontalHeaderLabels({"Figure", "Design", "Measured"});
    figures_->verticalHeader()->hide();
    figures_->verticalHeader()->setDefaultSectionSize(20);
    figures_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures_->horizontalHeader()->setStretchLastSection(true);
    figures_->setMinimumWidth(300);
    figures_->setMaximumWidth(380);
    report_ = new QPlainTextEdit(this);
    report_->setObjectName("DiagnosisReport");
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setPlaceholderText("Diagnose fits the design's ladder to the measurement and tells "
                                "which part is off.");
    auto* lower = new QHBoxLayout;
    lower->addWidget(figures_);
    lower->addWidget(report_, 1);
    top->addLayout(lower, 1);

    connect(overlay_, &QPushButton::clicked, this,
            guardedSlot(this, title_, [this] { overlayClicked(); }));
    connect(clear_, &QPushButton::clicked, this,
            guardedSlot(this, title_, [this] { clearOverlay(); }));
    connect(diagnose_, &QPushButton::clicked, this,
            guardedSlot(this, title_, [this] { diagnose(); }));
    connect(stopButton_, &QPushButton::clicked, this, guardedSlot(this, title_, [this] {
                if (stop_) *stop_ = true;
                status_->setText("Stopping the diagnosis ...");
            }));
    updateButtons();
}

MeasurementOverlay::~MeasurementOverlay() {
    // The worker holds only its own copies, but it must end before the
    // program does.
    if (stop_) *stop_ = true;
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

QString MeasurementOverlay::statusText() const {
    return status_->text();
}

QString MeasurementOverlay::reportText() const {
    return report_->toPlainText();
}

void MeasurementOverlay::updateButtons() {
    overlay_->setEnabled(design_.has_value() && !diagnosing());
    clear_->setEnabled(hasOverlay() && !diagnosing());
    diagnose_->setEnabled(hasOverlay() && design_ && mismatch_.isEmpty() && !diagnosing());
    stopButton_->setEnabled(diagnosing());
}

void MeasurementOverlay::refuse(const QString& text) {
    status_->setText(text);
    messages_.show({title_.toStdString(), text.toStdString(), MsgButtons::Ok, MsgIcon::Exclamation,
                    MsgAnswer::Ok});
}

void MeasurementOverlay::overlayClicked() {
    if (!design_) return;
    const QString path =
        chooseFile_("Overlay measurement", "Touchstone two-port (*.s2p *.S2P);;All files (*)");
    if (path.isEmpty()) return;
    const auto fixture = chooseFixture_(fixture_, design_->buildSheetMatch);
    if (!fixture) return;
    overlayFile(path, *fixture);
}

bool MeasurementOverlay::overlayFile(const QString& path, const Fixture& fixture) {
    const QString name = QFileInfo(path).fileName();
    if (!design_) {
        refuse("There is no design to lay the measurement over.");
        return false;
    }
    if (const auto problem = fixtureProblem(fixture)) {
        refuse(QString::fromStdString(*problem) + ".");
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.size() == 3 && suffix.startsWith('s') && suffix.endsWith('p') && suffix != "s2p") {
        refuse(QString("%1 is a %2 file: the overlay needs the filter's two-port (.s2p, S21 "
                       "measured).")
                   .arg(name, suffix == "s1p" ? QString("one-port") : suffix.mid(1, 1) + "-port"));
        return false;
    }
    TouchstoneData data;
    try {
        data = readTouchstone(path.toStdString());
    } catch (const TouchstoneError& e) {
        refuse(name + " cannot be read: " + QString::fromStdString(e.what()) + ".");
        return false;
    } catch (const std::exception& e) {
        refuse(name + " cannot be read: " + QString::fromStdString(e.what()) + ".");
        return false;
    }
    if (data.ports != 2) {
        refuse(QString("%1 is a %2 measurement: the overlay needs the filter's two-port "
                       "(.s2p, S21 measured).")
                   .arg(name, data.ports == 1 ? "one-port" : QString("%1-port").arg(data.ports)));
        return false;
    }
    auto m = std::make_shared<FilterMeasurement>(deembed(data, fixture));
    try {
        checkMeasurement(design_->ladder, design_->centreHz, *m);
    } catch (const DiagnosisError& e) {
        refuse(QString("%1 does not fit this design: %2.").arg(name, e.what()));
        return false;
    }
    removeCurves();
    fixture_ = fixture;
    file_ = path;
    measurement_ = std::move(m);
    diagnosis_.reset();
    report_->clear();
    refreshChecks();
    return true;
}

void MeasurementOverlay::clearOverlay() {
    if (diagnosing()) return;
    removeCurves();
    measurement_.reset();
    curves_.reset();
    diagnosis_.reset();
    mismatch_.clear();
    file_.clear();
    report_->clear();
    figures_->setRowCount(0);
    status_->setText("No measurement laid over the design.");
    updateButtons();
}

void MeasurementOverlay::setDesign(std::optional<OverlayDesign> design) {
    ++generation_;
    if (stop_) *stop_ = true; // a diagnosis of the earlier design is of no use now
    design_ = std::move(design);
    diagnosis_.reset();
    report_->clear();
    refreshChecks();
}

// Checks the measurement against the design shown and draws it again.
void MeasurementOverlay::refreshChecks() {
    mismatch_.clear();
    curves_.reset();
    if (measurement_ && design_) {
        try {
            checkMeasurement(design_->ladder, design_->centreHz, *measurement_);
        } catch (const DiagnosisError& e) {
            mismatch_ = QString::fromStdString(e.what());
        }
        if (mismatch_.isEmpty())
            curves_ =
                measuredCurves(*measurement_, design_->ladder.sourceOhm, design_->ladder.loadOhm);
    }
    const QString name = QFileInfo(file_).fileName();
    if (!measurement_) {
        status_->setText(design_ ? "No measurement laid over the design."
                                 : "No design: nothing to lay a measurement over.");
    } else if (!design_) {
        status_->setText(name + " is kept; it is drawn again over the next design.");
    } else if (!mismatch_.isEmpty()) {
        status_->setText(name + " does not fit this design: " + mismatch_ +
                         ". It is kept and drawn again over a design it fits.");
    } else {
        QString text = QString("%1 (%2 points), fixture: port 1 %3, port 2 %4; ")
                           .arg(name)
                           .arg(measurement_->frequencyHz.size())
                           .arg(portText(fixture_.port1), portText(fixture_.port2));
        text += curves_->atDesignTerminations
                    ? QString("drawn at the design's terminations (%1 / %2 Ohm).")
                          .arg(curves_->sourceOhm, 0, 'f', 1)
                          .arg(curves_->loadOhm, 0, 'f', 1)
                    : QString("S21 only at the terminations the fixture presents (%1 / %2 Ohm).")
                          .arg(curves_->sourceOhm, 0, 'f', 1)
                          .arg(curves_->loadOhm, 0, 'f', 1);
        text += QString(" Delay from the measured phase over %1 Hz.")
                    .arg(curves_->delayApertureHz, 0, 'f', 0);
        status_->setText(text);
    }
    fillFigures();
    redraw();
    updateButtons();
}

void MeasurementOverlay::fillFigures() {
    figures_->setRowCount(0);
    if (!design_) return;
    const ComparedFigures d = designFigures(design_->ladder, design_->centreHz);
    ComparedFigures m;
    if (measurement_ && curves_) {
        // The figures of the curves drawn: at the design's terminations
        // where the full two-port was renormalised to them.
        FilterMeasurement drawn = *measurement_;
        if (curves_->atDesignTerminations) {
            const auto s = renormalised(drawn, curves_->sourceOhm, curves_->loadOhm);
            for (std::size_t i = 0; i < s.size() && i < drawn.s21.size(); ++i) {
                drawn.s11[i] = s[i][0];
                drawn.s21[i] = s[i][1];
            }
        }
        m = measurementFigures(drawn, design_->centreHz);
    }
    const auto row = [this](const QString& name, const std::optional<double>& a,
                            const std::optional<double>& b, const char* pattern) {
        const int r = figures_->rowCount();
        figures_->insertRow(r);
        figures_->setItem(r, 0, new QTableWidgetItem(name));
        for (int c = 1; c <= 2; ++c) {
            const auto& v = c == 1 ? a : b;
            auto* item = new QTableWidgetItem(v ? fixed(pattern, *v) : QString("-"));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            figures_->setItem(r, c, item);
        }
    };
    row("IL [dB]", d.il, m.il, "%.3f");
    row("Ripple [dB]", d.ripple, m.ripple, "%.3f");
    row("BW 3 dB [Hz]", d.bw3, m.bw3, "%.1f");
    row("BW 6 dB [Hz]", d.bw6, m.bw6, "%.1f");
    row("BW 60 dB [Hz]", d.bw60, m.bw60, "%.1f");
    row("Centre [Hz]", d.centre, m.centre, "%.1f");
    figures_->resizeColumnsToContents();
}

void MeasurementOverlay::removeCurves() {
    for (const QPointer<QLineSeries>& s : series_)
        if (s) {
            if (QChart* chart = s->chart()) chart->removeSeries(s);
            delete s.data();
        }
    series_.clear();
}

void MeasurementOverlay::redraw() {
    removeCurves();
    if (!curves_ || !frame_) return;
    const OverlayFrame frame = frame_();
    if (!frame.chart || !frame.x || !frame.db) return;
    const MeasuredCurves& c = *curves_;
    const auto add = [&](const QString& name, const std::vector<double>& values, double scale,
                         const QPen& p, QAbstractAxis* y) {
        if (!y) return;
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(c.frequencyHz.size()));
        for (std::size_t i = 0; i < c.frequencyHz.size() && i < values.size(); ++i)
            if (std::isfinite(values[i]))
                points.append(
                    {(c.frequencyHz[i] - frame.originHz) * frame.xPerHz, values[i] * scale});
        if (points.isEmpty()) return;
        auto* series = new QLineSeries;
        series->setName(name);
        series->replace(points);
        series->setPen(p);
        frame.chart->addSeries(series);
        series->attachAxis(frame.x);
        series->attachAxis(y);
        series_.emplace_back(series);
    };
    // Short names: the legend is one line, beside the design's entries.
    add("S21 meas.", c.s21Db, 1, pen(kS21Colour), frame.db);
    add("S11 meas.", c.s11Db, 1, pen(kS11Colour, Qt::SolidLine, 1.2), frame.db);
    add("delay meas.", c.delayS, frame.delayPerS, pen(kDelayColour, Qt::SolidLine, 1.2),
        frame.delay);
    if (diagnosis_)
        add("S21 fit", fittedS21Db(*diagnosis_, c), 1, pen(kFittedColour, Qt::DashLine, 1.4),
            frame.db);
}

void MeasurementOverlay::diagnose() {
    if (diagnosing() || !measurement_ || !design_ || !mismatch_.isEmpty()) return;
    const unsigned generation = generation_;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->setText("Diagnosing ...");
    // The worker works on its own copies and reports through queued calls
    // on this panel's thread (the destructor waits for it, so `this` is
    // alive while it posts); nothing it throws leaves it.
    MeasurementOverlay* self = this;
    worker_ = QThread::create([self, generation, stop = stop_, m = measurement_,
                               ladder = design_->ladder, centre = design_->centreHz] {
        std::shared_ptr<LadderDiagnosis> result;
        QString refusal;
        try {
            DiagnosisOptions options;
            options.progress = [self, stop](int done, int limit) {
                QMetaObject::invokeMethod(
                    self,
                    [self, done, limit] {
                        self->progress_->setRange(0, std::max(limit, 1));
                        self->progress_->setValue(std::min(done, limit));
                    },
                    Qt::QueuedConnection);
                return !stop->load();
            };
            result = std::make_shared<LadderDiagnosis>(diagnoseLadder(ladder, centre, *m, options));
        } catch (const std::exception& e) {
            refusal = QString::fromStdString(e.what());
        } catch (...) {
            refusal = "the diagnosis failed for an unexpected reason";
        }
        QMetaObject::invokeMethod(
            self,
            [self, result, refusal, generation] {
                self->diagnosisDone(result, refusal, generation);
            },
            Qt::QueuedConnection);
    });
    updateButtons();
    worker_->start();
}

void MeasurementOverlay::diagnosisDone(std::shared_ptr<LadderDiagnosis> result,
                                       const QString& refusal, unsigned generation) {
    if (worker_) {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
    stop_.reset();
    runGuarded(this, title_, [&] {
        progress_->setRange(0, 1);
        progress_->setValue(result ? 1 : 0);
        if (generation != generation_) {
            status_->setText("The design changed during the diagnosis: press Diagnose again.");
        } else if (!refusal.isEmpty()) {
            refuse("The measurement cannot be diagnosed: " + refusal + ".");
        } else if (result) {
            diagnosis_ = std::move(result);
            status_->setText(diagnosis_->converged
                                 ? QString("Diagnosed: the fit %1.")
                                       .arg(QString::fromStdString(diagnosis_->status))
                                 : QString("The fit did NOT converge (%1): the values shown are "
                                           "its best state.")
                                       .arg(QString::fromStdString(diagnosis_->status)));
            fillReport();
            redraw();
        }
    });
    updateButtons();
    emit diagnosisFinished();
}

void MeasurementOverlay::fillReport() {
    const LadderDiagnosis& d = *diagnosis_;
    QStringList lines;
    if (!d.converged)
        lines << "NOT CONVERGED: " + QString::fromStdString(d.status)
              << "The values below are the fit's best state, not a result."
              << "";
    lines << QString("Fit %1; %2 points, %3; residual %4 dB")
                 .arg(d.converged ? QString::fromStdString(d.status) : "(best state)")
                 .arg(d.pointsFitted)
                 .arg(d.reflectionFitted ? "S21 and S11" : "S21 alone")
                 .arg(fixed("%.3f", d.residualDb));
    lines << ""
          << "Suggestions, largest effect first:";
    for (const auto& line : suggestionLines(d)) lines << QString::fromStdString(line);
    lines << "";
    for (const auto& line : fittedValueLines(d)) lines << QString::fromStdString(line);
    if (!d.notes.empty()) {
        lines << ""
              << "Notes:";
        for (const auto& n : d.notes) lines << "  " + QString::fromStdString(n);
    }
    report_->setPlainText(lines.join('\n'));
}

} // namespace korvan::measurement::gui
