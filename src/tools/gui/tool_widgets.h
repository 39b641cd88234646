#pragma once
// Small builders for the calculator windows' controls: each control gets its
// designed name as objectName, so the form binder and the tests find it.

#include "widgets/gui/aedit.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace korvan::tools::gui {

QColor rgb(int r, int g, int b);

void setTextColour(QWidget* w, const QColor& colour);
void setBackground(QWidget* w, const QColor& colour);
void setBold(QWidget* w, bool underline = false);

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect r,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
// Word-wrapped text in its box.
QLabel* makeText(QWidget* parent, const char* name, const QString& text, QRect r,
                 Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);
// A result: bold, centred, on white; its font colour given.
QLabel* makeResult(QWidget* parent, const char* name, QRect r, const QColor& colour);
// A numeric entry field, bold, centred text.
korvan::widgets::TAEdit* makeEntry(QWidget* parent, const char* name, char separator, QRect r);
QFrame* makePanel(QWidget* parent, const char* name, QRect r, const QColor& background);
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QRect r);

} // namespace korvan::tools::gui
