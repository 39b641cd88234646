#include "model/gui/qt_clipboard.h"

#include "numeric/fp_check.h"

#include <QClipboard>
#include <QGuiApplication>

namespace korvan::gui {

void QtClipboard::setText(const std::string& text) {
    // Called from the export of a guarded calculation: Qt's flags are not its.
    const fp::ForeignCode qt;
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

} // namespace korvan::gui
