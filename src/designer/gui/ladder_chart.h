#pragma once
// The ladder designer's response chart: S21 of the ideal ladder and of the
// one with standard values, and their group delay, over f - f0. Every curve
// goes through here, so others (a measured filter, say) can be laid over
// the design in the same frame.

#include "designer/ladder_views.h"

#include <QChartView>

#include <vector>

class QLineSeries;
class QValueAxis;

namespace korvan::designer::gui {

class LadderChart : public QChartView {
    Q_OBJECT

  public:
    explicit LadderChart(QWidget* parent = nullptr);

    // Replaces what the chart shows by a design's curves around centreHz.
    void showDesign(const LadderCurves& curves, double centreHz, const QString& standardName);
    // Lays one more S21 curve [dB] over the design shown, in its frame.
    QLineSeries* addS21Curve(const QString& name, const std::vector<double>& fHz,
                             const std::vector<double>& s21Db, const QPen& pen);
    // No design: the message as the title.
    void clear(const QString& message);

    double centreHz() const { return centreHz_; }
    // The axes of the design shown (null without one), for curves laid
    // over it: x is f - centreHz() [Hz], S21 [dB], group delay [us].
    QValueAxis* frequencyAxis() const { return x_; }
    QValueAxis* dbAxis() const { return db_; }
    QValueAxis* delayAxis() const { return delay_; }

  private:
    QLineSeries* addCurve(const QString& name, const std::vector<double>& fHz,
                          const std::vector<double>& values, double scale, const QPen& pen,
                          QValueAxis* y);
    void fitDbAxis();

    double centreHz_ = 0;
    QValueAxis* x_ = nullptr;
    QValueAxis* db_ = nullptr;
    QValueAxis* delay_ = nullptr;
};

} // namespace korvan::designer::gui
