#pragma once
// "Ladder designer": a ladder built from measured crystals, position by
// position. The crystals are typed, imported from the crystal fit's CSV or
// handed over by the VNA window (wired by the start-up code); the design
// runs on a worker thread (placing many crystals takes a while; its
// progress shows and it can be cancelled), and the outcome is shown as
// tables, a summary and a response chart, and saved as a build sheet or as
// response files. "Tolerance…" hands the ladder to whoever the start-up
// code wired (the tolerance window).

#include "analysis/tolerance.h"
#include "designer/build_sheet.h"
#include "designer/ladder_job.h"
#include "designer/ladder_views.h"
#include "model/messages.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QThread;

namespace korvan::measurement::gui {
class MeasurementOverlay;
}

namespace korvan::designer::gui {

class CrystalTable;
class LadderChart;

// Analyses a ladder's tolerances; `source` names the ladder.
using AnalyseTolerance =
    std::function<void(const analysis::ToleranceDesign& design, const QString& source)>;

// A finished design with what the views show of it.
struct DesignedLadder {
    LadderJob job;
    LadderJobResult result;
    BuildSheet sheet;
    LadderCurves curves;
};

class LadderDesignerWindow : public QWidget {
    Q_OBJECT

  public:
    LadderDesignerWindow(char separator, MessageSink& messages, AnalyseTolerance analyseTolerance,
                         QWidget* parent = nullptr);
    ~LadderDesignerWindow() override;

    // Fills the crystal table (the VNA window's selection): the pole count
    // becomes the number of crystals when it can, the designer chooses the
    // positions.
    void takeCrystals(const std::vector<NamedCrystal>& crystals, const QString& source);

    bool running() const { return worker_ != nullptr; }
    // The design shown; null before the first and after a refusal.
    const DesignedLadder* designed() const { return designed_.get(); }
    // "Overlay measurement…", "Clear overlay", "Diagnose" and their figures.
    measurement::gui::MeasurementOverlay& overlay() const { return *overlay_; }

  public slots:
    void designClicked();
    void cancelClicked();
    void importClicked();
    void addClicked();
    void removeClicked();
    void buildSheetClicked();
    void touchstoneClicked();
    void responseCsvClicked();
    void ngspiceClicked();
    void toleranceClicked();

  signals:
    // A design ended: done, refused or cancelled.
    void designFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildInputs();
    QWidget* buildResults();
    void familyChanged();
    void polesChanged();
    void inputsChanged();
    std::optional<LadderJob> jobFromInputs();
    BuildOptions buildOptions() const;
    void finished(std::shared_ptr<DesignedLadder> designed, const QString& refusal, bool cancelled);
    void showProgress(int done, int total);
    void setRunning(bool on);
    void showDesign();
    void rebuildSheet();
    void clearResults(const QString& why);
    void fillPositions();
    void fillCouplingsAndMatching();
    void fillSummary();
    // Runs a handler's work; whatever it throws becomes a box.
    void guarded(const char* what, const std::function<void()>& work);
    void refuse(const QString& text);
    QString saveFileName(const QString& title, const QString& suggested,
                         const QStringList& filters);
    void saveBytes(const QString& file, const std::function<std::string()>& bytes,
                   const QString& what);
    QString number(double value, int decimals) const;
    QString programLine() const;

    char separator_;
    MessageSink& messages_;
    AnalyseTolerance analyseTolerance_;
    std::atomic<bool> cancel_{false};
    QThread* worker_ = nullptr;
    std::shared_ptr<DesignedLadder> designed_;
    QString lastFolder_;

    CrystalTable* crystals_ = nullptr;
    QLabel* crystalsSource_ = nullptr;
    QComboBox* family_ = nullptr;
    QDoubleSpinBox* ripple_ = nullptr;
    QSpinBox* poles_ = nullptr;
    QDoubleSpinBox* bandwidth_ = nullptr;
    QComboBox* reference_ = nullptr;
    QComboBox* compensation_ = nullptr;
    QCheckBox* keepOrder_ = nullptr;
    QDoubleSpinBox* match_ = nullptr;
    QComboBox* series_ = nullptr;
    QCheckBox* pairs_ = nullptr;
    QPushButton* design_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;

    QLabel* summary_ = nullptr;
    QLabel* refusal_ = nullptr;
    QTableWidget* positions_ = nullptr;
    QTableWidget* couplings_ = nullptr;
    QTableWidget* matching_ = nullptr;
    LadderChart* chart_ = nullptr;
    measurement::gui::MeasurementOverlay* overlay_ = nullptr;
    std::vector<QPushButton*> outputButtons_;
};

// Adds "Ladder designer…" at the end of `menu` (the start-up code puts it
// right after "VNA Measurement…"); the window is made on first use as a
// child window of `parent`. The function returned gives that window (made
// if need be), for the VNA window's "Design with this set…".
std::function<LadderDesignerWindow&()> installLadderDesigner(QMenu& menu, QWidget& parent,
                                                             char separator, MessageSink& messages,
                                                             AnalyseTolerance analyseTolerance);

} // namespace korvan::designer::gui
