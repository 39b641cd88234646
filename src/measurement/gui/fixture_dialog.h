#pragma once
// "Fixture": what sits between each analyser port and the built filter
// (nothing, a series pad, an ideal transformer, an L-C matching section),
// asked before a measurement is laid over a design.

#include "measurement/deembedding.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace korvan::measurement::gui {

class FixtureDialog : public QDialog {
    Q_OBJECT

  public:
    // `buildSheet`: the build sheet's matching networks, offered as a
    // choice where the design has them.
    FixtureDialog(const Fixture& current, const std::optional<Fixture>& buildSheet,
                  QWidget* parent = nullptr);

    Fixture fixture() const;
    void setFixture(const Fixture& fixture);

  private:
    struct PortRow {
        QComboBox* kind = nullptr;
        QDoubleSpinBox* a = nullptr;
        QDoubleSpinBox* b = nullptr;
        QLabel* aUnit = nullptr;
        QLabel* bUnit = nullptr;
    };
    void kindChanged(PortRow& row);
    PortFixture portFixture(const PortRow& row) const;
    void setPort(PortRow& row, const PortFixture& p);
    void accepting();

    PortRow port1_, port2_;
    QLabel* problem_ = nullptr;
};

} // namespace korvan::measurement::gui
