#pragma once
// Small circuit drawings for the calculator windows: a widget that paints
// with a given routine, and the symbols those routines are made of (wires,
// resistors, capacitors, inductors, ground), drawn as clean schematics.

#include <QPainter>
#include <QWidget>

#include <functional>

namespace korvan::gui {

class SchematicImage : public QWidget {
  public:
    SchematicImage(const char* name, QRect geometry, std::function<void(QPainter&)> draw,
                   QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::function<void(QPainter&)> draw_;
};

namespace schematic {

void wire(QPainter& p, QPointF a, QPointF b);
void dot(QPainter& p, QPointF at);
void terminal(QPainter& p, QPointF at); // open circle
// Two-terminal symbols between a and b, horizontal or vertical.
void resistor(QPainter& p, QPointF a, QPointF b);
void capacitor(QPainter& p, QPointF a, QPointF b);
void inductor(QPainter& p, QPointF a, QPointF b);
void ground(QPainter& p, QPointF top);
void text(QPainter& p, QPointF at, const QString& text, Qt::Alignment align = Qt::AlignCenter,
          const QColor& colour = Qt::black, bool bold = false, bool underline = false);

} // namespace schematic

} // namespace korvan::gui
