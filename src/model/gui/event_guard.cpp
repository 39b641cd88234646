#include "model/gui/event_guard.h"

#include "model/messages.h"
#include "numeric/fp_check.h"

#include <QEvent>
#include <QMessageBox>
#include <QSet>
#include <QTimer>

#include <exception>

namespace korvan::gui {

namespace {

bool boxOpen = false;
// A paint that fails fails again at every repaint: each text is shown once.
QSet<QString> paintFailuresShown;

QString failureText(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return QString::fromStdString(errorReport(e.what()).text);
    } catch (...) {
        return QStringLiteral("An unknown error ended the action.");
    }
}

} // namespace

void reportFailure(QWidget* parent, const QString& title, const QString& text) noexcept {
    try {
        qWarning("korvan: %s: %s", qUtf8Printable(title), qUtf8Printable(text));
        if (boxOpen) return;
        boxOpen = true;
        // The box's event loop is not the failed handler's calculation.
        const fp::ForeignCode eventLoop;
        QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
        box.setObjectName("FailureBox");
        box.setTextFormat(Qt::PlainText);
        box.exec();
        boxOpen = false;
    } catch (...) {
        boxOpen = false;
    }
}

bool runGuarded(QWidget* parent, const QString& title, const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (...) {
        reportFailure(parent, title, failureText(std::current_exception()));
        return false;
    }
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ++failures_;
        const QString text = failureText(std::current_exception());
        QWidget* parent = activeWindow();
        // A box cannot open inside a paint (nor should a paint wait for it).
        if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest) {
            qWarning("korvan: %s", qUtf8Printable(text));
            if (paintFailuresShown.contains(text)) return false;
            paintFailuresShown.insert(text);
            QTimer::singleShot(0, this, [parent = QPointer<QWidget>(parent), text] {
                reportFailure(parent.data(), QStringLiteral("KORVAN"), text);
            });
        } else {
            reportFailure(parent, QStringLiteral("KORVAN"), text);
        }
        return false;
    }
}

} // namespace korvan::gui
