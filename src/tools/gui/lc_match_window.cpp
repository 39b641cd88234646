#include "tools/gui/lc_match_window.h"

#include "tools/gui/schematic.h"
#include "widgets/gui/aedit.h"

#include <QLabel>
#include <QPushButton>

namespace korvan::gui {

namespace {

constexpr Rgb kBackground{240, 240, 208};
constexpr Rgb kInputPanel{219, 255, 255};
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

// Left the low-pass section, right its high-pass equivalent, each from R1
// through the series element to R2 with the shunt element across R2.
void drawNetworks(QPainter& p) {
    using namespace schematic;
    const qreal top = 26, bottom = 74;
    const auto section = [&](qreal x0, bool lowPass) {
        const QPointF r1(x0 + 12, top), r2(x0 + 118, top);
        text(p, r1 + QPointF(0, -14), QStringLiteral("R1"), Qt::AlignCenter, Qt::black, true);
        text(p, r2 + QPointF(0, -14), QStringLiteral("R2"), Qt::AlignCenter, Qt::black, true);
        terminal(p, r1);
        terminal(p, r2);
        const QPointF a = r1 + QPointF(4, 0), b(x0 + 72, top), node(x0 + 90, top);
        if (lowPass)
            inductor(p, a, b);
        else
            capacitor(p, a, b);
        text(p, QPointF((a.x() + b.x()) / 2, top + 14),
             lowPass ? QStringLiteral("Lser") : QStringLiteral("Cser"));
        wire(p, b, r2 - QPointF(3, 0));
        dot(p, node);
        const QPointF foot(node.x(), bottom - 8);
        if (lowPass)
            capacitor(p, node, foot);
        else
            inductor(p, node, foot);
        text(p, QPointF(node.x() + 8, (top + bottom) / 2 - 2),
             lowPass ? QStringLiteral("Cpar") : QStringLiteral("Lpar"), Qt::AlignLeft);
        ground(p, foot);
    };
    section(0, true);
    text(p, QPointF(162, 34), QStringLiteral("equivalent >>"), Qt::AlignCenter, Qt::red, false,
         true);
    section(196, false);
}

} // namespace

LcMatchWindow::LcMatchWindow(const FormModel& mainModel, QWidget* mainWindow, MessageSink& messages,
                             char separator)
    : ToolWindow("TForm5", QString::fromUtf8(tools::kLcMatchCaption), {380, 270}, &messages,
                 separator, mainWindow, Activation::OnShow, RadioFocus::GroupIsOneStop),
      form_(messages, separator, mainModel) {
    setWindowBackground(kBackground);
    buildControls();
    bind(form_.form());
    connectEnter([this] { calculate(); }, true);
    move(200, 111); // the first place; later where the user left it
}

void LcMatchWindow::buildControls() {
    QFrame* notes = panel(this, "Panel2", {4, 4, 372, 50}, colors::white);
    QLabel* intro = label(notes, "Label13",
                          QStringLiteral("This routine allows the calculation of LC matching "
                                         "networks                         for purely resistive "
                                         "terminations"),
                          {6, 2, 360, 30}, colors::blue, Qt::AlignLeft | Qt::AlignTop);
    intro->setWordWrap(true);
    QLabel* rule =
        label(notes, "Label14", QStringLiteral("Please Note:  R1 must always be smaller than  R2"),
              {6, 32, 360, 14}, colors::red);
    setBold(rule);

    QFrame* in = panel(this, "Panel1", {4, 58, 372, 54}, kInputPanel);
    label(in, "Label1", QStringLiteral("Frequency [kHz]"), {8, 4, 100, 14});
    widgets::TAEdit* f = entry(in, "AEdit1", {8, 22, 96, 21}, colors::black, false);
    label(in, "Label2", QStringLiteral("R1 [Ohm]"), {118, 4, 70, 14}, colors::blue);
    widgets::TAEdit* r1 = entry(in, "AEdit2", {118, 22, 66, 21}, colors::black, false);
    QLabel* less = label(in, "Label4", QStringLiteral("<<"), {190, 24, 20, 16}, colors::black,
                         Qt::AlignCenter);
    setBold(less);
    label(in, "Label3", QStringLiteral("R2 [Ohm]"), {216, 4, 70, 14}, colors::blue);
    widgets::TAEdit* r2 = entry(in, "AEdit3", {216, 22, 66, 21}, colors::black, false);
    QPushButton* calc = calculateButton(in, {296, 12, 70, 30});

    new SchematicImage("Image1", {30, 116, 320, 90}, drawNetworks, this);

    const auto row = [&](const char* caption, const char* text, const char* value, int x, int y) {
        label(this, caption, QString::fromUtf8(text), {x, y + 2, 80, 16});
        result(this, value, {x + 82, y, 86, 20}, colors::blue, kRight);
    };
    row("Label9", "Lseries  [µH]", "Label5", 12, 214);
    row("Label10", "Cparallel [pF]", "Label6", 12, 240);
    row("Label12", "Cseries   [pF]", "Label7", 204, 214);
    row("Label11", "Lparallel [µH]", "Label8", 204, 240);

    QWidget::setTabOrder(f, r1);
    QWidget::setTabOrder(r1, r2);
    QWidget::setTabOrder(r2, calc);
}

} // namespace korvan::gui
