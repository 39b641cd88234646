#include "model/gui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace korvan::gui {

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

} // namespace korvan::gui
