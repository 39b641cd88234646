#pragma once
// The G3UUR test circuit as a transparent schematic: Csw and the switch SW
// from the crystal's left end to ground, the crystal in the top line, the
// divider C1 / C2 at its right end, and arrows to the oscillator.

#include <QWidget>

namespace korvan::tools::gui {

class G3uurCircuit : public QWidget {
    Q_OBJECT

  public:
    explicit G3uurCircuit(QWidget* parent = nullptr);

    // Where the entry fields sit beside their capacitors (drawing coordinates).
    static QRect cswField();
    static QRect c1Field();
    static QRect c2Field();

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace korvan::tools::gui
