#include "model/gui/system_separator.h"

#include <QLocale>
#include <QString>

namespace korvan::gui {

char systemSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && (point.at(0) == u'.' || point.at(0) == u','))
        return point.at(0).toLatin1();
    return '.';
}

} // namespace korvan::gui
