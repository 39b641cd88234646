#pragma once
// A built filter's measurement laid over a design, and its diagnosis: the
// "Overlay measurement…", "Clear overlay" and "Diagnose" actions, the
// figures of design and measurement side by side and the diagnosis in
// words. One panel for every window that shows a ladder's response; the
// window says where to draw (its chart and axes) and hands over each new
// design, and the overlay stays and is drawn again over it.

#include "analysis/ladder_model.h"
#include "measurement/deembedding.h"
#include "measurement/ladder_diagnosis.h"
#include "measurement/measured_curves.h"
#include "model/messages.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractAxis;
class QChart;
class QLabel;
class QLineSeries;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QThread;

namespace korvan::measurement::gui {

// Where the host window draws: x = (f - originHz) * xPerHz, the delay
// times delayPerS. A null chart or axis: nothing to draw on now.
struct OverlayFrame {
    QChart* chart = nullptr;
    QAbstractAxis* x = nullptr;
    QAbstractAxis* db = nullptr;
    QAbstractAxis* delay = nullptr;
    double originHz = 0, xPerHz = 1, delayPerS = 1;
};

// The design a measurement is set against.
struct OverlayDesign {
    analysis::LadderModel ladder; // as designed, each crystal with its Rm
    double centreHz = 0;          // the middle of its 3 dB band
    // The build sheet's L-C matching networks as a fixture, where it has them.
    std::optional<Fixture> buildSheetMatch;
};

class MeasurementOverlay : public QWidget {
    Q_OBJECT

  public:
    MeasurementOverlay(const QString& windowTitle, MessageSink& messages,
                       std::function<OverlayFrame()> frame, QWidget* parent = nullptr);
    ~MeasurementOverlay() override;

    // (caption, filter) -> path of a file to open, empty for cancel.
    using OpenChooser = std::function<QString(const QString&, const QString&)>;
    // (the last fixture, the build sheet's) -> the fixture, nullopt for cancel.
    using FixtureChooser =
        std::function<std::optional<Fixture>(const Fixture&, const std::optional<Fixture>&)>;
    void setOpenChooser(OpenChooser chooser) { chooseFile_ = std::move(chooser); }
    void setFixtureChooser(FixtureChooser chooser) { chooseFixture_ = std::move(chooser); }

    // A new design (nullopt: none shown); the overlay is checked against
    // it and drawn again, an earlier diagnosis is dropped.
    void setDesign(std::optional<OverlayDesign> design);
    // Draws the overlay again (the host replaced its curves or axes).
    void redraw();

    // The actions, also used by the buttons; false after a refusal.
    bool overlayFile(const QString& path, const Fixture& fixture);
    void clearOverlay();
    void diagnose();

    bool hasOverlay() const { return measurement_ != nullptr; }
    bool diagnosing() const { return worker_ != nullptr; }
    const LadderDiagnosis* diagnosis() const { return diagnosis_.get(); }
    QString statusText() const;
    QString reportText() const;
    QTableWidget* figuresTable() const { return figures_; }

  signals:
    // A diagnosis ended: done, refused or stopped.
    void diagnosisFinished();

  private:
    void overlayClicked();
    void refuse(const QString& text);
    void refreshChecks();
    void fillFigures();
    void fillReport();
    void removeCurves();
    void updateButtons();
    void diagnosisDone(std::shared_ptr<LadderDiagnosis> result, const QString& refusal,
                       unsigned generation);

    QString title_;
    MessageSink& messages_;
    std::function<OverlayFrame()> frame_;
    OpenChooser chooseFile_;
    FixtureChooser chooseFixture_;
    std::optional<OverlayDesign> design_;
    Fixture fixture_;
    QString file_;
    std::shared_ptr<const FilterMeasurement> measurement_;
    std::optional<MeasuredCurves> curves_;
    QString mismatch_; // why the measurement does not fit the design shown
    std::shared_ptr<const LadderDiagnosis> diagnosis_;
    std::vector<QPointer<QLineSeries>> series_;

    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> stop_;
    unsigned generation_ = 0; // of the design: a late diagnosis of an older one is dropped

    QPushButton* overlay_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* diagnose_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* figures_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
};

} // namespace korvan::measurement::gui
