#include "model/gui/qt_message_sink.h"

#include "model/gui/form_binder.h"
#include "numeric/fp_check.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace korvan::gui {

namespace {

QMessageBox::StandardButton toQt(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::Yes:
        return QMessageBox::Yes;
    case MsgAnswer::No:
        return QMessageBox::No;
    case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case MsgAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons buttonsOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Stop:
        return QMessageBox::Critical;
    case MsgIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

// The box closed without a choice counts as Cancel where there is one, and
// as No for a Yes/No question, OK otherwise.
MsgAnswer escapeAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNoCancel:
        return MsgAnswer::Cancel;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::Ok:
        break;
    }
    return MsgAnswer::Ok;
}

MsgAnswer fromQt(int button, MsgButtons buttons) {
    switch (button) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    default:
        return escapeAnswer(buttons);
    }
}

QMessageBox* makeBox(const Message& m, QWidget* parent) {
    auto* box = new QMessageBox(iconOf(m.icon), QString::fromStdString(m.title),
                                toDisplayText(m.text), buttonsOf(m.buttons), parent);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(toQt(m.defaultAnswer));
    box->setEscapeButton(toQt(escapeAnswer(m.buttons)));
    return box;
}

} // namespace

MsgAnswer QtMessageSink::show(const Message& message) {
    // A box asked for inside a guarded calculation runs an event loop: other
    // windows' events and Qt itself must neither see the calculation's flags
    // nor leave theirs to it.
    const fp::ForeignCode eventLoop;
    if (deferring_ && message.buttons == MsgButtons::Ok) {
        QObject* context = parent_ ? static_cast<QObject*>(parent_.data()) : qApp;
        QTimer::singleShot(0, context, [message, parent = parent_] {
            QMessageBox* box = makeBox(message, parent.data());
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        });
        return MsgAnswer::Ok;
    }
    if (beforeShow_) beforeShow_();
    QMessageBox* box = makeBox(message, parent_.data());
    const int result = box->exec();
    delete box;
    return fromQt(result, message.buttons);
}

} // namespace korvan::gui
