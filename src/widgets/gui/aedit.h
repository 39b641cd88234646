#pragma once
// The numeric entry field of every window: a one-line edit with a horizontal
// text alignment (centred unless told otherwise) whose typed characters go
// through the keystroke filter. Enter is swallowed and reported, so that each
// window decides the order of its calculation and the focus move.

#include <QLineEdit>

namespace korvan::widgets {

class TAEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(TAlign Alignment READ textAlignment WRITE setTextAlignment)

  public:
    enum TAlign : unsigned char { eaLeft, eaCenter, eaRight };
    Q_ENUM(TAlign)

    explicit TAEdit(char decimalSeparator, QWidget* parent = nullptr);

    TAlign textAlignment() const { return alignment_; }
    // A new value restyles the field at once; the same value does nothing.
    void setTextAlignment(TAlign alignment);

    char decimalSeparator() const { return separator_; }
    void setDecimalSeparator(char separator) { separator_ = separator; }

  signals:
    // Enter was typed; the character itself is dropped.
    void enterPressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void typeCharacter(QKeyEvent* event, char32_t character);

    TAlign alignment_ = eaCenter;
    char separator_;
};

} // namespace korvan::widgets
