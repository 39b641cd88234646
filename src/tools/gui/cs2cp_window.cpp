#include "tools/gui/cs2cp_window.h"

#include "tools/gui/schematic.h"
#include "widgets/gui/aedit.h"

#include <QLabel>
#include <QPushButton>

namespace korvan::gui {

namespace {

constexpr Rgb kBackground{224, 255, 255};
constexpr int kClientWidth = 370;
constexpr int kOpenHeight = 215;

// Left the series termination (R from ground, then C in series up to the
// filter), right the parallel one (R and C side by side from one top line).
void drawTerminations(QPainter& p) {
    using namespace schematic;
    const qreal top = 12, bottom = 72;
    const QPointF in(28, top);
    terminal(p, in);
    capacitor(p, in + QPointF(0, 3), QPointF(28, 38));
    text(p, QPointF(40, 26), QStringLiteral("Cs"), Qt::AlignLeft);
    resistor(p, QPointF(28, 38), QPointF(28, bottom));
    text(p, QPointF(40, 56), QStringLiteral("Rs"), Qt::AlignLeft);
    ground(p, QPointF(28, bottom));

    const qreal left = 274, right = 316;
    terminal(p, QPointF(left - 14, top));
    wire(p, QPointF(left - 11, top), QPointF(right, top));
    dot(p, QPointF(left, top));
    resistor(p, QPointF(left, top), QPointF(left, bottom));
    text(p, QPointF(left + 8, 44), QStringLiteral("Rp"), Qt::AlignLeft);
    ground(p, QPointF(left, bottom));
    capacitor(p, QPointF(right, top), QPointF(right, bottom));
    text(p, QPointF(right + 10, 44), QStringLiteral("Cp"), Qt::AlignLeft);
    ground(p, QPointF(right, bottom));
}

} // namespace

Cs2CpWindow::Cs2CpWindow(const FormModel& mainModel, QWidget* mainWindow, MessageSink& messages,
                         char separator)
    : ToolWindow("TForm8", QString::fromUtf8(tools::kCs2CpCaption), {kClientWidth, kOpenHeight},
                 &messages, separator, mainWindow, Activation::OnShow, RadioFocus::GroupIsOneStop),
      form_(messages, separator, mainModel) {
    setWindowBackground(kBackground);
    buildControls();
    bind(form_.form());
    connectEnter([this] { calculate(); }, true);
    move(200, 110); // the first place; later where the user left it
}

void Cs2CpWindow::buildControls() {
    QLabel* intro = label(this, "Label11",
                          QStringLiteral(" Calculates the values of the termination resistance "
                                         "and parallel termination   capacitance from the "
                                         "initial series capacitance Cs + termination resistance "
                                         "  Rs for a  ladder filter.            .              "
                                         "                          "),
                          {4, 4, 362, 44}, colors::maroon, Qt::AlignLeft | Qt::AlignTop);
    intro->setWordWrap(true);
    setColours(intro, colors::maroon, colors::white);

    label(this, "Label7", QStringLiteral("Frequency"), {92, 56, 64, 18});
    widgets::TAEdit* f = entry(this, "AEdit3", {158, 54, 84, 21}, colors::green, true);
    label(this, "Label8", QStringLiteral("kHz"), {246, 56, 30, 18});

    // The drawing lies behind the value rows.
    new SchematicImage("Image1", {10, 80, 350, 90}, drawTerminations, this);

    label(this, "Label3", QStringLiteral("Cs [pF]"), {70, 84, 70, 14});
    widgets::TAEdit* cs = entry(this, "AEdit1", {70, 99, 70, 21}, colors::black, true);
    label(this, "Label4", QStringLiteral("Rs [Ohm)"), {70, 126, 70, 14});
    widgets::TAEdit* rs = entry(this, "AEdit2", {70, 141, 70, 21}, colors::black, true);
    for (const auto& [name, y] : {std::pair{"Label9", 101}, std::pair{"Label10", 143}}) {
        QLabel* arrow = label(this, name, QStringLiteral("---->"), {146, y, 40, 16});
        setBold(arrow);
    }
    label(this, "Label5", QStringLiteral("Cp (pF)"), {192, 84, 70, 14});
    QLabel* cp = result(this, "Label1", {192, 99, 70, 21}, colors::red, Qt::AlignCenter);
    setBold(cp);
    label(this, "Label6", QStringLiteral("Rp (Ohm)"), {192, 126, 70, 14});
    QLabel* rp = result(this, "Label2", {192, 141, 70, 21}, colors::red, Qt::AlignCenter);
    setBold(rp);

    QPushButton* calc = calculateButton(this, {150, 178, 72, 28});
    credit_ = label(this, "Label12", QStringLiteral("qx0zz"), {300, kOpenHeight - 17, 64, 14},
                    colors::red, Qt::AlignRight | Qt::AlignVCenter);

    QWidget::setTabOrder(cs, rs);
    QWidget::setTabOrder(rs, calc);
    QWidget::setTabOrder(calc, f);
}

void Cs2CpWindow::activate() {
    setFixedSize(kClientWidth, kOpenHeight);
    form_.formActivate();
    credit_->move(credit_->x(), height() - 17);
}

} // namespace korvan::gui
