#pragma once
// The VNA measurement window: sweep files are read and fitted by the core's
// batch, the crystals are shown in a sortable table with a chart of the
// selected one, and "Use in design" hands a crystal (or the mean of the
// selected ones) to whoever the start-up code wired: the main window, which
// takes it as if typed there. "Design with this set…" hands the selected
// crystals themselves (a matched set, or any selection) to the ladder
// designer, again through a callback the start-up code wires.

#include "measurement/crystal_batch.h"
#include "measurement/crystal_sets.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QChart;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace korvan::gui {

// Takes the fitted crystal's field texts into the design.
using UseCrystal = std::function<void(const measurement::CrystalFieldTexts&)>;

// A selected crystal as fitted, named by its sweep file.
struct ChosenCrystal {
    std::string name;
    measurement::CrystalParameters parameters;
};
// Takes the selected crystals into a ladder design; `source` says where
// they come from ("set 1 of the VNA window").
using DesignWithCrystals =
    std::function<void(const std::vector<ChosenCrystal>& crystals, const std::string& source)>;

class VnaWindow : public QWidget {
    Q_OBJECT

  public:
    // Numbers are shown and handed over with `separator`.
    VnaWindow(char separator, UseCrystal useInDesign, QWidget* parent = nullptr,
              DesignWithCrystals designWith = {});

    // Reads and fits the files, replacing what the window showed.
    void openFiles(const QStringList& files);
    const measurement::Batch& batch() const { return batch_; }

    // The crystal handed to the design: the mean of the selected rows.
    std::vector<std::size_t> selectedCrystals() const;

  public slots:
    void openClicked();
    void useInDesignClicked();
    void designWithClicked();
    void saveTableClicked();

  private:
    void refit();
    void fillTable();
    void markSets();
    void selectionChanged();
    // The set whose members are exactly the selected rows, or -1.
    int selectedSet() const;
    void showChart(const measurement::MeasuredCrystal* crystal);

    char separator_;
    UseCrystal useCrystal_;
    DesignWithCrystals designWith_;
    QStringList files_;
    measurement::Batch batch_;
    std::vector<measurement::CrystalSet> sets_;
    QTableWidget* table_ = nullptr;
    QSpinBox* setSize_ = nullptr;
    QDoubleSpinBox* r0_ = nullptr;
    QDoubleSpinBox* cp_ = nullptr;
    QPushButton* useInDesign_ = nullptr;
    QPushButton* designWithSet_ = nullptr;
    QPushButton* saveTable_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* errors_ = nullptr;
    QLabel* setWarnings_ = nullptr;
    QChart* chart_ = nullptr;
};

// Adds "VNA Measurement..." after a separator at the end of the main
// window's "Xtal" menu (the menu named "Xtal1"); the window is made on first
// use, as a child of `mainWindow`.
// `designWith`, when given, gets the selection from "Design with this set…".
void installVnaMeasurement(QWidget& mainWindow, char separator, UseCrystal useInDesign,
                           DesignWithCrystals designWith = {});

} // namespace korvan::gui
