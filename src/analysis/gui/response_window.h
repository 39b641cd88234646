#pragma once
// The designed ladder's complex response in depth: S21 and S11 in dB and
// the group delay on its own axis, over a span and point count of the
// user's, with a mouse read-out, drag zoom, the exact figures and the
// Touchstone, CSV and picture exports. It follows the outcomes of the main
// window's calculations while it is shown.

#include "analysis/outcome_feed.h"
#include "analysis/response_sweep.h"
#include "model/messages.h"

#include <QWidget>

#include <functional>
#include <optional>

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QSpinBox;
class QMenu;
class QTableWidget;
class QValueAxis;

namespace korvan::measurement::gui {
class MeasurementOverlay;
}

namespace korvan::analysis::gui {

class ResponseWindow : public QWidget {
    Q_OBJECT

  public:
    // Shows the feed's current outcome and follows the feed while shown.
    ResponseWindow(OutcomeFeed& outcomes, MessageSink& messages, QWidget* parent = nullptr);

    // Asks for a file name to save to: (caption, filter, suggested name) ->
    // path, empty for cancel. A file dialog unless a test sets its own.
    using FileChooser = std::function<QString(const QString&, const QString&, const QString&)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // Recomputes for the feed's current outcome (the design, and the span
    // when it follows the main plot).
    void designChanged();

    // The exports, also used by the buttons; false after a reported failure.
    bool saveTouchstone(const QString& path);
    bool saveCsv(const QString& path);
    bool savePicture(const QString& path); // PNG, or SVG by the ".svg" suffix
    // The ladder as an ngspice deck over the shown span and reference.
    bool saveNgspice(const QString& path);

    const ComplexResponse& response() const { return response_; }
    QChart* chart() const { return chart_; }
    // "Overlay measurement…", "Clear overlay", "Diagnose" and their figures.
    measurement::gui::MeasurementOverlay& overlay() const { return *overlay_; }
    // The read-out for the point nearest to f [Hz].
    QString readoutAt(double fHz) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void recompute();
    void fillChart();
    void fillTable();
    void resetZoom();
    void report(const std::string& text);
    std::optional<SweepSpan> chosenSpan();
    PortReference chosenReference() const;

    OutcomeFeed& outcomes_;
    OutcomeFeed::Subscription following_;
    MessageSink& messages_;
    FileChooser chooseFile_;
    OutcomePtr outcome_; // null: the design stopped
    ComplexResponse response_;
    SweepSpan span_;

    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QLineSeries* s21_ = nullptr;
    QLineSeries* s11_ = nullptr;
    QLineSeries* delay_ = nullptr;
    QValueAxis* axisF_ = nullptr;
    QValueAxis* axisDb_ = nullptr;
    QValueAxis* axisDelay_ = nullptr;
    QDoubleSpinBox* start_ = nullptr;
    QDoubleSpinBox* stop_ = nullptr;
    QSpinBox* points_ = nullptr;
    QCheckBox* follow_ = nullptr;
    QLineEdit* reference_ = nullptr;
    QComboBox* format_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* tableCaption_ = nullptr;
    QLabel* notes_ = nullptr;
    measurement::gui::MeasurementOverlay* overlay_ = nullptr;
};

// Adds "Response details…" to `menu` (the main window's plot context menu);
// the window is made on first use, as a child of `mainWindow`, and follows
// `outcomes` from then on.
void installResponseWindow(QWidget& mainWindow, QMenu& menu, OutcomeFeed& outcomes,
                           MessageSink& messages);

} // namespace korvan::analysis::gui
