#include "tools/gui/xtal3db_window.h"

#include "tools/gui/tool_widgets.h"

#include <QCheckBox>
#include <QRadioButton>

namespace korvan::tools::gui {

namespace {

const QColor kNavy(0, 0, 128);
const QColor kGreenText(0, 128, 0);
const QColor kRedText(255, 0, 0);

} // namespace

Xtal3dbWindow::Xtal3dbWindow(char decimalSeparator, MessageSink* messages, QWidget* parent)
    : ToolWindow("TForm4", kXtal3dbCaption, {446, 263}, messages, decimalSeparator, parent),
      form_(this->messages(), decimalSeparator) {
    setBackground(this, rgb(240, 240, 229));
    buildControls(decimalSeparator);
    bind(form_.form());
    move(200, 111);

    connectEnter([this] { form_.editReturnPressed(); });
    connect(findChild<QPushButton*>("Button1"), &QPushButton::clicked, this,
            [this] { runEvent([this] { calculate(); }); });
    for (int button = 1; button <= 2; ++button)
        connect(findChild<QRadioButton*>(QStringLiteral("RadioButton%1").arg(button)),
                &QRadioButton::clicked, this, [this, button] { radioButtonClicked(button); });
    connect(findChild<QCheckBox*>("CheckBox1"), &QCheckBox::clicked, this,
            [this](bool on) { runEvent([this, on] { form_.checkBox1Clicked(on); }); });
}

// Only a click that selects the button is a click of it.
void Xtal3dbWindow::radioButtonClicked(int button) {
    const ControlState* state = form_.form().find("RadioButton" + std::to_string(button));
    if (state && state->checked) return;
    runEvent([this, button] { form_.radioButtonClicked(button); });
}

void Xtal3dbWindow::buildControls(char sep) {
    QLabel* intro = makeText(
        this, "Label16",
        "This small program allows an easy calculation of the crystal parameters, based on the "
        "values measured with a passive test set, using a precision signal generator and "
        "detector or a network analyzer.\n      -----------     It assumes that the \"3-db\" "
        "method is used.    ----------- ",
        {4, 3, 438, 56});
    setTextColour(intro, kNavy);
    setBackground(intro, rgb(248, 248, 229));

    QFrame* measured = makePanel(this, "Panel1", {4, 62, 238, 197}, rgb(221, 255, 255));
    QLabel* heading =
        makeLabel(measured, "Label13", "Measured Xtal values", {8, 4, 222, 16}, Qt::AlignCenter);
    setTextColour(heading, kGreenText);
    setBold(heading, true);

    // The rows: caption, field; the two resistances share their unit label.
    struct Row {
        const char* captionName;
        const char* caption;
        const char* field;
        int width;
    };
    const Row rows[] = {{"Label1", "Z  Source ", "AEdit1", 56},
                        {"Label14", "Z  Load", "AEdit5", 56},
                        {"Label2", "Serial Freq fs [kHz]", "AEdit2", 92},
                        {"Label3", "3db Bandwidth[Hz]", "AEdit3", 92},
                        {"Label4", "Uout / Uin [%]", "AEdit4", 92},
                        {"Label17", "Attenuation [db]", "AEdit6", 92}};
    int y = 25;
    for (const auto& row : rows) {
        const bool radio =
            row.field == std::string_view("AEdit4") || row.field == std::string_view("AEdit6");
        makeLabel(measured, row.captionName, row.caption, {radio ? 26 : 8, y, 110, 21});
        auto* edit = makeEntry(measured, row.field, sep, {136, y, row.width, 21});
        setTextColour(edit, row.field == std::string_view("AEdit6") ? kRedText : kGreenText);
        y += 28;
    }
    makeLabel(measured, "Label15", "( Ohm )", {194, 39, 42, 21});
    auto* modeA = new QRadioButton(measured);
    modeA->setObjectName("RadioButton1");
    modeA->setGeometry(8, 25 + 4 * 28 + 2, 16, 17);
    auto* modeB = new QRadioButton(measured);
    modeB->setObjectName("RadioButton2");
    modeB->setGeometry(8, 25 + 5 * 28 + 2, 16, 17);

    // Results, two by two, their captions under them.
    struct Result {
        const char* name;
        const char* captionName;
        const char* caption;
        QRect box;
    };
    const Result results[] = {
        {"Label5", "Label9", "Xtal Inductance       Lm [mH]", {250, 66, 92, 22}},
        {"Label6", "Label10", "Xtal Capacitance        Cm [fF]", {348, 66, 92, 22}},
        {"Label7", "Label11", "Loss Resistance        [Ohm]", {268, 134, 74, 22}},
        {"Label8", "Label12", "Xtal Qu", {348, 134, 92, 22}},
    };
    for (const auto& r : results) {
        makeResult(this, r.name, r.box, kRedText);
        const QRect captionBox(r.name == std::string_view("Label7") ? 248 : r.box.left() - 2,
                               r.box.bottom() + 2, 98, 42);
        QLabel* c =
            makeText(this, r.captionName, r.caption, captionBox, Qt::AlignHCenter | Qt::AlignTop);
        setTextColour(c, kNavy);
        setBold(c);
    }
    auto* lossMode = new QCheckBox(this);
    lossMode->setObjectName("CheckBox1");
    lossMode->setGeometry(250, 137, 16, 17);
    auto* loss = makeEntry(this, "AEdit7", sep, {268, 134, 74, 22});
    setTextColour(loss, kGreenText);
    loss->raise();

    makeButton(this, "Button1", "Calculate", {296, 222, 100, 30});

    // The fields first, in the order they are read, then the buttons.
    const char* order[] = {"AEdit1",       "AEdit5", "AEdit2",       "AEdit3",
                           "RadioButton1", "AEdit4", "RadioButton2", "AEdit6",
                           "CheckBox1",    "AEdit7", "Button1"};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(findChild<QWidget*>(order[i - 1]), findChild<QWidget*>(order[i]));
}

} // namespace korvan::tools::gui
