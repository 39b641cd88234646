#pragma once
// "Prototype coefficients": the q and k of every solution of a response
// family, lossless or predistorted for resonators of a given qo, in a
// table; the chosen solution's normalised S21 and group delay in charts,
// lossless and with the lossy resonators, so that a family can be seen
// before a filter is designed with it. Everything is computed by the
// prototype core; the window only reads its inputs and shows the outcome.

#include "prototype/prototype.h"

#include <QWidget>

class QAction;
class QChart;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineSeries;
class QMenu;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QValueAxis;

namespace korvan::prototype::gui {

class PrototypeWindow : public QWidget {
    Q_OBJECT

  public:
    // separator: the decimal separator numbers are shown and copied with.
    explicit PrototypeWindow(char separator, QWidget* parent = nullptr);

    // The outcome shown; empty solutions after a refused input.
    const Prototype& prototype() const { return prototype_; }
    // The table as tab-separated lines, as "Copy table" puts it on the
    // clipboard.
    QString tableText() const;

  public slots:
    void recompute();
    void copyTable();

  private:
    void fillTable();
    void drawChosen();
    void showRefusal(const QString& text);
    QString number(double value, int decimals = 6) const;

    char separator_;
    Prototype prototype_;
    CoupledResonatorCoefficients losslessChosen_; // the family's lossless ladder
    QComboBox* family_ = nullptr;
    QSpinBox* poles_ = nullptr;
    QDoubleSpinBox* ripple_ = nullptr;
    QCheckBox* lossy_ = nullptr;
    QDoubleSpinBox* qo_ = nullptr;
    QLabel* qoMin_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* copy_ = nullptr;
    QChart* s21Chart_ = nullptr;
    QChart* delayChart_ = nullptr;
    QValueAxis* delayAxis_ = nullptr;
    // lossless resonators, resonators of qo, and the lossless design's
    // ladder with resonators of qo
    QLineSeries* s21Series_[3] = {};
    QLineSeries* delaySeries_[3] = {};
};

// Adds "Prototype coefficients…" at the end of the menu; the window is made
// on first use, as a child window of parent.
QAction* installPrototypeWindow(QMenu* menu, QWidget* parent, char separator);

} // namespace korvan::prototype::gui
