#include "tools/gui/tuning_window.h"

#include "model/gui/form_binder.h"
#include "widgets/gui/aedit.h"

#include <QButtonGroup>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>

namespace korvan::gui {

namespace {

constexpr Rgb kBackground{208, 255, 240};
constexpr Rgb kInputPanel{240, 240, 208};
constexpr Qt::Alignment kCentre = Qt::AlignCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

} // namespace

TuningWindow::TuningWindow(const FormModel& mainModel, const DesignState& mainState,
                           std::function<void()> calculateMain, QWidget* mainWindow,
                           MessageSink& messages, char separator)
    : ToolWindow("TForm7", QString::fromUtf8(tools::kTuningCaption), {445, 339}, &messages,
                 separator, mainWindow, Activation::OnShow, RadioFocus::GroupIsOneStop),
      form_(messages, separator, mainModel, mainState, std::move(calculateMain)),
      mainWindow_(mainWindow) {
    setWindowBackground(kBackground);
    buildControls();
    bind(form_.form(), [this](FormBinder& b) { b.addRadioGroup("RadioGroup1", lmCm_); });
    connectEnter([this] { calculate(); }, true);
    aEdit1_->installEventFilter(this);
}

void TuningWindow::buildControls() {
    // The notes at the top.
    auto* note = new QGroupBox(QStringLiteral(" Please Note: "), this);
    note->setObjectName("GroupBox1");
    note->setGeometry(6, 2, 433, 140);
    setBold(note, true);
    setColours(note, colors::blue, colors::white);
    const auto noteText = [&](const char* name, const char* text, QRect r, Rgb colour) {
        QLabel* l =
            label(note, name, QString::fromUtf8(text), r, colour, Qt::AlignLeft | Qt::AlignTop);
        QFont f = l->font();
        f.setBold(false);
        f.setUnderline(false);
        f.setPixelSize(10); // three notes in a small box
        l->setFont(f);
        l->setWordWrap(true);
        return l;
    };
    noteText("Label11",
             "The Korvan program assumes equal crystal frequencies (\"Nominal Xtal Series "
             "Freq.\"). The necessary frequency offsets are achieved by series capacitances "
             "which shift the xtal resonances upward by the required amount. ",
             {8, 15, 417, 40}, colors::maroon);
    noteText("Label12",
             "These offsets are shown besides the series (tuning) capacitances. If the xtals "
             "cannot be matched (i.e., show different frequencies), this program allows the "
             "calculation of the necessary tuning capacitances to still achieve the correct "
             "offsets.",
             {8, 55, 417, 54}, colors::green);
    QLabel* ref = noteText("Label14",
                           "Please refer to the xtal tuning example and comments in the appendix "
                           "of the help file",
                           {8, 110, 417, 26}, colors::red);
    QFont underlined = ref->font();
    underlined.setUnderline(true);
    ref->setFont(underlined);

    // Crystal and coupling data.
    QFrame* in = panel(this, "Panel1", {6, 146, 433, 132}, kInputPanel);
    auto* group = new QGroupBox(QStringLiteral("Select either Lm or Cm of xtal  "), in);
    group->setObjectName("RadioGroup1");
    group->setGeometry(6, 2, 196, 38);
    lmCm_ = new QButtonGroup(this);
    for (int item = 0; item < 2; ++item) {
        auto* b = new QRadioButton(item == 0 ? QStringLiteral("Lm") : QStringLiteral("Cm"), group);
        b->setGeometry(12 + item * 70, 17, 50, 18);
        lmCm_->addButton(b, item);
    }
    connect(lmCm_, &QButtonGroup::idClicked, this, [this](int item) {
        if (form_.form().at("RadioGroup1").itemIndex == item) return;
        runEvent([this, item] { form_.radioGroup1Click(item); });
    });

    widgets::TAEdit* lmCm = entry(in, "AEdit1", {6, 42, 70, 20}, colors::blue, true);
    aEdit1_ = lmCm;
    QLabel* unit = result(in, "Panel2", {78, 42, 32, 20}, colors::black, Qt::AlignLeft);
    unit->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setColours(unit, colors::black, kInputPanel);
    widgets::TAEdit* nominal = entry(in, "AEdit2", {6, 64, 70, 20}, colors::blue, true);
    QLabel* nominalCaption =
        label(in, "Panel3", QStringLiteral("kHz Nominal Xtal Series Freq."), {78, 64, 170, 20});
    nominalCaption->setFrameStyle(QFrame::Panel | QFrame::Raised);
    widgets::TAEdit* holder = entry(in, "AEdit5", {6, 86, 70, 20}, colors::blue, true);
    label(in, "Label7", QStringLiteral("pF   Xtal Holder Capacitance Cp"), {80, 86, 180, 20});
    widgets::TAEdit* actual = entry(in, "AEdit3", {6, 108, 70, 20}, colors::red, true);
    QLabel* actualCaption = label(in, "Label8", QStringLiteral("kHz Current  Xtal Series Freq."),
                                  {80, 108, 190, 20}, colors::red);
    setBold(actualCaption);

    // The reference mesh, right of the crystal.
    QLabel* ck12 = label(in, "Label15", QStringLiteral("Ck12            pF"), {272, 6, 150, 22});
    widgets::TAEdit* ck12Edit = entry(in, "AEdit6", {0, 0, 0, 20}, colors::blue, true);
    // The whole run of blanks: at 10 MHz every Ck has three digits.
    placeOverBlanks(ck12, ck12Edit, 4, 12);
    QLabel* ck23 = label(in, "Label16", QStringLiteral("Ck23            pF"), {272, 30, 150, 22});
    widgets::TAEdit* ck23Edit = entry(in, "AEdit7", {0, 0, 0, 20}, colors::blue, true);
    placeOverBlanks(ck23, ck23Edit, 4, 12);
    QLabel* refMesh =
        label(in, "Label17", QStringLiteral("<-- Reference Mesh (#2), defining Fmesh"),
              {262, 54, 166, 28}, colors::blue, Qt::AlignLeft | Qt::AlignTop);
    refMesh->setWordWrap(true);
    setBold(refMesh, true);
    QFont plainUnderlined = refMesh->font();
    plainUnderlined.setBold(false);
    refMesh->setFont(plainUnderlined);

    // The motional value not entered, over the blank middle of its caption.
    QLabel* other =
        label(in, "Label1", QStringLiteral("Cm =                          fF"), {272, 92, 150, 22});
    QLabel* otherValue = result(in, "Label2", {0, 0, 0, 20}, colors::black, kCentre);
    placeOverBlanks(other, otherValue, 5, 24);

    // The offsets and the result.
    QLabel* nominalOffset = label(this, "Label9", QStringLiteral("Nominal Offset in (Hz)"),
                                  {6, 282, 140, 18}, colors::red);
    setBold(nominalOffset, true);
    widgets::TAEdit* offset = entry(this, "AEdit4", {146, 282, 54, 18}, colors::red, true);
    QLabel* actualOffset = label(this, "Label10", QStringLiteral("Actual Xtal offset [Hz]"),
                                 {6, 300, 140, 18}, colors::maroon);
    QFont u = actualOffset->font();
    u.setUnderline(true);
    actualOffset->setFont(u);
    result(this, "Label13", {146, 300, 54, 18}, colors::red, kRight);
    label(this, "Label5", QStringLiteral("Current - Nominal [Hz]"), {6, 318, 140, 18});
    result(this, "Label6", {146, 318, 54, 18}, colors::blue, kRight);

    QFrame* out = panel(this, "Panel7", {204, 281, 164, 56}, kInputPanel);
    QLabel* ctCaption = label(out, "Label3", QStringLiteral("Tuning Capacitance (pF)"),
                              {4, 4, 156, 18}, colors::blue, kCentre);
    setBold(ctCaption);
    QLabel* ct = result(out, "Label4", {36, 25, 92, 26}, colors::red, kCentre);
    setBold(ct);

    QPushButton* calc = calculateButton(this, {372, 292, 66, 32});

    QWidget::setTabOrder(lmCm, nominal);
    QWidget::setTabOrder(nominal, actual);
    QWidget::setTabOrder(actual, holder);
    QWidget::setTabOrder(holder, lmCm_->button(0));
    QWidget::setTabOrder(lmCm_->button(0), lmCm_->button(1));
    QWidget::setTabOrder(lmCm_->button(1), ck12Edit);
    QWidget::setTabOrder(ck12Edit, ck23Edit);
    QWidget::setTabOrder(ck23Edit, offset);
    QWidget::setTabOrder(offset, calc);
}

void TuningWindow::beforeOpening() {
    // Relative to the main window's client area, as the design places it.
    QSize client(855, 646);
    if (auto* main = qobject_cast<QMainWindow*>(mainWindow_); main && main->centralWidget())
        client = main->centralWidget()->size();
    move(client.width() - 455, client.height() - 430);
}

bool TuningWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == aEdit1_ && event->type() == QEvent::FocusOut) {
        // Leaving the field, not the window (a message box, a closing).
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            binder().toModel(form_.form());
            form_.aEdit1Exit();
        }
    }
    return ToolWindow::eventFilter(watched, event);
}

} // namespace korvan::gui
