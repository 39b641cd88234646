#include "designer/gui/ladder_designer_window.h"

#include "model/gui/event_guard.h"

#include "designer/build_sheet_pdf.h"
#include "designer/crystal_csv.h"
#include "designer/crystal_reactance.h"
#include "designer/fixed_text.h"
#include "designer/gui/crystal_table.h"
#include "designer/gui/ladder_chart.h"
#include "designer/ladder_files.h"
#include "measurement/gui/overlay_panel.h"
#include "model/text_file.h"
#include "prototype/family.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>
#include <QValueAxis>

#include <exception>

#ifndef KORVAN_VERSION
#define KORVAN_VERSION "3.0.2.3"
#endif

namespace korvan::designer::gui {

namespace {

constexpr const char* kTitle = "Ladder designer";
constexpr const char* kSource = "ladder designer";
constexpr int kShownProblems = 12; // a box lists at most this many

QTableWidget* resultTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(20);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void setCell(QTableWidget* t, int row, int column, const QString& text, bool number = true) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(number ? Qt::AlignRight | Qt::AlignVCenter
                                  : Qt::AlignLeft | Qt::AlignVCenter);
    t->setItem(row, column, item);
}

// Problems as lines of one box, at most kShownProblems of them.
std::string problemLines(const std::vector<std::string>& problems) {
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < kShownProblems; ++i)
        text += (i ? "\r" : "") + problems[i];
    if (problems.size() > kShownProblems)
        text += "\r... and " + std::to_string(problems.size() - kShownProblems) + " more";
    return text;
}

// The build sheet's L-C low-pass sections as the fixture of a measurement;
// nullopt where an end's series element sits at the filter (no fixture of
// that shape) or the sheet has no network at either end.
std::optional<measurement::Fixture> buildSheetFixture(const BuildSheet& sheet) {
    measurement::Fixture fixture;
    bool any = false;
    for (const auto& [end, port] :
         {std::pair{&sheet.source, &fixture.port1}, std::pair{&sheet.load, &fixture.port2}}) {
        if (!end->needed) continue;
        if (!end->seriesAtSystem) return std::nullopt;
        port->kind = measurement::PortFixture::Kind::LowPassMatch;
        port->inductanceH = end->lowpassSeriesH;
        port->capacitanceF = end->lowpassShuntF;
        any = true;
    }
    return any ? std::optional<measurement::Fixture>(fixture) : std::nullopt;
}

} // namespace

LadderDesignerWindow::LadderDesignerWindow(char separator, MessageSink& messages,
                                           AnalyseTolerance analyseTolerance, QWidget* parent)
    : QWidget(parent, Qt::Window), separator_(separator), messages_(messages),
      analyseTolerance_(std::move(analyseTolerance)) {
    setObjectName("TFormLadderDesigner");
    setWindowTitle(kTitle);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName("DesignerSplitter");
    split->addWidget(buildInputs());
    split->addWidget(buildResults());
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({470, 830});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(split);
    resize(1320, 860);
    familyChanged();
    polesChanged();
    clearResults("Enter or import the crystals, choose the filter and press Design.");
}

LadderDesignerWindow::~LadderDesignerWindow() {
    // The worker refers to this window's members: it must end first.
    cancel_ = true;
    if (worker_) worker_->wait();
}

QWidget* LadderDesignerWindow::buildInputs() {
    auto* panel = new QWidget(this);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);

    auto* crystals = new QGroupBox("Crystals", panel);
    auto* cv = new QVBoxLayout(crystals);
    crystals_ = new CrystalTable(separator_, crystals);
    crystals_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* bar = new QHBoxLayout;
    const auto button = [&](const char* text, const char* name,
                            void (LadderDesignerWindow::*slot)(), QWidget* owner) {
        auto* b = new QPushButton(text, owner);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    bar->addWidget(
        button("Import CSV\u2026", "ImportButton", &LadderDesignerWindow::importClicked, crystals));
    bar->addWidget(button("Add", "AddButton", &LadderDesignerWindow::addClicked, crystals));
    bar->addWidget(
        button("Remove", "RemoveButton", &LadderDesignerWindow::removeClicked, crystals));
    bar->addStretch();
    crystalsSource_ = new QLabel(crystals);
    crystalsSource_->setObjectName("CrystalsSource");
    crystalsSource_->setWordWrap(true);
    cv->addLayout(bar);
    cv->addWidget(crystals_, 1);
    cv->addWidget(crystalsSource_);
    v->addWidget(crystals, 1);
    connect(crystals_, &CrystalTable::crystalsEdited, this, [this] {
        crystalsSource_->setText(QString("%1 crystal(s)").arg(crystals_->rowCount()));
        inputsChanged();
    });

    auto* filter = new QGroupBox("Filter", panel);
    auto* form = new QFormLayout(filter);
    family_ = new QComboBox(filter);
    family_->setObjectName("FamilyCombo");
    for (const auto& info : prototype::families())
        family_->addItem(QString::fromUtf8(info.title.data(), static_cast<int>(info.title.size())),
                         QString::fromUtf8(info.name.data(), static_cast<int>(info.name.size())));
    family_->setCurrentIndex(family_->findData("chebyshev"));
    ripple_ = new QDoubleSpinBox(filter);
    ripple_->setObjectName("RippleSpin");
    ripple_->setRange(prototype::kMinRippleDb, prototype::kMaxRippleDb);
    ripple_->setDecimals(3);
    ripple_->setSingleStep(0.05);
    ripple_->setValue(kDefaultRippleDb);
    ripple_->setSuffix(" dB");
    poles_ = new QSpinBox(filter);
    poles_->setObjectName("PolesSpin");
    poles_->setRange(2, 14);
    poles_->setValue(8);
    bandwidth_ = new QDoubleSpinBox(filter);
    bandwidth_->setObjectName("BandwidthSpin");
    bandwidth_->setRange(1, 1e6);
    bandwidth_->setDecimals(1);
    bandwidth_->setValue(2400);
    bandwidth_->setSuffix(" Hz");
    bandwidth_->setToolTip("The wanted 3 dB bandwidth");
    reference_ = new QComboBox(filter);
    reference_->setObjectName("ReferenceCombo");
    reference_->setToolTip("The mesh without a tuning capacitor");
    compensation_ = new QComboBox(filter);
    compensation_->setObjectName("CompensationCombo");
    compensation_->addItem("bandwidth: lossy filter keeps the 3 dB bandwidth", "bandwidth");
    compensation_->addItem("none: lossless design", "none");
    compensation_->addItem("predistort: lossy filter keeps the family's shape", "predistort");
    keepOrder_ = new QCheckBox("Keep the table's order (positions 1..N)", filter);
    keepOrder_->setObjectName("KeepOrderCheck");
    keepOrder_->setToolTip("Otherwise the designer chooses which crystals to use and where");
    form->addRow("Family:", family_);
    form->addRow("Ripple:", ripple_);
    form->addRow("Poles:", poles_);
    form->addRow("3 dB bandwidth:", bandwidth_);
    form->addRow("Reference:", reference_);
    form->addRow("Compensation:", compensation_);
    form->addRow(keepOrder_);
    v->addWidget(filter);

    auto* sheet = new QGroupBox("Build sheet", panel);
    auto* sf = new QFormLayout(sheet);
    match_ = new QDoubleSpinBox(sheet);
    match_->setObjectName("MatchSpin");
    match_->setRange(1, 100000);
    match_->setDecimals(1);
    match_->setValue(50);
    match_->setSuffix(" Ohm");
    match_->setToolTip("System impedance both ends are matched to");
    series_ = new QComboBox(sheet);
    series_->setObjectName("SeriesCombo");
    series_->addItems({"E12", "E24"});
    series_->setCurrentIndex(1);
    pairs_ = new QCheckBox("Pairs in parallel", sheet);
    pairs_->setObjectName("PairsCheck");
    pairs_->setToolTip("The standard-value ladder uses the nearest pair in parallel");
    auto* sr = new QHBoxLayout;
    sr->addWidget(series_);
    sr->addWidget(pairs_);
    sf->addRow("Matching to:", match_);
    sf->addRow("Standard values:", sr);
    v->addWidget(sheet);

    auto* run = new QHBoxLayout;
    design_ = button("Design", "DesignButton", &LadderDesignerWindow::designClicked, panel);
    design_->setDefault(true);
    cancelButton_ = button("Cancel", "CancelButton", &LadderDesignerWindow::cancelClicked, panel);
    cancelButton_->setEnabled(false);
    progress_ = new QProgressBar(panel);
    progress_->setObjectName("ProgressBar");
    progress_->setRange(0, 1);
    progress_->setValue(0);
    run->addWidget(design_);
    run->addWidget(cancelButton_);
    run->addWidget(progress_, 1);
    v->addLayout(run);
    status_ = new QLabel(panel);
    status_->setObjectName("StatusLabel");
    status_->setWordWrap(true);
    v->addWidget(status_);

    connect(family_, &QComboBox::currentIndexChanged, this,
            [this] { guarded("family", [this] { familyChanged(); }); });
    connect(poles_, &QSpinBox::valueChanged, this,
            [this] { guarded("poles", [this] { polesChanged(); }); });
    for (QDoubleSpinBox* s : {ripple_, bandwidth_})
        connect(s, &QDoubleSpinBox::valueChanged, this, [this] { inputsChanged(); });
    for (QComboBox* c : {reference_, compensation_})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { inputsChanged(); });
    connect(keepOrder_, &QCheckBox::toggled, this, [this] { inputsChanged(); });
    // The build sheet's choices only redo the sheet of the design shown.
    connect(match_, &QDoubleSpinBox::editingFinished, this,
            [this] { guarded("matching", [this] { rebuildSheet(); }); });
    connect(series_, &QComboBox::currentIndexChanged, this,
            [this] { guarded("standard values", [this] { rebuildSheet(); }); });
    connect(pairs_, &QCheckBox::toggled, this,
            [this] { guarded("standard values", [this] { rebuildSheet(); }); });
    panel->setMinimumWidth(420);
    return panel;
}

QWidget* LadderDesignerWindow::buildResults() {
    auto* panel = new QWidget(this);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    refusal_ = new QLabel(panel);
    refusal_->setObjectName("RefusalLabel");
    refusal_->setStyleSheet("color: #a00000");
    refusal_->setWordWrap(true);
    refusal_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    refusal_->hide();
    summary_ = new QLabel(panel);
    summary_->setObjectName("SummaryLabel");
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    v->addWidget(refusal_);
    v->addWidget(summary_);

    chart_ = new LadderChart(panel);
    auto* tabs = new QTabWidget(panel);
    tabs->setObjectName("ResultTabs");
    positions_ = resultTable(tabs, "PositionsTable",
                             {"Pos", "Crystal", "fs [Hz]", "Cs designed [pF]", "Cs standard [pF]",
                              "Trimmer [pF]", "Mesh [Hz]", "Offset [Hz]"});
    auto* couplingPage = new QWidget(tabs);
    auto* cl = new QHBoxLayout(couplingPage);
    cl->setContentsMargins(0, 0, 0, 0);
    couplings_ =
        resultTable(couplingPage, "CouplingsTable", {"Coupling", "Designed [pF]", "Standard [pF]"});
    matching_ = resultTable(couplingPage, "MatchingTable",
                            {"End", "Termination [Ohm]", "Matching network", "Turns ratio"});
    cl->addWidget(couplings_, 2);
    cl->addWidget(matching_, 3);
    tabs->addTab(positions_, "Positions");
    tabs->addTab(couplingPage, "Couplings, terminations, matching");
    // A built filter's measurement over the design, drawn in the chart below.
    overlay_ = new measurement::gui::MeasurementOverlay(kTitle, messages_, [this] {
        measurement::gui::OverlayFrame frame;
        frame.chart = chart_->chart();
        frame.x = chart_->frequencyAxis();
        frame.db = chart_->dbAxis();
        frame.delay = chart_->delayAxis();
        frame.originHz = chart_->centreHz();
        frame.delayPerS = 1e6;
        return frame;
    });
    tabs->addTab(overlay_, "Measurement");

    auto* split = new QSplitter(Qt::Vertical, panel);
    split->addWidget(tabs);
    split->addWidget(chart_);
    split->setSizes({290, 430});
    v->addWidget(split, 1);

    auto* bar = new QHBoxLayout;
    const auto output = [&](const char* text, const char* name,
                            void (LadderDesignerWindow::*slot)(), const char* tip) {
        auto* b = new QPushButton(text, panel);
        b->setObjectName(name);
        b->setToolTip(tip);
        connect(b, &QPushButton::clicked, this, slot);
        bar->addWidget(b);
        outputButtons_.push_back(b);
    };
    output("Build sheet\u2026", "BuildSheetButton", &LadderDesignerWindow::buildSheetClicked,
           "Save the build sheet as a one-page PDF or as CSV");
    output("Touchstone\u2026", "TouchstoneButton", &LadderDesignerWindow::touchstoneClicked,
           "Save the response of the ladder as built as a Touchstone file");
    output("Response CSV\u2026", "ResponseCsvButton", &LadderDesignerWindow::responseCsvClicked,
           "Save the response as CSV: f, S21, phase, S11, VSWR, group delay");
    output("ngspice\u2026", "NgspiceButton", &LadderDesignerWindow::ngspiceClicked,
           "Save an ngspice deck of the ladder as built");
    output("Tolerance\u2026", "ToleranceButton", &LadderDesignerWindow::toleranceClicked,
           "The tolerance analysis of this ladder");
    bar->addStretch();
    v->addLayout(bar);
    return panel;
}

QString LadderDesignerWindow::number(double value, int decimals) const {
    return QString::fromStdString(fixedText(value, decimals, separator_));
}

QString LadderDesignerWindow::programLine() const {
    return QStringLiteral("KORVAN " KORVAN_VERSION);
}

void LadderDesignerWindow::guarded(const char* what, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        messages_.show({kTitle, std::string(what) + ": " + e.what(), MsgButtons::Ok, MsgIcon::Stop,
                        MsgAnswer::Ok});
    } catch (...) {
        messages_.show({kTitle, std::string(what) + ": an unexpected error", MsgButtons::Ok,
                        MsgIcon::Stop, MsgAnswer::Ok});
    }
}

void LadderDesignerWindow::refuse(const QString& text) {
    refusal_->setText(QString(text).replace('\r', '\n'));
    refusal_->show();
    messages_.show(
        {kTitle, text.toStdString(), MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok});
}

void LadderDesignerWindow::familyChanged() {
    const auto& info = prototype::familyInfo(
        prototype::parseFamily(family_->currentData().toString().toStdString()));
    ripple_->setEnabled(info.hasRipple);
    inputsChanged();
}

void LadderDesignerWindow::polesChanged() {
    const QString current = reference_->currentData().toString();
    const QSignalBlocker block(reference_);
    reference_->clear();
    reference_->addItem("lowest crystal's mesh", "lowest");
    reference_->addItem("middle position", "middle");
    for (int k = 1; k <= poles_->value(); ++k)
        reference_->addItem(QString("position %1").arg(k), QString::number(k));
    const int keep = reference_->findData(current);
    reference_->setCurrentIndex(keep >= 0 ? keep : 0);
    inputsChanged();
}

void LadderDesignerWindow::inputsChanged() {
    if (designed_ && !running())
        status_->setText("The inputs changed since this design: press Design for a new one.");
}

void LadderDesignerWindow::takeCrystals(const std::vector<NamedCrystal>& crystals,
                                        const QString& source) {
    guarded("taking the crystals", [&] {
        crystals_->setCrystals(crystals);
        if (crystals.size() >= 2 && crystals.size() <= 14)
            poles_->setValue(static_cast<int>(crystals.size()));
        keepOrder_->setChecked(false);
        crystalsSource_->setText(QString("%1 crystal(s) from %2").arg(crystals.size()).arg(source));
        status_->setText("Choose the filter and press Design.");
    });
    show();
    raise();
    activateWindow();
}

std::optional<LadderJob> LadderDesignerWindow::jobFromInputs() {
    std::vector<std::string> problems;
    LadderJob job;
    job.crystals = crystals_->crystals(problems);
    if (!problems.empty()) {
        refuse(
            QString::fromStdString("The crystal table cannot be used:\r" + problemLines(problems)));
        return std::nullopt;
    }
    job.poles = poles_->value();
    job.keepOrder = keepOrder_->isChecked();
    const std::string family = family_->currentData().toString().toStdString();
    const auto& info = prototype::familyInfo(prototype::parseFamily(family));
    job.shape = parseResponseShape(family, info.hasRipple ? std::optional<double>(ripple_->value())
                                                          : std::nullopt);
    job.bandwidthHz = bandwidth_->value();
    const QString reference = reference_->currentData().toString();
    if (reference == "lowest")
        job.reference = {ReferenceRule::Kind::Lowest, 0};
    else if (reference == "middle")
        job.reference = {ReferenceRule::Kind::Middle, 0};
    else
        job.reference = {ReferenceRule::Kind::Position, reference.toInt()};
    const QString compensation = compensation_->currentData().toString();
    job.compensation = compensation == "none"         ? Compensation::None
                       : compensation == "predistort" ? Compensation::Predistort
                                                      : Compensation::Bandwidth;
    if (static_cast<int>(job.crystals.size()) < job.poles) {
        refuse(QString("The table holds %1 crystal(s), fewer than the %2 poles.")
                   .arg(job.crystals.size())
                   .arg(job.poles));
        return std::nullopt;
    }
    return job;
}

BuildOptions LadderDesignerWindow::buildOptions() const {
    BuildOptions options;
    options.standard = {series_->currentIndex() == 0 ? analysis::ESeries::E12
                                                     : analysis::ESeries::E24,
                        pairs_->isChecked()};
    options.systemOhm = match_->value();
    return options;
}

void LadderDesignerWindow::designClicked() {
    if (running()) return;
    guarded("Design", [this] {
        refusal_->hide();
        const auto job = jobFromInputs();
        if (!job) return;
        const BuildOptions options = buildOptions();
        cancel_ = false;
        progress_->setRange(0, job->keepOrder ? 0 : 1); // busy until placement reports
        progress_->setValue(0);
        status_->setText(job->keepOrder ? "Designing ..."
                                        : QString("Choosing %1 of %2 crystals and designing ...")
                                              .arg(job->poles)
                                              .arg(job->crystals.size()));
        setRunning(true);
        // The worker reports through queued calls, which run on this
        // window's thread; it never touches a widget, and nothing it throws
        // leaves it.
        worker_ = QThread::create([this, job = *job, options] {
            auto designed = std::make_shared<DesignedLadder>();
            designed->job = job;
            QString refusal;
            bool cancelled = false;
            try {
                PlacementControl control;
                control.cancel = &cancel_;
                control.progress = [this](int done, int total) {
                    QMetaObject::invokeMethod(
                        this, [this, done, total] { showProgress(done, total); },
                        Qt::QueuedConnection);
                };
                designed->result = runLadderJob(job, control);
                cancelled = designed->result.cancelled;
                if (!cancelled) {
                    designed->sheet = buildSheet(designed->result.design, options);
                    designed->curves = ladderCurves(
                        designed->sheet, defaultLadderSpan(designed->result.design, kCurvePoints));
                }
            } catch (const std::exception& e) {
                refusal = QString::fromStdString(e.what());
            } catch (...) {
                refusal = "the design failed for an unexpected reason";
            }
            QMetaObject::invokeMethod(
                this,
                [this, designed, refusal, cancelled] { finished(designed, refusal, cancelled); },
                Qt::QueuedConnection);
        });
        connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
        worker_->start();
    });
}

void LadderDesignerWindow::cancelClicked() {
    cancel_ = true;
    status_->setText("Cancelling ...");
}

void LadderDesignerWindow::closeEvent(QCloseEvent* event) {
    // Closing only hides the window; a design still going is stopped.
    cancel_ = true;
    event->accept();
}

void LadderDesignerWindow::setRunning(bool on) {
    design_->setEnabled(!on);
    cancelButton_->setEnabled(on);
    for (QPushButton* b : outputButtons_) b->setEnabled(!on && designed_);
}

void LadderDesignerWindow::showProgress(int done, int total) {
    progress_->setRange(0, std::max(1, total));
    progress_->setValue(done);
}

void LadderDesignerWindow::finished(std::shared_ptr<DesignedLadder> designed,
                                    const QString& refusal, bool cancelled) {
    if (worker_) worker_->wait();
    worker_ = nullptr;
    progress_->setRange(0, 1);
    progress_->setValue(refusal.isEmpty() && !cancelled ? 1 : 0);
    guarded("showing the design", [&] {
        if (cancelled) {
            setRunning(false);
            status_->setText(designed_ ? "Cancelled: the design shown is the earlier one."
                                       : "Cancelled.");
        } else if (!refusal.isEmpty()) {
            clearResults("No design: see the reason above.");
            setRunning(false);
            status_->setText("The design was refused.");
            refuse("The ladder cannot be designed: " + refusal + ".");
        } else {
            designed_ = std::move(designed);
            setRunning(false);
            refusal_->hide();
            showDesign();
            status_->setText("Designed.");
        }
    });
    emit designFinished();
}

void LadderDesignerWindow::clearResults(const QString& why) {
    designed_.reset();
    summary_->setText(why);
    for (QTableWidget* t : {positions_, couplings_, matching_}) t->setRowCount(0);
    chart_->clear(why);
    for (QPushButton* b : outputButtons_) b->setEnabled(false);
    overlay_->setDesign(std::nullopt);
}

void LadderDesignerWindow::rebuildSheet() {
    if (!designed_ || running()) return;
    auto next = std::make_shared<DesignedLadder>(*designed_);
    next->sheet = buildSheet(next->result.design, buildOptions());
    next->curves = ladderCurves(next->sheet, defaultLadderSpan(next->result.design, kCurvePoints));
    designed_ = std::move(next);
    showDesign();
}

void LadderDesignerWindow::showDesign() {
    fillSummary();
    fillPositions();
    fillCouplingsAndMatching();
    const auto& d = designed_->result.design;
    chart_->showDesign(
        designed_->curves, d.designHz,
        QString::fromStdString(analysis::standardChoiceName(designed_->sheet.options.standard)));
    for (QPushButton* b : outputButtons_) b->setEnabled(true);
    overlay_->setDesign(measurement::gui::OverlayDesign{designed_->sheet.ideal, d.designHz,
                                                        buildSheetFixture(designed_->sheet)});
}

void LadderDesignerWindow::fillSummary() {
    const auto& d = designed_->result.design;
    const auto& sheet = designed_->sheet;
    const auto bw = [this](const analysis::ExactFigures& x, std::size_t level) {
        const auto v = x.levels[level].bandwidthHz();
        return v ? number(*v, 1) + " Hz" : QString("-");
    };
    const auto ripple = [this](const analysis::ExactFigures& x) {
        return x.rippleDb ? number(*x.rippleDb, 2) : QString("-");
    };
    QStringList lines;
    lines << QString("%1 crystals, %2, compensation: %3")
                 .arg(d.positions.size())
                 .arg(QString::fromStdString(shapeText(d.shape)))
                 .arg(QString::fromStdString(std::string(compensationName(d.compensation))));
    lines << QString("Centre (middle of the 3 dB band) %1 Hz; 3 dB bandwidth asked %2 Hz")
                 .arg(number(d.designHz, 1), number(d.wantedBandwidthHz, 1));
    lines << QString("Terminations: source %1 Ohm, load %2 Ohm; position %3 needs no Cs")
                 .arg(number(d.sourceOhm, 2), number(d.loadOhm, 2))
                 .arg(d.referencePosition);
    if (d.predistortion) {
        const auto& p = *d.predistortion;
        lines << QString("Predistorted for the crystals' mean qo %1 (Qu %2; the family's minimum "
                         "qo %3): it costs %4 dB of loss")
                     .arg(number(p.meanQo, 3), number(p.meanQu, 0), number(p.minimumQo, 3),
                          number(p.prototypeLossDb, 2));
        if (const auto note = predistortionNote(d, separator_))
            lines << QString::fromStdString(*note);
    }
    const auto& x = d.asBuilt;
    QString built = QString("As built (each crystal with its Rm): IL %1 dB, ripple %2 dB, BW 3 dB "
                            "%3, 6 dB %4, 60 dB %5")
                        .arg(number(x.ilDb, 2), ripple(x), bw(x, 0), bw(x, 1), bw(x, 4));
    lines << built;
    if (sheet.standardFigures) {
        const auto& s = *sheet.standardFigures;
        lines << QString("With %1 values: IL %2 dB, ripple %3 dB, BW 3 dB %4")
                     .arg(QString::fromStdString(
                              analysis::standardChoiceName(sheet.options.standard)),
                          number(s.ilDb, 2), ripple(s), bw(s, 0));
    }
    lines << QString("Refined on the exact analysis: synthesised for %1 Hz, %2 exact analyses")
                 .arg(number(d.designBandwidthHz, 1))
                 .arg(d.refineSteps);
    if (const auto& placement = designed_->result.placement) {
        lines << "Placement objective: " + QString::fromStdString(placementObjective());
        QString placed = QString("Largest mesh offset (estimated) %1 Hz")
                             .arg(number(placement->largestOffsetHz, 1));
        if (!placement->minimumCsKept) placed += "; some Cs below 10 pF: no choice avoids it";
        if (!placement->unused.empty()) {
            QStringList names;
            for (const auto& c : placement->unused) names << QString::fromStdString(c.name);
            placed += "; not used: " + names.join(", ");
        }
        lines << placed;
    } else {
        lines << "Positions as in the table (kept order)";
    }
    // Rich text for the bold headline; every line escaped (crystal names
    // are the user's).
    for (QString& l : lines) l = l.toHtmlEscaped();
    lines.front() = "<b>" + lines.front() + "</b>";
    summary_->setText(lines.join("<br>"));
}

void LadderDesignerWindow::fillPositions() {
    const auto& d = designed_->result.design;
    const auto& sheet = designed_->sheet;
    positions_->setRowCount(static_cast<int>(d.positions.size()));
    const auto pf = [this](double f) { return f > 0 ? number(f * 1e12, 2) : QString("none"); };
    // Standard parts and trimmers as they are marked: one decimal.
    const auto part = [this](double f) { return number(f * 1e12, 1); };
    for (std::size_t i = 0; i < d.positions.size(); ++i) {
        const auto& p = d.positions[i];
        const auto& l = sheet.tuning[i];
        const int row = static_cast<int>(i);
        setCell(positions_, row, 0, QString::number(row + 1));
        setCell(positions_, row, 1, QString::fromStdString(p.crystal.name), false);
        setCell(positions_, row, 2, number(seriesResonanceHz(p.crystal.model), 1));
        setCell(positions_, row, 3, pf(p.csF));
        QString standard = part(l.nearestF);
        if (l.pair.larger > 0 && sheet.options.standard.pairs)
            standard = part(l.pair.larger) + " + " + part(l.pair.smaller);
        setCell(positions_, row, 4, p.csF > 0 ? standard : QString("none"));
        QString trimmer = "-";
        if (l.trimmer)
            trimmer = (l.trimmer->fixedF > 0 ? part(l.trimmer->fixedF) + " + " : QString()) +
                      part(l.trimmer->minF) + " - " + part(l.trimmer->maxF);
        else if (p.csF > 0)
            trimmer = "none spans " + part(l.coverLowF) + " - " + part(l.coverHighF);
        setCell(positions_, row, 5, trimmer);
        setCell(positions_, row, 6, number(p.meshHz, 1));
        QString offset = number(p.meshOffsetHz, 1);
        if (p.leftOffHz > 0) offset += " (left " + number(p.leftOffHz, 1) + " above)";
        if (p.leftOffHz < 0) offset += " (left " + number(-p.leftOffHz, 1) + " below)";
        setCell(positions_, row, 7, offset);
    }
    positions_->resizeColumnsToContents();
}

void LadderDesignerWindow::fillCouplingsAndMatching() {
    const auto& d = designed_->result.design;
    const auto& sheet = designed_->sheet;
    couplings_->setRowCount(static_cast<int>(sheet.coupling.size()));
    for (std::size_t i = 0; i < sheet.coupling.size(); ++i) {
        const auto& l = sheet.coupling[i];
        const int row = static_cast<int>(i);
        setCell(couplings_, row, 0, QString::fromStdString(l.label), false);
        setCell(couplings_, row, 1, number(l.designedF * 1e12, 2));
        setCell(couplings_, row, 2,
                sheet.options.standard.pairs && l.pair.larger > 0
                    ? number(l.pair.larger * 1e12, 1) + " + " + number(l.pair.smaller * 1e12, 1)
                    : number(l.nearestF * 1e12, 1));
    }
    couplings_->resizeColumnsToContents();
    matching_->setRowCount(2);
    int row = 0;
    for (const auto& [name, m] : {std::pair{"source", &sheet.source}, {"load", &sheet.load}}) {
        setCell(matching_, row, 0, name, false);
        setCell(matching_, row, 1, number(row == 0 ? d.sourceOhm : d.loadOhm, 2));
        QString network = "none necessary";
        if (m->needed)
            network =
                QString("series L %1 uH + shunt C %2 pF, or series C %3 pF + shunt L %4 uH "
                        "(series element at the %5)")
                    .arg(number(m->lowpassSeriesH * 1e6, 3), number(m->lowpassShuntF * 1e12, 1),
                         number(m->highpassSeriesF * 1e12, 1), number(m->highpassShuntH * 1e6, 3),
                         m->seriesAtSystem ? "system" : "filter");
        setCell(matching_, row, 2, network, false);
        setCell(matching_, row, 3, "1 : " + number(m->turnsRatio, 3));
        ++row;
    }
    matching_->resizeColumnsToContents();
}

void LadderDesignerWindow::importClicked() {
    guarded("Import CSV", [this] {
        QFileDialog dialog(this, "Import crystals");
        dialog.setObjectName("ImportDialog");
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({"Crystal lists (*.csv *.CSV)", "All files (*)"});
        if (!lastFolder_.isEmpty()) dialog.setDirectory(lastFolder_);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        const QString file = dialog.selectedFiles().front();
        lastFolder_ = QFileInfo(file).absolutePath();
        const CrystalList list = readCrystalCsv(file.toStdString());
        if (!list.errors.empty()) {
            const std::string head =
                QFileInfo(file).fileName().toStdString() + ":\r" + problemLines(list.errors);
            if (list.crystals.empty()) {
                refuse(QString::fromStdString(head + "\rNo crystal was imported."));
                return;
            }
            const auto answer =
                messages_.show({kTitle,
                                head + "\rImport the " + std::to_string(list.crystals.size()) +
                                    " crystal(s) that could be read?",
                                MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No});
            if (answer != MsgAnswer::Yes) return;
        }
        crystals_->setCrystals(list.crystals);
        crystalsSource_->setText(QString("%1 crystal(s) from %2")
                                     .arg(list.crystals.size())
                                     .arg(QFileInfo(file).fileName()));
    });
}

void LadderDesignerWindow::addClicked() {
    guarded("Add", [this] { crystals_->addCrystal(); });
}

void LadderDesignerWindow::removeClicked() {
    guarded("Remove", [this] {
        if (!crystals_->removeSelected())
            status_->setText("Select the rows of the crystals to remove first.");
    });
}

QString LadderDesignerWindow::saveFileName(const QString& title, const QString& suggested,
                                           const QStringList& filters) {
    QFileDialog dialog(this, title);
    dialog.setObjectName("SaveDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!lastFolder_.isEmpty()) dialog.setDirectory(lastFolder_);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    QString file = dialog.selectedFiles().front();
    // A name without an extension takes the chosen filter's ("... (*.pdf)").
    if (QFileInfo(file).suffix().isEmpty()) {
        const QString filter = dialog.selectedNameFilter();
        const qsizetype star = filter.indexOf("*.");
        const qsizetype end = filter.indexOf(')', star);
        if (star >= 0 && end > star + 2 && filter.mid(star + 2, end - star - 2) != "*")
            file += filter.mid(star + 1, end - star - 1);
    }
    lastFolder_ = QFileInfo(file).absolutePath();
    return file;
}

void LadderDesignerWindow::saveBytes(const QString& file, const std::function<std::string()>& bytes,
                                     const QString& what) {
    if (file.isEmpty()) return;
    try {
        writeFileAtomically(file.toStdString(), bytes());
        status_->setText(what + " saved to " + file);
    } catch (const std::exception& e) {
        messages_.show({kTitle,
                        (what + " '" + file + "' could not be written:\r").toStdString() + e.what(),
                        MsgButtons::Ok, MsgIcon::Stop, MsgAnswer::Ok});
    }
}

void LadderDesignerWindow::buildSheetClicked() {
    guarded("Build sheet", [this] {
        if (!designed_) return;
        const QString file = saveFileName("Save the build sheet", "build-sheet.pdf",
                                          {"PDF build sheet (*.pdf)", "CSV build sheet (*.csv)"});
        if (file.isEmpty()) return;
        const bool pdf = QFileInfo(file).suffix().compare("pdf", Qt::CaseInsensitive) == 0;
        const bool csv = QFileInfo(file).suffix().compare("csv", Qt::CaseInsensitive) == 0;
        if (!pdf && !csv) {
            refuse("The build sheet is saved as .pdf or .csv, not as '" + file + "'.");
            return;
        }
        const auto keep = designed_; // the bytes come from the design shown now
        saveBytes(
            file,
            [keep, pdf] {
                const auto& d = keep->result.design;
                return pdf ? buildSheetPdf(d, keep->sheet) : buildSheetCsv(d, keep->sheet);
            },
            "Build sheet");
    });
}

void LadderDesignerWindow::touchstoneClicked() {
    guarded("Touchstone", [this] {
        if (!designed_) return;
        const QString file = saveFileName("Save the response as Touchstone", "ladder.s2p",
                                          {"Touchstone (*.s2p)", "All files (*)"});
        const auto keep = designed_;
        const std::string program = programLine().toStdString();
        saveBytes(
            file,
            [keep, program] {
                const auto& d = keep->result.design;
                return ladderTouchstone(d, defaultLadderSpan(d), std::nullopt,
                                        analysis::TouchstoneFormat::DB, program);
            },
            "Touchstone file");
    });
}

void LadderDesignerWindow::responseCsvClicked() {
    guarded("Response CSV", [this] {
        if (!designed_) return;
        const QString file = saveFileName("Save the response as CSV", "ladder-response.csv",
                                          {"CSV (*.csv)", "All files (*)"});
        const auto keep = designed_;
        saveBytes(
            file,
            [keep] {
                const auto& d = keep->result.design;
                return ladderResponseCsv(d, defaultLadderSpan(d), std::nullopt);
            },
            "Response CSV");
    });
}

void LadderDesignerWindow::ngspiceClicked() {
    guarded("ngspice", [this] {
        if (!designed_) return;
        const QString file = saveFileName("Save an ngspice deck", "ladder.cir",
                                          {"ngspice deck (*.cir)", "All files (*)"});
        const auto keep = designed_;
        const std::string program = programLine().toStdString();
        saveBytes(
            file,
            [keep, program, file] {
                const auto& d = keep->result.design;
                return ladderNgspiceDeck(d, defaultLadderSpan(d), std::nullopt,
                                         QFileInfo(file).fileName().toStdString(), program);
            },
            "ngspice deck");
    });
}

void LadderDesignerWindow::toleranceClicked() {
    guarded("Tolerance", [this] {
        if (!designed_ || !analyseTolerance_) return;
        analyseTolerance_(toleranceDesign(designed_->result.design), kSource);
    });
}

std::function<LadderDesignerWindow&()> installLadderDesigner(QMenu& menu, QWidget& parent,
                                                             char separator, MessageSink& messages,
                                                             AnalyseTolerance analyseTolerance) {
    auto window = [&parent, separator, &messages,
                   analyse = std::move(analyseTolerance)]() -> LadderDesignerWindow& {
        auto* w = parent.findChild<LadderDesignerWindow*>("TFormLadderDesigner");
        if (!w) w = new LadderDesignerWindow(separator, messages, analyse, &parent);
        return *w;
    };
    auto* action = menu.addAction("Ladder designer\u2026");
    action->setObjectName("LadderDesigner1");
    QObject::connect(action, &QAction::triggered, &parent,
                     korvan::gui::guardedSlot(&parent, kTitle, [window] {
                         LadderDesignerWindow& w = window();
                         w.show();
                         w.raise();
                         w.activateWindow();
                     }));
    return window;
}

} // namespace korvan::designer::gui
