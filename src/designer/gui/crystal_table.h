#pragma once
// The ladder designer's crystal table: one measured crystal per row (its
// name, fs, Lm, Rm, Cp and the Qu they give), edited in place. Cells are
// read with the decimal separator (or '.'); a cell that cannot be read is
// marked and named when the crystals are asked for.

#include "designer/named_crystal.h"

#include <QTableWidget>

#include <string>
#include <vector>

namespace korvan::designer::gui {

class CrystalTable : public QTableWidget {
    Q_OBJECT

  public:
    enum Column { Name, Fs, Lm, Rm, Cp, Qu, ColumnCount };

    explicit CrystalTable(char separator, QWidget* parent = nullptr);

    void setCrystals(const std::vector<NamedCrystal>& crystals);
    // The crystals in the table's order; every cell that cannot be read or
    // a crystal that cannot be used goes into `problems` ("row 3: Lm ...").
    std::vector<NamedCrystal> crystals(std::vector<std::string>& problems) const;

    // A new row like the last one (or a typical crystal), named "new N".
    void addCrystal();
    // Removes the selected rows; false when none was selected.
    bool removeSelected();

  signals:
    void crystalsEdited();

  private:
    void setRow(int row, const NamedCrystal& crystal);
    void cellEdited(int row, int column);
    // Marks unreadable cells and shows the row's Qu.
    void refreshRow(int row);
    std::optional<double> cellValue(int row, int column) const;
    QString number(double value, int decimals) const;
    void fitColumns();

    char separator_;
    bool filling_ = false;
};

} // namespace korvan::designer::gui
