#include "tools/gui/tool_window.h"

#include "model/gui/event_guard.h"
#include "model/gui/form_binder.h"
#include "tools/gui/tool_widgets.h"
#include "widgets/gui/aedit.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace korvan::tools::gui {

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

ToolWindow::ToolWindow(const char* formName, const QString& caption, QSize client,
                       MessageSink* messages, char separator, QWidget* parent,
                       Activation activation, korvan::gui::RadioFocus radios)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ownSink_(this), sink_(messages ? messages : &ownSink_), separator_(separator),
      activation_(activation), radios_(radios) {
    setObjectName(formName);
    setWindowTitle(caption);
    setFixedSize(client);
    setModal(true);
    ownSink_.setBeforeShow([this] { syncFromModel(); });
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    setFont(f);
}

ToolWindow::~ToolWindow() {
    ownSink_.setBeforeShow({});
}

void ToolWindow::bind(FormModel& model,
                      const std::function<void(korvan::gui::FormBinder&)>& addGroups) {
    model_ = &model;
    binder_ = std::make_unique<korvan::gui::FormBinder>(this);
    if (addGroups) addGroups(*binder_);
    syncFromModel();
}

int ToolWindow::openModal() {
    beforeOpening();
    activatePending_ = true;
    return exec();
}

void ToolWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activation_ == Activation::OnShow) {
        if (!event->spontaneous()) runEvent([this] { activate(); });
        return;
    }
    if (!activatePending_) return;
    activatePending_ = false;
    QTimer::singleShot(0, this, [this] { runEvent([this] { activate(); }); });
}

void ToolWindow::connectEnter(const std::function<void()>& onEnter, bool moveFocusFirst) {
    for (auto* edit : findChildren<korvan::widgets::TAEdit*>())
        connect(edit, &korvan::widgets::TAEdit::enterPressed, this,
                [this, onEnter, moveFocusFirst] {
                    if (moveFocusFirst) focusNextPrevChild(true);
                    runEvent(onEnter);
                });
}

void ToolWindow::runEvent(const std::function<void()>& event) {
    // The form reports its own errors; anything else ends here, not in Qt.
    korvan::gui::runGuarded(this, QStringLiteral("KORVAN"), [&] {
        toModel();
        event();
    });
    syncFromModel();
}

void ToolWindow::toModel() {
    if (binder_) binder_->toModel(*model_);
}

void ToolWindow::syncFromModel() {
    if (!binder_) return;
    binder_->fromModel(*model_);
    korvan::gui::applyFocusRequests(
        *model_, *binder_, *this, [this](bool next) { return focusNextPrevChild(next); }, radios_);
}

void ToolWindow::setWindowBackground(Rgb background) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(background));
    setPalette(pal);
    setAutoFillBackground(true);
}

QLabel* ToolWindow::label(QWidget* parent, const char* name, const QString& text, QRect r,
                          Rgb colour, Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    l->setAlignment(align);
    if (colour != colors::black) setColours(l, colour);
    return l;
}

QLabel* ToolWindow::result(QWidget* parent, const char* name, QRect r, Rgb colour,
                           Qt::Alignment align) {
    QLabel* l = label(parent, name, QString(), r, colour, align | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setLineWidth(1);
    setColours(l, colour, colors::white);
    return l;
}

widgets::TAEdit* ToolWindow::entry(QWidget* parent, const char* name, QRect r, Rgb colour,
                                   bool bold) {
    auto* e = new widgets::TAEdit(separator_, parent);
    e->setObjectName(name);
    e->setGeometry(r);
    if (bold) setBold(e);
    if (colour != colors::black) setColours(e, colour);
    return e;
}

QFrame* ToolWindow::panel(QWidget* parent, const char* name, QRect r, Rgb background, bool sunken) {
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

QPushButton* ToolWindow::calculateButton(QWidget* parent, QRect r) {
    auto* b = new QPushButton(QStringLiteral("Calculate"), parent);
    b->setObjectName("Button1");
    b->setGeometry(r);
    // Enter on the focused button presses it; in a field the field takes it.
    b->setAutoDefault(true);
    setBold(b);
    connect(b, &QPushButton::clicked, this, [this] { runEvent([this] { calculate(); }); });
    return b;
}

void ToolWindow::placeOverBlanks(QLabel* caption, QWidget* field, int before, int blanks) {
    const QFontMetrics metrics(caption->font());
    const QString text = caption->text();
    const int left = caption->x() + metrics.horizontalAdvance(text.left(before));
    const int width = metrics.horizontalAdvance(QString(blanks, QLatin1Char(' ')));
    field->setGeometry(left, caption->y() + (caption->height() - field->height()) / 2, width,
                       field->height());
    field->raise();
}

// The same look as the other windows' builders give.
void ToolWindow::setBold(QWidget* w, bool underline) {
    korvan::tools::gui::setBold(w, underline);
}

void ToolWindow::setColours(QWidget* w, Rgb text, std::optional<Rgb> background) {
    setTextColour(w, toQColor(text));
    if (background) setBackground(w, toQColor(*background));
}

} // namespace korvan::tools::gui
