#pragma once
// The plot area PaintBox1: dotted grid, centre line, the S21/S11/VSWR traces
// of the last sweep, the ultimate-attenuation line and the mouse cursor line.
// A full paint first asks its owner to re-run the sweep; a paint caused only
// by the cursor moving reuses the picture of the last full paint.

#include "model/design_state.h"
#include "response/gui/plot_geometry.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace korvan::response {

struct PlotData {
    const DesignState* state = nullptr;
    bool showS11 = false;
    bool showVswr = false;
};

// Draws grid, traces and the attenuation line into a (kPlotW + 1) square area.
void drawPlot(QPainter& painter, const PlotData& data);

// Row of a loss in dB, and of a VSWR, in the current scale.
int lossRow(double lossDb, bool scale10dB);
int vswrRow(double vswr);

class PlotView : public QWidget {
    Q_OBJECT

  public:
    explicit PlotView(QWidget* parent = nullptr);

    // Called at each full paint: re-run the sweep, return what to draw.
    void setRepaintHandler(std::function<PlotData()> handler) { repaint_ = std::move(handler); }

    // The design state changed: the next paint is a full one.
    void invalidate();
    // Only the cursor column (DesignState::CursorX) changed.
    void cursorMoved();

  signals:
    void mouseMovedAt(int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    std::function<PlotData()> repaint_;
    PlotData last_;
    QImage picture_;
    bool fullPaint_ = true;
};

} // namespace korvan::response
