#include "tools/gui/calculator_dialog.h"

#include "model/gui/form_binder.h"
#include "widgets/gui/aedit.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace korvan::gui {

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

CalculatorDialog::CalculatorDialog(const char* formName, const char* caption, QSize client,
                                   Rgb background, char separator, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      separator_(separator) {
    setObjectName(formName);
    setWindowTitle(QString::fromUtf8(caption));
    setFixedSize(client);
    setModal(true);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(background));
    setPalette(pal);
    setAutoFillBackground(true);
}

CalculatorDialog::~CalculatorDialog() = default;

void CalculatorDialog::bindControls(const std::function<void(FormBinder&)>& addGroups) {
    binder_ = std::make_unique<FormBinder>(this);
    if (addGroups) addGroups(*binder_);
    for (auto* edit : findChildren<widgets::TAEdit*>()) {
        connect(edit, &widgets::TAEdit::enterPressed, this, [this] {
            // The focus moves first, so that a field's exit action runs before
            // the calculation, and the calculation's own focus change wins.
            focusNextPrevChild(true);
            runEvent([this] { calculate(); });
        });
    }
    syncFromModel();
}

int CalculatorDialog::openModal() {
    beforeOpening();
    return exec();
}

void CalculatorDialog::runEvent(const std::function<void()>& event) {
    binder_->toModel(model());
    ++eventDepth_;
    event();
    --eventDepth_;
    syncFromModel();
}

void CalculatorDialog::syncFromModel() {
    binder_->fromModel(model());
    applyFocusRequests();
}

void CalculatorDialog::applyFocusRequests() {
    for (const FocusRequest& request : model().takeFocusRequests()) {
        switch (request.move) {
        case FocusMove::Next:
            // A radio group is one control: "next" leaves the group.
            if (auto* radio = qobject_cast<QRadioButton*>(focusWidget())) {
                const auto items = radio->parentWidget()->findChildren<QRadioButton*>();
                if (!items.isEmpty()) items.back()->setFocus(Qt::TabFocusReason);
            }
            focusNextPrevChild(true);
            break;
        case FocusMove::Previous:
            focusNextPrevChild(false);
            break;
        case FocusMove::Control:
            if (auto* w = qobject_cast<QWidget*>(
                    binder_->object(QString::fromStdString(request.control))))
                w->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

void CalculatorDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) runEvent([this] { activated(); });
}

QLabel* CalculatorDialog::label(QWidget* parent, const char* name, const QString& text, QRect r,
                                Rgb colour, Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    l->setAlignment(align);
    if (colour != colors::black) setColours(l, colour);
    return l;
}

QLabel* CalculatorDialog::result(QWidget* parent, const char* name, QRect r, Rgb colour,
                                 Qt::Alignment align) {
    QLabel* l = label(parent, name, QString(), r, colour, align | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setLineWidth(1);
    setColours(l, colour, colors::white);
    return l;
}

widgets::TAEdit* CalculatorDialog::entry(QWidget* parent, const char* name, QRect r, Rgb colour,
                                         bool bold) {
    auto* e = new widgets::TAEdit(separator_, parent);
    e->setObjectName(name);
    e->setGeometry(r);
    if (bold) setBold(e);
    if (colour != colors::black) setColours(e, colour);
    return e;
}

QFrame* CalculatorDialog::panel(QWidget* parent, const char* name, QRect r, Rgb background,
                                bool sunken) {
    auto* p = new QFrame(parent);
    p->setObjectName(name);
    p->setGeometry(r);
    p->setFrameStyle(QFrame::Panel | (sunken ? QFrame::Sunken : QFrame::Raised));
    p->setLineWidth(1);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, toQColor(background));
    p->setPalette(pal);
    p->setAutoFillBackground(true);
    return p;
}

QPushButton* CalculatorDialog::calculateButton(QWidget* parent, QRect r) {
    auto* b = new QPushButton(QStringLiteral("Calculate"), parent);
    b->setObjectName("Button1");
    b->setGeometry(r);
    // Enter on the focused button presses it; in a field the field takes it.
    b->setAutoDefault(true);
    setBold(b);
    connect(b, &QPushButton::clicked, this, [this] { runEvent([this] { calculate(); }); });
    return b;
}

void CalculatorDialog::placeOverBlanks(QLabel* caption, QWidget* field, int before, int blanks) {
    const QFontMetrics metrics(caption->font());
    const QString text = caption->text();
    const int left = caption->x() + metrics.horizontalAdvance(text.left(before));
    const int width = metrics.horizontalAdvance(QString(blanks, QLatin1Char(' ')));
    field->setGeometry(left, caption->y() + (caption->height() - field->height()) / 2, width,
                       field->height());
    field->raise();
}

void CalculatorDialog::setBold(QWidget* w, bool underline) {
    QFont f = w->font();
    f.setBold(true);
    f.setUnderline(underline);
    w->setFont(f);
}

void CalculatorDialog::setColours(QWidget* w, Rgb text, std::optional<Rgb> background) {
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(group, role, toQColor(text));
    if (background) {
        pal.setColor(QPalette::Window, toQColor(*background));
        pal.setColor(QPalette::Base, toQColor(*background));
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}

} // namespace korvan::gui
