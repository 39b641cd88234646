#include "analysis/gui/tolerance_window.h"

#include "model/gui/event_guard.h"
#include "model/messages.h"
#include "numeric/number_text.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvan::gui {

namespace {

const QString kTitle = QStringLiteral("Tolerance analysis");

using namespace analysis;

constexpr const char* kFigureCaptions[kFigureCount] = {
    "Insertion loss [dB]", "Ripple [dB]",   "BW 3 dB [Hz]",     "BW 6 dB [Hz]",
    "BW 20 dB [Hz]",       "BW 60 dB [Hz]", "Centre shift [Hz]"};
constexpr int kFigureDecimals[kFigureCount] = {3, 3, 1, 1, 1, 1, 1};

// The insertion loss carries the allowance the main window's labels add,
// and says so: the response window shows the plain ladder's.
QString figureCaption(int figure, double allowanceDb) {
    if (figure == kIL && allowanceDb > 0)
        return QString("Insertion loss [dB], with %1 dB").arg(allowanceDb, 0, 'f', 2);
    return kFigureCaptions[figure];
}

QDoubleSpinBox* spin(QWidget* parent, const char* name, double max, double value, int decimals,
                     const QString& suffix) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(0, max);
    s->setDecimals(decimals);
    s->setValue(value);
    s->setSuffix(suffix);
    return s;
}

QComboBox* distributionCombo(QWidget* parent, const char* name, const QString& normal,
                             const QString& uniform) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItem(normal);
    c->addItem(uniform);
    return c;
}

QChartView* chartView(QWidget* parent, const char* name) {
    auto* view = new QChartView(new QChart(), parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->chart()->legend()->setAlignment(Qt::AlignBottom);
    view->setMinimumSize(520, 320);
    return view;
}

QTableWidget* table(QWidget* parent, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(22);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    return t;
}

void setCell(QTableWidget* t, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
    t->setItem(row, column, item);
}

} // namespace

ToleranceWindow::ToleranceWindow(OutcomeFeed& outcomes, char separator, QWidget* parent)
    : QWidget(parent, Qt::Window), outcomes_(outcomes), separator_(separator) {
    setObjectName("TFormTolerance");
    setWindowTitle(kTitle);

    auto* layout = new QHBoxLayout(this);
    // The inputs scroll when the window is too low for all of them, so that
    // no limit note or status line is ever cut off.
    auto* inputs = new QScrollArea(this);
    inputs->setObjectName("InputsScroll");
    inputs->setWidget(buildInputs());
    inputs->setWidgetResizable(true);
    inputs->setFrameShape(QFrame::NoFrame);
    inputs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    inputs->setFixedWidth(inputs->widget()->width() + 18);
    auto* left = new QVBoxLayout;
    left->addWidget(inputs, 1);
    left->addWidget(runPanel_);
    layout->addLayout(left);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("ResultTabs");
    envelopeView_ = chartView(tabs_, "EnvelopeChart");
    rippleView_ = chartView(tabs_, "RippleHistogram");
    bw3View_ = chartView(tabs_, "Bw3Histogram");
    tabs_->addTab(envelopeView_, "S21 envelope");
    tabs_->addTab(rippleView_, "Ripple");
    tabs_->addTab(bw3View_, "3 dB bandwidth");

    // Standard values: the ideal design and the one built from the series.
    auto* standard = new QWidget(tabs_);
    standard->setObjectName("StandardValuesView");
    auto* sl = new QVBoxLayout(standard);
    auto* choice = new QHBoxLayout;
    standardSeries_ = new QComboBox(standard);
    standardSeries_->setObjectName("StandardSeries");
    for (const char* s : {"E6", "E12", "E24", "E48", "E96"}) standardSeries_->addItem(s);
    standardSeries_->setCurrentIndex(1);
    standardPairs_ = new QCheckBox("Two values in parallel", standard);
    standardPairs_->setObjectName("StandardPairs");
    choice->addWidget(new QLabel("Series:", standard));
    choice->addWidget(standardSeries_);
    choice->addWidget(standardPairs_);
    choice->addStretch();
    sl->addLayout(choice);
    standardCaps_ =
        table(standard, "StandardCapacitors", {"Capacitor", "Designed", "Standard", "Change"});
    standardFigures_ = table(standard, "StandardFigures", {"Figure", "Ideal", "Standard"});
    auto* tables = new QHBoxLayout;
    tables->addWidget(standardCaps_, 4);
    tables->addWidget(standardFigures_, 3);
    sl->addLayout(tables);
    tabs_->addTab(standard, "Standard values");
    connect(standardSeries_, &QComboBox::currentIndexChanged, this,
            guardedSlot(this, kTitle, [this] { showStandardValues(); }));
    connect(standardPairs_, &QCheckBox::toggled, this,
            guardedSlot(this, kTitle, [this] { showStandardValues(); }));

    auto* right = new QVBoxLayout;
    right->addWidget(tabs_, 1);
    figures_ =
        table(this, "FiguresTable",
              {"Figure", "Nominal", "Standard", "Mean", "Std", "p5", "p50", "p95", "Reached"});
    // Exactly the seven rows, so the charts get the rest of the height.
    figures_->setFixedHeight(figures_->horizontalHeader()->sizeHint().height() + kFigureCount * 22 +
                             2 * figures_->frameWidth());
    right->addWidget(figures_);
    layout->addLayout(right, 1);
    resize(1240, 820);
    following_ = outcomes_.subscribe([this](const OutcomePtr&) {
        korvan::gui::runGuarded(this, kTitle, [this] { designChanged(); });
    });
}

ToleranceWindow::~ToleranceWindow() {
    // The worker refers to this window's members: it must end first.
    cancel_ = true;
    if (worker_) worker_->wait();
}

QWidget* ToleranceWindow::buildInputs() {
    auto* panel = new QWidget(this);
    auto* v = new QVBoxLayout(panel);

    auto* run = new QGroupBox("Trials", panel);
    auto* rf = new QFormLayout(run);
    trials_ = new QSpinBox(run);
    trials_->setObjectName("TrialsEdit");
    trials_->setRange(1, static_cast<int>(kMaxTrials));
    trials_->setValue(1000);
    seed_ = new QSpinBox(run);
    seed_->setObjectName("SeedEdit");
    seed_->setRange(0, std::numeric_limits<int>::max());
    seed_->setValue(1);
    threads_ = new QSpinBox(run);
    threads_->setObjectName("ThreadsEdit");
    threads_->setRange(0, 256);
    threads_->setSpecialValueText("all cores");
    rf->addRow("Trials:", trials_);
    rf->addRow("Seed:", seed_);
    rf->addRow("Threads:", threads_);
    v->addWidget(run);

    auto* spreads = new QGroupBox("Spreads", panel);
    auto* sf = new QFormLayout(spreads);
    fsSpread_ = spin(spreads, "FsSpreadEdit", 100000, 20, 1, " Hz");
    fsDistribution_ = distributionCombo(spreads, "FsDistribution", "normal, sigma", "uniform, +-");
    lm_ = spin(spreads, "LmSpreadEdit", 100, 0, 2, " %");
    rm_ = spin(spreads, "RmSpreadEdit", 100, 0, 2, " %");
    cp_ = spin(spreads, "CpSpreadEdit", 100, 0, 2, " %");
    caps_ = spin(spreads, "CapSpreadEdit", 100, 2, 2, " %");
    terms_ = spin(spreads, "TermSpreadEdit", 100, 0, 2, " %");
    pctDistribution_ =
        distributionCombo(spreads, "PercentDistribution", "normal, sigma", "uniform, +-");
    sf->addRow("Crystal fs:", fsSpread_);
    sf->addRow("", fsDistribution_);
    sf->addRow("Crystal Lm:", lm_);
    sf->addRow("Crystal Rm:", rm_);
    sf->addRow("Crystal Cp:", cp_);
    sf->addRow("Ck and Cs:", caps_);
    sf->addRow("Terminations:", terms_);
    sf->addRow("Percentages:", pctDistribution_);
    series_ = new QComboBox(spreads);
    series_->setObjectName("TrialSeries");
    for (const char* s : {"ideal values", "E6", "E12", "E24", "E48", "E96"}) series_->addItem(s);
    pairs_ = new QCheckBox("pairs", spreads);
    pairs_->setObjectName("TrialPairs");
    auto* sr = new QHBoxLayout;
    sr->addWidget(series_);
    sr->addWidget(pairs_);
    sf->addRow("Capacitors from:", sr);
    v->addWidget(spreads);

    auto* limits = new QGroupBox("Yield limits", panel);
    auto* lf = new QFormLayout(limits);
    const auto note = [limits](const char* name) {
        auto* l = new QLabel(limits);
        l->setObjectName(name);
        l->setWordWrap(true);
        QFont small = l->font();
        if (small.pointSizeF() > 0)
            small.setPointSizeF(small.pointSizeF() * 0.9);
        else
            small.setPixelSize(std::max(8, small.pixelSize() * 9 / 10));
        l->setFont(small);
        return l;
    };
    useRipple_ = new QCheckBox("Ripple at most", limits);
    useRipple_->setObjectName("UseRippleLimit");
    useRipple_->setChecked(true);
    rippleLimit_ = spin(limits, "RippleLimitEdit", 60, 1.5, 2, " dB");
    rippleNote_ = note("RippleLimitNote");
    useBw_ = new QCheckBox("3 dB bandwidth within +-", limits);
    useBw_->setObjectName("UseBwLimit");
    useBw_->setChecked(true);
    bwLimit_ = spin(limits, "BwLimitEdit", 100, 5, 2, " %");
    bwNote_ = note("BwLimitNote");
    lf->addRow(useRipple_, rippleLimit_);
    lf->addRow(rippleNote_);
    lf->addRow(useBw_, bwLimit_);
    lf->addRow(bwNote_);
    useIl_ = new QCheckBox("Insertion loss at most", limits);
    useIl_->setObjectName("UseIlLimit");
    ilLimit_ = spin(limits, "IlLimitEdit", 60, 3, 2, " dB");
    ilNote_ = note("IlLimitNote");
    useShift_ = new QCheckBox("Centre shift within +-", limits);
    useShift_->setObjectName("UseShiftLimit");
    shiftLimit_ = spin(limits, "ShiftLimitEdit", 100000, 100, 1, " Hz");
    shiftNote_ = note("ShiftLimitNote");
    lf->addRow(useIl_, ilLimit_);
    lf->addRow(ilNote_);
    lf->addRow(useShift_, shiftLimit_);
    lf->addRow(shiftNote_);
    v->addWidget(limits);
    // A limit the user touches is his from then on; each change shows the
    // nominal design against the limits again.
    const auto userLimit = [this] {
        limitsFollowDesign_ = false;
        showLimitNotes();
    };
    for (QDoubleSpinBox* box : {rippleLimit_, bwLimit_, ilLimit_, shiftLimit_})
        connect(box, &QDoubleSpinBox::valueChanged, this, userLimit);
    for (QCheckBox* box : {useRipple_, useBw_, useIl_, useShift_})
        connect(box, &QCheckBox::toggled, this, userLimit);

    v->addStretch();
    panel->setFixedWidth(340);

    // Run, progress, yield and status stay in sight below the inputs.
    auto* runPanel = new QWidget(this);
    runPanel->setObjectName("RunPanel");
    runPanel->setFixedWidth(340);
    v = new QVBoxLayout(runPanel);
    v->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    run_ = new QPushButton("Run", runPanel);
    run_->setObjectName("RunButton");
    run_->setDefault(true);
    cancelButton_ = new QPushButton("Cancel", runPanel);
    cancelButton_->setObjectName("CancelButton");
    cancelButton_->setEnabled(false);
    buttons->addWidget(run_);
    buttons->addWidget(cancelButton_);
    v->addLayout(buttons);
    progress_ = new QProgressBar(runPanel);
    progress_->setObjectName("ProgressBar");
    progress_->setRange(0, 1);
    progress_->setValue(0);
    v->addWidget(progress_);
    yield_ = new QLabel(runPanel);
    yield_->setObjectName("YieldLabel");
    QFont big = yield_->font();
    big.setPixelSize(16);
    big.setBold(true);
    yield_->setFont(big);
    v->addWidget(yield_);
    status_ = new QLabel(runPanel);
    status_->setObjectName("StatusLabel");
    status_->setWordWrap(true);
    v->addWidget(status_);
    runPanel_ = runPanel;

    // The series the trials start from is also the one the standard-value
    // view shows.
    connect(series_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index > 0) standardSeries_->setCurrentIndex(index - 1);
    });
    connect(pairs_, &QCheckBox::toggled, this, [this](bool on) { standardPairs_->setChecked(on); });
    connect(run_, &QPushButton::clicked, this, guardedSlot(this, kTitle, [this] { runClicked(); }));
    connect(cancelButton_, &QPushButton::clicked, this, &ToleranceWindow::cancelClicked);
    return panel;
}

QString ToleranceWindow::number(double value, int decimals) const {
    if (!std::isfinite(value)) return "-"; // a figure a trial could not reach
    return QString::fromStdString(numeric::formatFixed(value, 15, decimals, separator_));
}

void ToleranceWindow::forgetResult(const QString& status) {
    result_.reset();
    figures_->setRowCount(0);
    for (QChartView* view : {rippleView_, bw3View_}) {
        view->chart()->removeAllSeries();
        for (QAbstractAxis* axis : view->chart()->axes()) {
            view->chart()->removeAxis(axis);
            delete axis;
        }
    }
    yield_->clear();
    progress_->setValue(0);
    status_->setText(status);
}

void ToleranceWindow::analyseLadder(const ToleranceDesign& design, const QString& source) {
    if (running()) {
        status_->setText("A run is going: cancel it or let it finish, then press "
                         "\"Tolerance\u2026\" again.");
    } else {
        given_ = design;
        setWindowTitle("Tolerance analysis: " + source);
        forgetResult("Analysing the ladder of the " + source + ".");
        suggestLimits();
        showStandardValues();
        drawNominal();
    }
    show();
    raise();
    activateWindow();
}

void ToleranceWindow::open() {
    if (given_ && !running()) {
        given_.reset();
        setWindowTitle("Tolerance analysis");
        forgetResult("Analysing the main window's design.");
    }
    suggestLimits();
    showStandardValues();
    if (!result_) drawNominal();
    show();
    raise();
    activateWindow();
}

void ToleranceWindow::designChanged() {
    if (given_) return; // the main design is not the one shown
    // Hidden, the window only notes the change: open() draws the design
    // then, and the main window's calculations do not pay for it.
    if (isVisible()) {
        suggestLimits();
        showStandardValues();
        if (!result_) drawNominal();
    }
    if (result_ && !running())
        status_->setText("The design has changed since this run: run again for its spreads.");
}

std::optional<ToleranceDesign> ToleranceWindow::currentDesign(QString* problem) const {
    if (given_) return given_;
    const OutcomePtr& outcome = outcomes_.current();
    if (!outcome) {
        *problem = "The design is not complete: calculate a filter in the main window first.";
        return std::nullopt;
    }
    return toleranceDesign(*outcome);
}

std::optional<StandardChoice> ToleranceWindow::standardChoice() const {
    if (series_->currentIndex() <= 0) return std::nullopt;
    return StandardChoice{*seriesFromName(series_->currentText().toStdString()),
                          pairs_->isChecked()};
}

ToleranceJob ToleranceWindow::jobFromInputs(const ToleranceDesign& design) const {
    ToleranceJob job;
    job.design = design;
    job.trials = trials_->value();
    job.seed = static_cast<std::uint64_t>(seed_->value());
    job.threads = threads_->value();
    const auto dist = [](const QComboBox* c) {
        return c->currentIndex() == 1 ? Distribution::Uniform : Distribution::Normal;
    };
    job.spreads.fsHz = {fsSpread_->value(), dist(fsDistribution_)};
    const Distribution pct = dist(pctDistribution_);
    job.spreads.lmPct = {lm_->value(), pct};
    job.spreads.rmPct = {rm_->value(), pct};
    job.spreads.cpPct = {cp_->value(), pct};
    job.spreads.capPct = {caps_->value(), pct};
    job.spreads.termPct = {terms_->value(), pct};
    job.standard = standardChoice();
    if (useRipple_->isChecked()) job.limits.rippleMaxDb = rippleLimit_->value();
    if (useBw_->isChecked()) job.limits.bw3Pct = bwLimit_->value();
    if (design.askedBw3Hz > 0) job.limits.bw3ReferenceHz = design.askedBw3Hz;
    if (useIl_->isChecked()) job.limits.ilMaxDb = ilLimit_->value();
    if (useShift_->isChecked()) job.limits.centreShiftHz = shiftLimit_->value();
    return job;
}

void ToleranceWindow::runClicked() {
    if (running()) return;
    QString problem;
    const auto design = currentDesign(&problem);
    if (!design) {
        status_->setText(problem);
        return;
    }
    ToleranceJob job = jobFromInputs(*design);
    if (const auto problems = validateJob(job); !problems.empty()) {
        QStringList lines;
        for (const auto& p : problems) lines << QString::fromStdString(p);
        status_->setText(lines.join('\n'));
        return;
    }
    cancel_ = false;
    runLimits_ = job.limits;
    progress_->setRange(0, static_cast<int>(job.trials));
    progress_->setValue(0);
    status_->setText(QString("Running %1 trials ...").arg(job.trials));
    setRunning(true);
    // The worker reports through queued calls, which run on this window's
    // thread; it never touches a widget itself.
    worker_ = QThread::create([this, job = std::move(job)] {
        RunControl control;
        control.cancel = &cancel_;
        control.progress = [this](long long done, long long total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
        };
        // Nothing may leave a thread's function: a failure comes back as a box.
        std::shared_ptr<ToleranceResult> result;
        QString failure;
        try {
            result = std::make_shared<ToleranceResult>(runTolerance(job, control));
        } catch (const std::exception& e) {
            failure = QString::fromStdString(errorReport(e.what()).text);
        } catch (...) {
            failure = "The run failed.";
        }
        QMetaObject::invokeMethod(
            this,
            [this, result, failure] {
                if (result) {
                    runGuarded(this, kTitle, [&] { showResult(result); });
                    return;
                }
                if (worker_) worker_->wait();
                worker_ = nullptr;
                setRunning(false);
                status_->setText("The run failed: " + failure);
                reportFailure(this, kTitle, failure);
            },
            Qt::QueuedConnection);
    });
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
    worker_->start();
}

void ToleranceWindow::cancelClicked() {
    cancel_ = true;
    status_->setText("Cancelling ...");
}

void ToleranceWindow::closeEvent(QCloseEvent* event) {
    // Closing only hides the window; a run still going is stopped.
    cancel_ = true;
    event->accept();
}

void ToleranceWindow::setRunning(bool on) {
    run_->setEnabled(!on);
    cancelButton_->setEnabled(on);
}

void ToleranceWindow::showProgress(long long done, long long total) {
    progress_->setMaximum(static_cast<int>(total));
    progress_->setValue(static_cast<int>(done));
}

void ToleranceWindow::showResult(std::shared_ptr<ToleranceResult> result) {
    if (worker_) worker_->wait();
    worker_ = nullptr;
    setRunning(false);
    result_ = std::move(result);
    const ToleranceResult& r = *result_;
    showProgress(r.completed, r.trials);
    yield_->setText("Yield: " + number(100 * r.yield(), 1) + " %");
    QString text = QString("%1 of %2 trials run on %3 %4, %5 failed.")
                       .arg(r.completed)
                       .arg(r.trials)
                       .arg(r.threads)
                       .arg(r.threads == 1 ? "thread" : "threads")
                       .arg(r.failed);
    if (r.cancelled) text = "Cancelled. " + text;
    QStringList outside;
    const std::pair<LimitKind, const char*> kinds[] = {{LimitKind::Ripple, "ripple"},
                                                       {LimitKind::Bw3, "3 dB bandwidth"},
                                                       {LimitKind::Il, "insertion loss"},
                                                       {LimitKind::CentreShift, "centre shift"}};
    for (const auto& [kind, name] : kinds)
        if (keepsLimit(r.nominal, runLimits_, kind, *r.nominal.value[kBw3]) == false)
            outside << name;
    if (!outside.isEmpty())
        text += " The nominal design itself is outside the limit of its " + outside.join(", ") +
                ": no spread can bring the yield up to 100 %.";
    status_->setText(text);
    fillFiguresTable(r);
    drawEnvelope(r);
    std::vector<double> rippleMarks, bwMarks;
    if (runLimits_.rippleMaxDb) rippleMarks.push_back(*runLimits_.rippleMaxDb);
    if (runLimits_.bw3Pct) {
        const auto [low, high] = bw3Window(runLimits_, *r.nominal.value[kBw3]);
        bwMarks = {low, high};
    }
    drawHistogram(rippleView_->chart(), r.samples[kRipple], "Ripple", "dB", rippleMarks);
    drawHistogram(bw3View_->chart(), r.samples[kBw3], "3 dB bandwidth", "Hz", bwMarks);
    emit runFinished();
}

void ToleranceWindow::fillFiguresTable(const ToleranceResult& r) {
    figures_->setRowCount(kFigureCount);
    for (int f = 0; f < kFigureCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        const FigureStats& s = r.stats[i];
        const int d = kFigureDecimals[f];
        setCell(figures_, f, 0, figureCaption(f, r.allowanceDb));
        setCell(figures_, f, 1, r.nominal.value[i] ? number(*r.nominal.value[i], d) : "-");
        setCell(figures_, f, 2,
                r.standard && r.standard->value[i] ? number(*r.standard->value[i], d) : "-");
        const double cells[] = {s.mean, s.std, s.p5, s.p50, s.p95};
        for (int c = 0; c < 5; ++c)
            setCell(figures_, f, 3 + c, s.count > 0 ? number(cells[c], d) : "-");
        setCell(figures_, f, 8, QString::number(s.count));
    }
}

void ToleranceWindow::showStandardValues() {
    QString problem;
    const auto design = currentDesign(&problem);
    standardCaps_->setRowCount(0);
    standardFigures_->setRowCount(0);
    if (!design) return;
    const StandardChoice choice{*seriesFromName(standardSeries_->currentText().toStdString()),
                                standardPairs_->isChecked()};
    const StandardLadder snapped = standardLadder(design->ladder, choice);
    const auto pf = [&](double f) { return number(f * 1e12, 2) + " pF"; };
    const auto add = [&](const QString& name, const SnappedCapacitor& c) {
        const int row = standardCaps_->rowCount();
        standardCaps_->insertRow(row);
        setCell(standardCaps_, row, 0, name);
        setCell(standardCaps_, row, 1, pf(c.designedF));
        setCell(standardCaps_, row, 2,
                c.smallerF > 0 ? number(c.largerF * 1e12, 2) + " + " + pf(c.smallerF)
                               : pf(c.largerF));
        setCell(standardCaps_, row, 3,
                number(100 * (c.snappedF() - c.designedF) / c.designedF, 2) + " %");
    };
    for (std::size_t i = 0; i < snapped.coupling.size(); ++i)
        add(QString::fromStdString(analysis::couplingName(static_cast<int>(i) + 1)),
            snapped.coupling[i]);
    for (std::size_t i = 0; i < snapped.tuning.size(); ++i)
        if (snapped.tuning[i].designedF > 0) add(QString("Cs%1").arg(i + 1), snapped.tuning[i]);

    const auto ideal = ladderFigures(*design, design->ladder, 0);
    if (!ideal) return;
    const auto standard = ladderFigures(*design, snapped.ladder, ideal->centreHz);
    standardFigures_->setRowCount(kFigureCount);
    for (int f = 0; f < kFigureCount; ++f) {
        const auto i = static_cast<std::size_t>(f);
        const int d = kFigureDecimals[f];
        setCell(standardFigures_, f, 0, figureCaption(f, design->allowanceDb));
        const auto& iv = f == kCentreShift ? std::optional<double>(0.0) : ideal->value[i];
        setCell(standardFigures_, f, 1, iv ? number(*iv, d) : "-");
        setCell(standardFigures_, f, 2,
                standard && standard->value[i] ? number(*standard->value[i], d) : "-");
    }
}

void ToleranceWindow::suggestLimits() {
    QString problem;
    const auto design = currentDesign(&problem);
    if (!limitsFollowDesign_ || running() || !design) {
        showLimitNotes();
        return;
    }
    const ToleranceLimits lim = suggestedLimits(*design);
    {
        const QSignalBlocker a(rippleLimit_), b(bwLimit_);
        rippleLimit_->setValue(*lim.rippleMaxDb);
        bwLimit_->setValue(*lim.bw3Pct);
    }
    showLimitNotes();
}

void ToleranceWindow::showLimitNotes() {
    for (QLabel* l : {rippleNote_, bwNote_, ilNote_, shiftNote_}) l->clear();
    QString problem;
    const auto design = currentDesign(&problem);
    if (!design) return;
    const auto nominal = ladderFigures(*design, design->ladder, 0);
    ToleranceLimits lim;
    lim.rippleMaxDb = rippleLimit_->value();
    lim.bw3Pct = bwLimit_->value();
    lim.bw3ReferenceHz = design->askedBw3Hz;
    lim.ilMaxDb = ilLimit_->value();
    lim.centreShiftHz = shiftLimit_->value();
    const auto verdict = [&](LimitKind kind, const QCheckBox* use) -> QString {
        if (!nominal || !use->isChecked()) return "";
        return keepsLimit(*nominal, lim, kind, *nominal->value[kBw3]).value_or(true)
                   ? ": within"
                   : ": <b style=\"color:#c00000\">outside</b>";
    };
    const auto figure = [&](Figure f, int decimals) {
        return nominal && nominal->value[f] ? number(*nominal->value[f], decimals) : QString("-");
    };
    rippleNote_->setText(
        (design->askedRippleDb ? "Ripple entered " + number(*design->askedRippleDb, 2) + " dB; "
                               : QString("No ripple is entered for this type; ")) +
        "nominal " + figure(kRipple, 3) + " dB" + verdict(LimitKind::Ripple, useRipple_));
    const auto [low, high] = bw3Window(lim, 0);
    bwNote_->setText("Of the " + number(design->askedBw3Hz, 0) + " Hz asked" +
                     (given_ ? QString() : QString(" (B3db)")) + ": " + number(low, 0) + " to " +
                     number(high, 0) + " Hz; nominal " + figure(kBw3, 0) + " Hz" +
                     verdict(LimitKind::Bw3, useBw_));
    ilNote_->setText("Nominal " + figure(kIL, 3) + " dB" +
                     (design->allowanceDb > 0
                          ? ", with the " + number(design->allowanceDb, 2) + " dB allowance"
                          : QString()) +
                     verdict(LimitKind::Il, useIl_));
    shiftNote_->setText("Of the nominal 3 dB centre " +
                        (nominal ? number(nominal->centreHz * 0.001, 3) + " kHz" : QString("-")));
}

} // namespace korvan::gui
