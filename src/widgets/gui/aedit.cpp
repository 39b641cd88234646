#include "widgets/gui/aedit.h"

#include "widgets/keystroke_filter.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace korvan::widgets {

namespace {

Qt::Alignment toQt(TAEdit::TAlign alignment) {
    switch (alignment) {
    case TAEdit::eaLeft:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case TAEdit::eaRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case TAEdit::eaCenter:
        break;
    }
    return Qt::AlignHCenter | Qt::AlignVCenter;
}

// Editing commands are not typed characters: pasting is allowed (the
// conversion catches what it cannot read), and so are copy, cut, undo and
// select-all.
bool isEditingShortcut(QKeyEvent* event) {
    for (auto key : {QKeySequence::Paste, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Undo,
                     QKeySequence::Redo, QKeySequence::SelectAll}) {
        if (event->matches(key)) return true;
    }
    return false;
}

} // namespace

TAEdit::TAEdit(char decimalSeparator, QWidget* parent)
    : QLineEdit(parent), separator_(decimalSeparator) {
    setAlignment(toQt(alignment_));
}

void TAEdit::setTextAlignment(TAlign alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    setAlignment(toQt(alignment_));
}

void TAEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    // Keys that type nothing (arrows, Home, Delete) keep their editing role.
    if (typed.isEmpty() || event->key() == Qt::Key_Delete || isEditingShortcut(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->ignore(); // let a dialog see it
        return;
    }
    const auto codePoints = typed.toUcs4();
    if (codePoints.size() == 1) {
        typeCharacter(event, static_cast<char32_t>(codePoints.front()));
        return;
    }
    // Several characters in one event (input methods, compressed repeats):
    // filter each one against the text as it grows.
    for (const auto cp : codePoints) {
        const auto decision =
            filterKeystroke(static_cast<char32_t>(cp), text().toStdString(), separator_);
        switch (decision.action) {
        case KeyAction::Pass:
            if (cp == static_cast<uint>(kBackspace))
                backspace();
            else
                insert(QString(QChar(static_cast<char16_t>(cp))));
            break;
        case KeyAction::Replace:
            insert(QString(QChar(decision.character)));
            break;
        case KeyAction::Enter:
            emit enterPressed();
            break;
        case KeyAction::Drop:
            break;
        }
    }
    event->accept();
}

void TAEdit::typeCharacter(QKeyEvent* event, char32_t character) {
    const auto decision = filterKeystroke(character, text().toStdString(), separator_);
    switch (decision.action) {
    case KeyAction::Pass:
        QLineEdit::keyPressEvent(event);
        return;
    case KeyAction::Replace: {
        // Let the field insert the separator as if it had been typed, so that
        // a selection is replaced and undo works as usual.
        QKeyEvent replaced(event->type(), event->key(), event->modifiers(),
                           QString(QChar(decision.character)), event->isAutoRepeat(),
                           static_cast<quint16>(event->count()));
        QLineEdit::keyPressEvent(&replaced);
        event->setAccepted(replaced.isAccepted());
        return;
    }
    case KeyAction::Enter:
        event->accept();
        emit enterPressed();
        return;
    case KeyAction::Drop:
        event->accept();
        return;
    }
}

} // namespace korvan::widgets
