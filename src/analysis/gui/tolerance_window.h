#pragma once
// The tolerance window: the spreads and limits are entered, the Monte Carlo
// run goes to a worker thread (the window stays responsive and shows its
// progress), and the envelope, histograms, figures and yield are shown when
// it is done. "Standard values" shows the design built from E-series
// capacitors beside the ideal one.

#include "analysis/outcome_feed.h"
#include "analysis/tolerance.h"

#include <QWidget>

#include <atomic>
#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QThread;
class QChart;
class QChartView;

namespace korvan::gui {

class ToleranceWindow : public QWidget {
    Q_OBJECT

  public:
    // Analyses the feed's current outcome and follows the feed; numbers are
    // shown with `separator`.
    ToleranceWindow(analysis::OutcomeFeed& outcomes, char separator, QWidget* parent = nullptr);
    ~ToleranceWindow() override;

    bool running() const { return worker_ != nullptr; }
    const analysis::ToleranceResult* lastResult() const { return result_.get(); }

    // Shows the window for a given ladder instead of the main design:
    // `source` names it in the title. Refused (in the status line) while a
    // run is going.
    void analyseLadder(const analysis::ToleranceDesign& design, const QString& source);
    // True while the window analyses a ladder handed to it.
    bool analysingGivenLadder() const { return given_.has_value(); }

  public slots:
    // Shows the window for the current outcome.
    void open();
    // A new outcome: the standard values follow it; an earlier run's results
    // are marked as belonging to the earlier design.
    void designChanged();
    void runClicked();
    void cancelClicked();

  signals:
    void runFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildInputs();
    std::optional<analysis::ToleranceDesign> currentDesign(QString* problem) const;
    analysis::ToleranceJob jobFromInputs(const analysis::ToleranceDesign& design) const;
    std::optional<analysis::StandardChoice> standardChoice() const;
    void showResult(std::shared_ptr<analysis::ToleranceResult> result);
    void showProgress(long long done, long long total);
    void showStandardValues();
    void fillFiguresTable(const analysis::ToleranceResult& result);
    void drawEnvelope(const analysis::ToleranceResult& result);
    void drawNominal(); // before the first run
    // `marks`: the yield limits, drawn as vertical lines.
    void drawHistogram(QChart* chart, const std::vector<double>& values, const QString& title,
                       const QString& unit, const std::vector<double>& marks);
    void setRunning(bool on);
    // The limits from what the design was asked for, until the user sets
    // his own; then what each limit is measured against, and where the
    // nominal design stands.
    void suggestLimits();
    void showLimitNotes();
    QString number(double value, int decimals) const;

    void forgetResult(const QString& status);

    analysis::OutcomeFeed& outcomes_;
    analysis::OutcomeFeed::Subscription following_;
    std::optional<analysis::ToleranceDesign> given_; // else the feed's outcome
    char separator_;
    std::atomic<bool> cancel_{false};
    QThread* worker_ = nullptr;
    std::shared_ptr<analysis::ToleranceResult> result_;
    analysis::ToleranceLimits runLimits_; // of the run now going or last finished
    bool limitsFollowDesign_ = true;

    QSpinBox* trials_ = nullptr;
    QSpinBox* seed_ = nullptr;
    QSpinBox* threads_ = nullptr;
    QDoubleSpinBox* fsSpread_ = nullptr;
    QComboBox* fsDistribution_ = nullptr;
    QDoubleSpinBox* lm_ = nullptr;
    QDoubleSpinBox* rm_ = nullptr;
    QDoubleSpinBox* cp_ = nullptr;
    QDoubleSpinBox* caps_ = nullptr;
    QDoubleSpinBox* terms_ = nullptr;
    QComboBox* pctDistribution_ = nullptr;
    QComboBox* series_ = nullptr;
    QCheckBox* pairs_ = nullptr;
    QCheckBox* useRipple_ = nullptr;
    QDoubleSpinBox* rippleLimit_ = nullptr;
    QCheckBox* useBw_ = nullptr;
    QDoubleSpinBox* bwLimit_ = nullptr;
    QCheckBox* useIl_ = nullptr;
    QDoubleSpinBox* ilLimit_ = nullptr;
    QCheckBox* useShift_ = nullptr;
    QDoubleSpinBox* shiftLimit_ = nullptr;
    QLabel* rippleNote_ = nullptr;
    QLabel* bwNote_ = nullptr;
    QLabel* ilNote_ = nullptr;
    QLabel* shiftNote_ = nullptr;
    QWidget* runPanel_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* yield_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QChartView* envelopeView_ = nullptr;
    QChartView* rippleView_ = nullptr;
    QChartView* bw3View_ = nullptr;
    QTableWidget* figures_ = nullptr;
    QComboBox* standardSeries_ = nullptr;
    QCheckBox* standardPairs_ = nullptr;
    QTableWidget* standardCaps_ = nullptr;
    QTableWidget* standardFigures_ = nullptr;
};

} // namespace korvan::gui
