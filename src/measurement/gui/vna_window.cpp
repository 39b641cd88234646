#include "measurement/gui/vna_window.h"

#include "measurement/crystal_report.h"
#include "model/gui/event_guard.h"
#include "model/text_file.h"
#include "numeric/number_text.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>
#include <numbers>

namespace korvan::gui {
namespace {

enum Column { File, Set, Fs, Fp, Lm, Cm, Rm, Cp, Qu, Residual, Misfit, Warnings, ColumnCount };

// Sorts by the number behind the text, not the text.
class NumberItem : public QTableWidgetItem {
  public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text) {
        setData(Qt::UserRole + 1, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole + 1).toDouble() < other.data(Qt::UserRole + 1).toDouble();
    }
};

const QString kTitle = QStringLiteral("VNA Measurement");

const QColor kSetColours[] = {QColor(205, 235, 205), QColor(205, 220, 245), QColor(245, 230, 200),
                              QColor(235, 210, 235)};

} // namespace

VnaWindow::VnaWindow(char separator, UseCrystal useInDesign, QWidget* parent,
                     DesignWithCrystals designWith)
    : QWidget(parent, Qt::Window), separator_(separator), useCrystal_(std::move(useInDesign)),
      designWith_(std::move(designWith)) {
    setObjectName("TFormVNA");
    setWindowTitle(kTitle);
    resize(1100, 720);

    auto* open = new QPushButton("Open sweep files…", this);
    open->setObjectName("OpenButton");
    auto* setsLabel = new QLabel("Sets of N", this);
    setSize_ = new QSpinBox(this);
    setSize_->setObjectName("SetsOfN");
    setSize_->setRange(0, 50);
    setSize_->setSpecialValueText("none");
    setSize_->setToolTip("Mark matched sets of N crystals with the smallest fs spread");
    auto* r0Label = new QLabel("R0 [Ohm]", this);
    r0_ = new QDoubleSpinBox(this);
    r0_->setObjectName("R0");
    r0_->setRange(0, 10000);
    r0_->setDecimals(2);
    r0_->setSpecialValueText("file's");
    r0_->setToolTip("Port resistance the crystal sees; \"file's\": the reference resistance "
                    "of each file");
    auto* cpLabel = new QLabel("Cp [pF]", this);
    cp_ = new QDoubleSpinBox(this);
    cp_->setObjectName("CpGiven");
    cp_->setRange(0, 1000);
    cp_->setDecimals(3);
    cp_->setSpecialValueText("from sweep");
    cp_->setToolTip("Holder capacitance for sweeps that do not hold the parallel resonance");
    saveTable_ = new QPushButton("Save table…", this);
    saveTable_->setObjectName("SaveTable");
    saveTable_->setToolTip("Save the fitted crystals and their sets as CSV");
    saveTable_->setEnabled(false);
    useInDesign_ = new QPushButton("Use in design", this);
    useInDesign_->setObjectName("UseInDesign");
    useInDesign_->setEnabled(false);
    designWithSet_ = new QPushButton("Design with this set\u2026", this);
    designWithSet_->setObjectName("DesignWithSet");
    designWithSet_->setToolTip("Design a ladder from the selected crystals, each in its own "
                               "position, in the ladder designer");
    designWithSet_->setEnabled(false);
    designWithSet_->setVisible(static_cast<bool>(designWith_));

    auto* bar = new QHBoxLayout;
    bar->addWidget(open);
    bar->addSpacing(16);
    bar->addWidget(setsLabel);
    bar->addWidget(setSize_);
    bar->addSpacing(16);
    bar->addWidget(r0Label);
    bar->addWidget(r0_);
    bar->addWidget(cpLabel);
    bar->addWidget(cp_);
    bar->addStretch();
    bar->addWidget(saveTable_);
    bar->addWidget(useInDesign_);
    bar->addWidget(designWithSet_);

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName("CrystalTable");
    table_->setHorizontalHeaderLabels({"File", "Set", "fs [Hz]", "fp [Hz]", "Lm [mH]", "Cm [fF]",
                                       "Rm [Ohm]", "Cp [pF]", "Qu", "Residual [dB]", "Misfit",
                                       "Warnings"});
    table_->horizontalHeaderItem(Misfit)->setToolTip(
        "RMS misfit of the model in units of the trace noise: about 1 when the model explains "
        "all but the noise");
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSortingEnabled(true);
    table_->sortByColumn(Fs, Qt::AscendingOrder);

    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    auto* chartView = new QChartView(chart_, this);
    chartView->setObjectName("SweepChart");
    chartView->setRenderHint(QPainter::Antialiasing);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(chartView);
    split->setSizes({250, 430});

    status_ = new QLabel("Open the sweep files of the crystals (two-port, crystal in series "
                         "between the ports).",
                         this);
    status_->setObjectName("Status");
    errors_ = new QLabel(this);
    errors_->setObjectName("Errors");
    errors_->setStyleSheet("color: #a00000");
    errors_->setWordWrap(true);
    errors_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    errors_->hide();
    setWarnings_ = new QLabel(this);
    setWarnings_->setObjectName("SetWarnings");
    setWarnings_->setStyleSheet("color: #a05000");
    setWarnings_->setWordWrap(true);
    setWarnings_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setWarnings_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);
    layout->addWidget(errors_);
    layout->addWidget(setWarnings_);
    layout->addWidget(status_);

    connect(open, &QPushButton::clicked, this,
            guardedSlot(this, kTitle, [this] { openClicked(); }));
    connect(useInDesign_, &QPushButton::clicked, this,
            guardedSlot(this, kTitle, [this] { useInDesignClicked(); }));
    connect(designWithSet_, &QPushButton::clicked, this,
            guardedSlot(this, kTitle, [this] { designWithClicked(); }));
    if (designWith_) {
        auto* action = new QAction("Design with this set\u2026", table_);
        action->setObjectName("DesignWithSetAction");
        action->setEnabled(false);
        connect(action, &QAction::triggered, this,
                guardedSlot(this, kTitle, [this] { designWithClicked(); }));
        table_->addAction(action);
        table_->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    connect(saveTable_, &QPushButton::clicked, this,
            guardedSlot(this, kTitle, [this] { saveTableClicked(); }));
    connect(setSize_, &QSpinBox::valueChanged, this,
            guardedSlot(this, kTitle, [this] { markSets(); }));
    connect(r0_, &QDoubleSpinBox::editingFinished, this,
            guardedSlot(this, kTitle, [this] { refit(); }));
    connect(cp_, &QDoubleSpinBox::editingFinished, this,
            guardedSlot(this, kTitle, [this] { refit(); }));
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            guardedSlot(this, kTitle, [this] { selectionChanged(); }));
    showChart(nullptr);
}

void VnaWindow::openClicked() {
    QFileDialog dialog(this, "Open sweep files");
    dialog.setObjectName("OpenDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({"Touchstone sweeps (*.s2p *.S2P *.ts *.s1p *.S1P)", "All files (*)"});
    if (!files_.isEmpty()) dialog.setDirectory(QFileInfo(files_.front()).absolutePath());
    if (dialog.exec() != QDialog::Accepted) return;
    openFiles(dialog.selectedFiles());
}

void VnaWindow::openFiles(const QStringList& files) {
    files_ = files;
    refit();
}

void VnaWindow::refit() {
    measurement::BatchOptions options;
    if (r0_->value() > 0) options.r0Ohm = r0_->value();
    if (cp_->value() > 0) options.cpF = cp_->value() * 1e-12;
    options.keepSweeps = true;
    std::vector<std::filesystem::path> paths;
    for (const QString& f : files_) paths.emplace_back(f.toStdString());

    // Large batches show their progress; a few files are done at once.
    QProgressDialog progress("Fitting the sweeps…", "Stop", 0, static_cast<int>(paths.size()),
                             this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    measurement::Batch batch;
    for (std::size_t i = 0; i < paths.size() && !progress.wasCanceled(); ++i) {
        auto one = measurement::measureFiles({paths[i]}, options);
        for (auto& c : one.crystals) batch.crystals.push_back(std::move(c));
        for (auto& e : one.errors) batch.errors.push_back(std::move(e));
        progress.setValue(static_cast<int>(i + 1));
    }
    std::stable_sort(
        batch.crystals.begin(), batch.crystals.end(),
        [](const auto& a, const auto& b) { return a.fit.fitted.fs_Hz() < b.fit.fitted.fs_Hz(); });
    batch_ = std::move(batch);

    QStringList lines;
    for (const auto& e : batch_.errors) lines << QString::fromStdString(e.file + ": " + e.message);
    errors_->setText(lines.join('\n'));
    errors_->setVisible(!lines.isEmpty());
    const auto warned = std::count_if(batch_.crystals.begin(), batch_.crystals.end(),
                                      [](const auto& c) { return !c.fit.warnings.empty(); });
    status_->setText(
        QString("%1 crystal(s) fitted, %2 with warnings, %3 file(s) could not be used.")
            .arg(batch_.crystals.size())
            .arg(warned)
            .arg(batch_.errors.size()));
    fillTable();
    markSets();
    saveTable_->setEnabled(!batch_.crystals.empty());
    if (table_->rowCount() > 0) table_->selectRow(0);
}

void VnaWindow::fillTable() {
    const char sep = separator_;
    // The table shows values, it does not judge them: a figure the fit left
    // undefined shows as a dash.
    const auto fixed = [sep](double v, int decimals) {
        if (!std::isfinite(v)) return QStringLiteral("-");
        return QString::fromStdString(numeric::formatFixed(v, 30, decimals, sep));
    };
    table_->setSortingEnabled(false);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(batch_.crystals.size()));
    for (std::size_t i = 0; i < batch_.crystals.size(); ++i) {
        const auto& c = batch_.crystals[i];
        const auto& p = c.fit.fitted;
        const int row = static_cast<int>(i);
        auto* file = new QTableWidgetItem(QFileInfo(QString::fromStdString(c.file)).fileName());
        file->setData(Qt::UserRole, static_cast<qulonglong>(i));
        file->setToolTip(QString::fromStdString(c.file));
        table_->setItem(row, File, file);
        table_->setItem(row, Set, new NumberItem(QString(), 1e9));
        table_->setItem(row, Fs, new NumberItem(fixed(p.fs_Hz(), 1), p.fs_Hz()));
        table_->setItem(row, Fp, new NumberItem(fixed(p.fp_Hz(), 1), p.fp_Hz()));
        table_->setItem(row, Lm, new NumberItem(fixed(p.Lm_H * 1e3, 4), p.Lm_H));
        table_->setItem(row, Cm, new NumberItem(fixed(p.Cm_F * 1e15, 4), p.Cm_F));
        table_->setItem(row, Rm, new NumberItem(fixed(p.Rm_Ohm, 2), p.Rm_Ohm));
        table_->setItem(row, Cp, new NumberItem(fixed(p.Cp_F * 1e12, 3), p.Cp_F));
        table_->setItem(row, Qu, new NumberItem(fixed(p.Qu(), 0), p.Qu()));
        table_->setItem(
            row, Residual,
            new NumberItem(fixed(c.fit.quality.residualDb, 4), c.fit.quality.residualDb));
        auto* misfit = new NumberItem(fixed(c.fit.quality.misfit, 2), c.fit.quality.misfit);
        if (c.fit.quality.misfit > measurement::kPoorFitMisfit)
            misfit->setForeground(QColor(160, 0, 0));
        table_->setItem(row, Misfit, misfit);
        QStringList warnings;
        for (const auto& w : c.fit.warnings) warnings << QString::fromStdString(w);
        auto* w = new QTableWidgetItem(warnings.join("; "));
        if (!warnings.isEmpty()) w->setForeground(QColor(160, 0, 0));
        w->setToolTip(warnings.join('\n'));
        table_->setItem(row, Warnings, w);
    }
    table_->setSortingEnabled(true);
    table_->resizeColumnsToContents();
}

void VnaWindow::markSets() {
    std::vector<double> fs;
    for (const auto& c : batch_.crystals) fs.push_back(c.fit.fitted.fs_Hz());
    sets_ = measurement::matchSets(fs, static_cast<std::size_t>(setSize_->value()));
    measurement::judgeSets(sets_, batch_.crystals, std::nullopt);
    std::vector<int> setOf(batch_.crystals.size(), -1);
    std::vector<bool> outlier(batch_.crystals.size(), false);
    for (std::size_t s = 0; s < sets_.size(); ++s)
        for (std::size_t m : sets_[s].members) setOf[m] = static_cast<int>(s);
    QStringList setWarnings;
    for (std::size_t s = 0; s < sets_.size(); ++s) {
        for (std::size_t m : sets_[s].outliers) outlier[m] = true;
        for (const auto& w : sets_[s].warnings) {
            // The table names files without their folder; so do its warnings.
            QString text = QString::fromStdString(w);
            for (std::size_t m : sets_[s].outliers) {
                const QString path = QString::fromStdString(batch_.crystals[m].file);
                text.replace(path, QFileInfo(path).fileName());
            }
            setWarnings << QString("Set %1: %2").arg(s + 1).arg(text);
        }
    }
    setWarnings_->setText(setWarnings.join('\n'));
    setWarnings_->setVisible(!setWarnings.isEmpty());
    const bool sorting = table_->isSortingEnabled();
    table_->setSortingEnabled(false);
    for (int row = 0; row < table_->rowCount(); ++row) {
        const auto index = table_->item(row, File)->data(Qt::UserRole).toULongLong();
        const int s = setOf[index];
        auto* item = table_->item(row, Set);
        item->setText(s < 0 ? QString()
                            : QString::number(s + 1) + (outlier[index] ? " (outlier)" : ""));
        item->setData(Qt::UserRole + 1, s < 0 ? 1e9 : s + 1);
        QString tip;
        if (s >= 0) {
            const auto& set = sets_[static_cast<std::size_t>(s)];
            tip = QString("spread %1 Hz").arg(set.spreadHz, 0, 'f', 1);
            for (const auto& w : set.warnings) tip += "\n" + QString::fromStdString(w);
        }
        item->setToolTip(tip);
        item->setForeground(s >= 0 && !sets_[static_cast<std::size_t>(s)].warnings.empty()
                                ? QBrush(QColor(160, 80, 0))
                                : QBrush());
        const QBrush brush = s < 0 ? QBrush() : QBrush(kSetColours[s % 4]);
        for (int col = 0; col < ColumnCount; ++col) table_->item(row, col)->setBackground(brush);
    }
    table_->setSortingEnabled(sorting);
    table_->resizeColumnToContents(Set);
    if (!sets_.empty()) {
        // The best set is the one a user most likely wants in the design.
        table_->clearSelection();
        for (int row = 0; row < table_->rowCount(); ++row)
            if (setOf[table_->item(row, File)->data(Qt::UserRole).toULongLong()] == 0)
                table_->selectionModel()->select(table_->model()->index(row, 0),
                                                 QItemSelectionModel::Select |
                                                     QItemSelectionModel::Rows);
        QStringList spreads;
        for (const auto& s : sets_) spreads << QString::number(s.spreadHz, 'f', 1);
        status_->setText(QString("%1 set(s) of %2, spread [Hz]: %3")
                             .arg(sets_.size())
                             .arg(setSize_->value())
                             .arg(spreads.join(", ")));
    }
}

std::vector<std::size_t> VnaWindow::selectedCrystals() const {
    std::vector<std::size_t> out;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows(File))
        out.push_back(table_->item(index.row(), File)->data(Qt::UserRole).toULongLong());
    std::sort(out.begin(), out.end());
    return out;
}

int VnaWindow::selectedSet() const {
    const auto selected = selectedCrystals();
    for (std::size_t s = 0; s < sets_.size(); ++s) {
        auto members = sets_[s].members;
        std::sort(members.begin(), members.end());
        if (members == selected && members.size() >= 2 && members.size() <= 14)
            return static_cast<int>(s);
    }
    return -1;
}

void VnaWindow::selectionChanged() {
    const auto selected = selectedCrystals();
    useInDesign_->setEnabled(!selected.empty());
    designWithSet_->setEnabled(selected.size() >= 2);
    for (QAction* a : table_->actions()) a->setEnabled(selected.size() >= 2);
    const int set = selectedSet();
    if (set >= 0)
        useInDesign_->setText(
            QString("Use set %1 in design (%2 poles)").arg(set + 1).arg(selected.size()));
    else
        useInDesign_->setText(selected.size() > 1
                                  ? QString("Use in design (mean of %1)").arg(selected.size())
                                  : QString("Use in design"));
    showChart(selected.empty() ? nullptr : &batch_.crystals[selected.front()]);
}

void VnaWindow::useInDesignClicked() {
    std::vector<measurement::CrystalParameters> chosen;
    for (std::size_t i : selectedCrystals()) chosen.push_back(batch_.crystals[i].fit.fitted);
    if (chosen.empty()) return;
    auto texts = measurement::crystalFieldTexts(measurement::meanCrystal(chosen), separator_);
    if (selectedSet() >= 0) texts.poles = std::to_string(chosen.size());
    if (useCrystal_) useCrystal_(texts);
}

void VnaWindow::designWithClicked() {
    // A handler: nothing it throws may leave it.
    try {
        const auto selected = selectedCrystals();
        if (selected.size() < 2 || !designWith_) return;
        std::vector<ChosenCrystal> chosen;
        for (std::size_t i : selected) {
            const auto& c = batch_.crystals[i];
            chosen.push_back(
                {QFileInfo(QString::fromStdString(c.file)).fileName().toStdString(), c.fit.fitted});
        }
        const int set = selectedSet();
        const std::string source = set >= 0
                                       ? "set " + std::to_string(set + 1) + " of the VNA window"
                                       : "the VNA window's selection";
        designWith_(chosen, source);
    } catch (const std::exception& e) {
        QMessageBox::warning(this, "Design with this set", QString::fromStdString(e.what()));
    }
}

void VnaWindow::saveTableClicked() {
    const QString file =
        QFileDialog::getSaveFileName(this, "Save table", "crystals.csv", "CSV (*.csv)", nullptr,
                                     QFileDialog::DontUseNativeDialog);
    if (file.isEmpty()) return;
    try {
        writeFileAtomically(file.toStdString(), measurement::crystalsCsv(batch_, sets_));
        status_->setText("Table saved to " + file);
    } catch (const std::exception& e) {
        QMessageBox::warning(this, "Save table", file + ":\n" + QString::fromStdString(e.what()));
    }
}

void VnaWindow::showChart(const measurement::MeasuredCrystal* crystal) {
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    if (!crystal || crystal->frequencyHz.empty()) {
        chart_->setTitle("Select a crystal to see its sweep and the fitted model");
        return;
    }
    const auto& fit = crystal->fit.fitted;
    const double fs = fit.fs_Hz();
    chart_->setTitle(QString("%1: |S21| and phase, measured and fitted (f - %2 Hz)")
                         .arg(QFileInfo(QString::fromStdString(crystal->file)).fileName())
                         .arg(fs, 0, 'f', 1));
    auto* measuredDb = new QScatterSeries;
    measuredDb->setName("|S21| measured [dB]");
    measuredDb->setMarkerSize(4);
    auto* fittedDb = new QLineSeries;
    fittedDb->setName("|S21| fitted");
    auto* measuredDeg = new QScatterSeries;
    measuredDeg->setName("phase measured [°]");
    measuredDeg->setMarkerSize(4);
    auto* fittedDeg = new QLineSeries;
    fittedDeg->setName("phase fitted");
    // Thousands of markers make the chart slow without showing more.
    const std::size_t n = crystal->frequencyHz.size();
    const std::size_t step = std::max<std::size_t>(1, n / 400);
    for (std::size_t i = 0; i < n; i += step) {
        const double f = crystal->frequencyHz[i];
        const auto m = crystal->s21[i];
        const auto model = measurement::seriesThroughS21(fit, f, crystal->r0Ohm);
        const double x = f - fs;
        measuredDb->append(x, 20 * std::log10(std::max(std::abs(m), 1e-15)));
        fittedDb->append(x, 20 * std::log10(std::max(std::abs(model), 1e-15)));
        measuredDeg->append(x, std::arg(m) * 180 / std::numbers::pi);
        fittedDeg->append(x, std::arg(model) * 180 / std::numbers::pi);
    }
    fittedDb->setColor(QColor(0, 90, 200));
    measuredDb->setColor(QColor(120, 170, 240));
    fittedDeg->setColor(QColor(200, 90, 0));
    measuredDeg->setColor(QColor(240, 180, 120));
    for (QAbstractSeries* s :
         std::initializer_list<QAbstractSeries*>{measuredDb, fittedDb, measuredDeg, fittedDeg})
        chart_->addSeries(s);
    // The floor the fit found, where it hides points of the sweep.
    QLineSeries* floor = nullptr;
    if (crystal->fit.pointsBelowFloor > 0) {
        const double floorDb = 20 * std::log10(crystal->fit.s21Noise.floor);
        floor = new QLineSeries;
        floor->setName("noise floor");
        floor->append(crystal->frequencyHz.front() - fs, floorDb);
        floor->append(crystal->frequencyHz.back() - fs, floorDb);
        floor->setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
        chart_->addSeries(floor);
    }

    auto* x = new QValueAxis;
    x->setTitleText("f - fs [Hz]");
    x->setLabelFormat("%.0f");
    auto* yDb = new QValueAxis;
    yDb->setTitleText("|S21| [dB]");
    auto* yDeg = new QValueAxis;
    yDeg->setTitleText("phase [°]");
    yDeg->setRange(-90, 90);
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(yDb, Qt::AlignLeft);
    chart_->addAxis(yDeg, Qt::AlignRight);
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(measuredDb), static_cast<QAbstractSeries*>(fittedDb)}) {
        s->attachAxis(x);
        s->attachAxis(yDb);
    }
    if (floor) {
        floor->attachAxis(x);
        floor->attachAxis(yDb);
    }
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(measuredDeg), static_cast<QAbstractSeries*>(fittedDeg)}) {
        s->attachAxis(x);
        s->attachAxis(yDeg);
    }
    x->setRange(crystal->frequencyHz.front() - fs, crystal->frequencyHz.back() - fs);
    x->applyNiceNumbers();
    yDb->applyNiceNumbers();
}

void installVnaMeasurement(QWidget& mainWindow, char separator, UseCrystal useInDesign,
                           DesignWithCrystals designWith) {
    auto* xtal = mainWindow.findChild<QMenu*>("Xtal1");
    if (!xtal) return;
    xtal->addSeparator();
    auto* action = xtal->addAction("VNA Measurement…");
    action->setObjectName("VnaMeasurement1");
    QObject::connect(
        action, &QAction::triggered, &mainWindow,
        guardedSlot(&mainWindow, kTitle,
                    [&mainWindow, separator, use = std::move(useInDesign),
                     design = std::move(designWith)] {
                        auto* window = mainWindow.findChild<VnaWindow*>("TFormVNA");
                        if (!window) window = new VnaWindow(separator, use, &mainWindow, design);
                        window->show();
                        window->raise();
                        window->activateWindow();
                    }));
}

} // namespace korvan::gui
