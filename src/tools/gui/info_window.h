#pragma once
// The Info window: what the program is for and its credit lines, on a
// vertical colour gradient that is repainted over the whole client area.

#include "model/design_state.h"

#include <QDialog>
#include <QPainter>

namespace korvan::tools::gui {

// Fills `rect` with the gradient from `top` to `bottom`, one strip per row.
void paintGradient(QPainter& painter, Rgb top, Rgb bottom, const QRect& rect);

class InfoWindow : public QDialog {
    Q_OBJECT

  public:
    explicit InfoWindow(QWidget* parent = nullptr);

    void openModal() { exec(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace korvan::tools::gui
