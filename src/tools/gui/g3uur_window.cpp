#include "tools/gui/g3uur_window.h"

#include "tools/gui/g3uur_circuit.h"
#include "tools/gui/tool_widgets.h"

namespace korvan::tools::gui {

namespace {

const QColor kMaroon(128, 0, 0);
const QColor kRedText(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kNavy(0, 0, 128);

} // namespace

G3uurWindow::G3uurWindow(char decimalSeparator, MessageSink* messages, QWidget* parent)
    : ToolWindow("TForm6", kG3uurCaption, {474, 335}, messages, decimalSeparator, parent),
      form_(this->messages(), decimalSeparator) {
    setBackground(this, rgb(224, 255, 255));
    buildControls(decimalSeparator);
    bind(form_.form());
    move(200, 111);

    // Enter moves the focus, then clicks the button.
    auto* button = findChild<QPushButton*>("Button1");
    connectEnter([this, button] {
        form_.form().requestFocus(FocusMove::Next);
        syncFromModel();
        button->click();
    });
    connect(button, &QPushButton::clicked, this, [this] { runEvent([this] { calculate(); }); });
}

void G3uurWindow::buildControls(char sep) {
    QFrame* notes = makePanel(this, "Panel1", {4, 4, 466, 92}, rgb(255, 250, 250));
    const struct {
        const char* name;
        const char* text;
        QColor colour;
    } texts[] = {
        {"Label1",
         "This program uses the oscillator method of G3UUR to characterize the basic  xtal "
         "parameters  motional inductance <Lm> and capacitance <Cm>.",
         kMaroon},
        {"Label13",
         "The feedback divider caps C1 and C2 should not be neglected because they influence "
         "the effective frequencies and the crystal parameters somewhat.",
         kRedText},
        {"Label14",
         "If this is not desired or if a different oscillator circuit is used, these caps can "
         "be individually \"shorted-out\" by setting their values to zero pF.",
         kBlue},
    };
    int y = 3;
    for (const auto& t : texts) {
        setTextColour(makeText(notes, t.name, t.text, {6, y, 454, 28}), t.colour);
        y += 29;
    }

    makeLabel(this, "Label5", "Holder capacitance", {12, 103, 106, 21});
    auto* holder = makeEntry(this, "AEdit2", sep, {120, 103, 46, 21});
    setTextColour(holder, kMaroon);
    holder->setFocusPolicy(Qt::ClickFocus);
    makeLabel(this, "Label6", "pF", {170, 103, 20, 21});

    auto* circuit = new G3uurCircuit(this);
    const QPoint origin(12, 128);
    circuit->move(origin);
    auto* csw = makeEntry(this, "AEdit1", sep, G3uurCircuit::cswField().translated(origin));
    setTextColour(csw, kBlue);
    csw->setFocusPolicy(Qt::ClickFocus);
    auto* c1 = makeEntry(this, "AEdit5", sep, G3uurCircuit::c1Field().translated(origin));
    setTextColour(c1, kRedText);
    auto* c2 = makeEntry(this, "AEdit6", sep, G3uurCircuit::c2Field().translated(origin));
    setTextColour(c2, kRedText);
    // The units stand under the fields, clear of the drawing's lines.
    makeLabel(this, "Label11", "pF", QRect(c1->x(), c1->y() + 20, c1->width(), 14),
              Qt::AlignCenter);
    makeLabel(this, "Label12", "pF", QRect(c2->x(), c2->y() + 20, c2->width(), 14),
              Qt::AlignCenter);

    QLabel* heading = makeLabel(this, "Label2", "Xtal oscillation frequencies", {240, 112, 228, 18},
                                Qt::AlignCenter);
    setTextColour(heading, kBlue);
    setBold(heading);
    auto* closed = makeEntry(this, "AEdit4", sep, {252, 140, 84, 21});
    setTextColour(closed, kBlue);
    QLabel* closedLabel = makeLabel(this, "Label4", "kHz   SW CLOSED", {342, 140, 126, 21});
    auto* open = makeEntry(this, "AEdit3", sep, {252, 172, 84, 21});
    setTextColour(open, kBlue);
    QLabel* openLabel = makeLabel(this, "Label3", "kHz   SW OPEN", {342, 172, 126, 21});
    for (QLabel* l : {closedLabel, openLabel}) {
        setTextColour(l, kBlue);
        setBold(l, true);
    }

    auto* button = makeButton(this, "Button1", "Calculate", {300, 212, 110, 30});

    QFrame* results =
        makePanel(this, "Panel2", {4, 264, 466, 67}, palette().color(QPalette::Window));
    const struct {
        const char* name;
        const char* captionName;
        const char* caption;
        int x;
    } rows[] = {{"Label7", "Label9", "Xtal ind. Lm [mH]", 14},
                {"Label8", "Label10", "Xtal cap. Cm [fF]", 166},
                {"Label15", "Label16", "Xtal series freq. fs [kHz]", 318}};
    for (const auto& r : rows) {
        makeResult(results, r.name, {r.x, 8, 134, 22}, kRedText);
        QLabel* c = makeText(results, r.captionName, r.caption, {r.x - 6, 34, 146, 28},
                             Qt::AlignHCenter | Qt::AlignTop);
        setTextColour(c, kNavy);
        setBold(c);
    }

    setTabOrder(button, closed);
    setTabOrder(closed, open);
    setTabOrder(open, c1);
    setTabOrder(c1, c2);
}

} // namespace korvan::tools::gui
