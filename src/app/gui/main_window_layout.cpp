// The controls of the main window at their designed places. Texts that the
// calculation writes (defaults included) come from the form model at the
// first copy; the captions here never change.

#include "app/gui/main_window.h"

#include "response/gui/plot_view.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QToolButton>

namespace korvan::gui {

namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignCenter;

void setColours(QWidget* w, const QColor& text, const QColor& background = {}) {
    QPalette pal = w->palette();
    // Active and inactive only: a disabled control keeps the greyed text.
    for (auto group : {QPalette::Active, QPalette::Inactive})
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(group, role, text);
    if (background.isValid()) {
        pal.setColor(QPalette::Window, background);
        pal.setColor(QPalette::Base, background);
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}

void setBold(QWidget* w) {
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
}

// The bold red caption of a frame is not its children's.
void plainChild(QWidget* w) {
    QFont f = w->font();
    f.setBold(false);
    w->setFont(f);
    setColours(w, Qt::black);
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, QRect r,
              Qt::Alignment align = kLeft) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(r);
    l->setAlignment(align);
    return l;
}

// A caption that may take two lines in its box.
QLabel* caption(QWidget* parent, const QString& name, const QString& text, QRect r) {
    QLabel* l = label(parent, name, text, r, Qt::AlignHCenter | Qt::AlignBottom);
    l->setWordWrap(true);
    return l;
}

// A result: right-aligned on white.
QLabel* value(QWidget* parent, const QString& name, QRect r) {
    QLabel* l = label(parent, name, QString(), r, kRight);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setLineWidth(1);
    setColours(l, Qt::black, Qt::white);
    return l;
}

// A panel that shows a text.
QLabel* textPanel(QWidget* parent, const QString& name, const QString& text, QRect r,
                  Qt::Alignment align = kCentre, QFrame::Shadow shadow = QFrame::Raised) {
    QLabel* l = label(parent, name, text, r, align);
    l->setFrameStyle(QFrame::Panel | shadow);
    l->setLineWidth(1);
    l->setAutoFillBackground(true);
    return l;
}

QFrame* panel(QWidget* parent, const char* name, QRect r, QFrame::Shadow shadow) {
    auto* p = new QFrame(parent);
    p->setObjectName(name);
    p->setGeometry(r);
    p->setFrameStyle(QFrame::Panel | shadow);
    p->setLineWidth(1);
    return p;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title, QRect r) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    g->setGeometry(r);
    return g;
}

widgets::TAEdit* entry(QWidget* parent, const char* name, char separator, QRect r) {
    auto* e = new widgets::TAEdit(separator, parent);
    e->setObjectName(name);
    e->setGeometry(r);
    return e;
}

QToolButton* speedButton(QWidget* parent, const char* name, QRect r) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setGeometry(r);
    // Speed buttons take no keyboard focus: Enter and Tab stay in the fields.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// A caption label and its result label, the way the result groups list them.
struct ResultRow {
    const char* captionName;
    const char* captionText;
    const char* valueName;
    QRect captionRect;
    QRect valueRect;
};

void resultRows(QWidget* parent, std::initializer_list<ResultRow> rows) {
    for (const auto& row : rows) {
        label(parent, row.captionName, row.captionText, row.captionRect);
        value(parent, row.valueName, row.valueRect);
    }
}

QString labelName(int number) {
    return QStringLiteral("Label%1").arg(number);
}

} // namespace

void MainWindow::buildControls(QWidget* client) {
    buildInputBar(client);
    buildResultColumn(client);
    buildPlotPanel(client);
}

void MainWindow::buildInputBar(QWidget* client) {
    const char sep = form_.separator();
    QFrame* bar = panel(client, "Panel1", {4, 0, 845, 66}, QFrame::Raised);
    bar->setMouseTracking(true);
    inputBar_ = bar;

    // Crystal data, left of the separator.
    QGroupBox* lmCm =
        group(bar, "RadioGroup1", "Select either Lm or Cm of xtal  ", {4, 2, 200, 60});
    lmCm_ = new QButtonGroup(this);
    for (int item = 0; item < 2; ++item) {
        auto* b = new QRadioButton(item == 0 ? "Lm" : "Cm", lmCm);
        b->setGeometry(10, 18 + item * 20, 50, 18);
        lmCm_->addButton(b, item);
    }
    entry(bar, "AEdit1", sep, {70, 27, 78, 21});
    textPanel(bar, "Panel2", QString(), {150, 27, 40, 21}, kLeft, QFrame::Sunken);

    caption(bar, "Label2", "Series Freq. fs [kHz]", {208, 2, 84, 26});
    entry(bar, "AEdit2", sep, {212, 29, 76, 21});
    caption(bar, "Label1", "Cp [pF]", {294, 2, 56, 26});
    entry(bar, "AEdit3", sep, {297, 29, 50, 21});
    caption(bar, "Label88", "Xtal Rm", {352, 2, 56, 26});
    entry(bar, "AEdit8", sep, {355, 29, 50, 21});
    caption(bar, "Label89", "Xtal Qu", {410, 2, 62, 26});
    QLabel* qu = value(bar, "Label90", {412, 29, 58, 21});
    qu->setAlignment(kCentre);

    panel(bar, "Panel6", {475, 2, 2, 62}, QFrame::Sunken);

    // The wanted filter, right of the separator.
    caption(bar, "Label3", "B3db [kHz]", {480, 2, 94, 26});
    entry(bar, "AEdit4", sep, {497, 29, 60, 21});
    label(bar, "Label87", QString(), {478, 51, 104, 13}, kCentre);
    caption(bar, "Label5", "# of Poles    (2...14)", {580, 2, 64, 26});
    entry(bar, "AEdit6", sep, {587, 29, 50, 21});
    caption(bar, "Label6", "Display Freq   Span [kHz]", {648, 2, 84, 26});
    entry(bar, "AEdit7", sep, {665, 29, 50, 21});
    label(bar, "Label107", "PB ripple  [0...3db]", {584, 51, 150, 13}, kCentre);

    QToolButton* calculate = speedButton(bar, "SpeedButton1", {744, 4, 96, 30});
    setBold(calculate);
    setColours(calculate, QColor(0, 128, 0));
    QToolButton* scale = speedButton(bar, "SpeedButton3", {744, 38, 96, 24});
    scale->setAutoRaise(true);
    scale->setMouseTracking(true);
    scaleButton_ = scale;
}

void MainWindow::buildResultColumn(QWidget* client) {
    const char sep = form_.separator();

    // Filter type: three exclusive buttons over a frame, and the ripple field.
    typeFrame_ = group(client, "RadioGroup2", "Filter Type", {4, 67, 281, 75});
    setBold(typeFrame_);
    setColours(typeFrame_, Qt::red);
    filterType_ = new QButtonGroup(this);
    const char* typeNames[] = {"RadioButton1", "RadioButton2", "RadioButton3"};
    const char* typeTexts[] = {"Chebyshev/Butterw", "Cohn", "QER(G3UUR)"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(typeTexts[i], typeFrame_);
        b->setObjectName(typeNames[i]);
        plainChild(b);
        // As wide as its text: a click beside it lands on the frame.
        b->setGeometry(10, 16 + i * 19, b->sizeHint().width(), 18);
        filterType_->addButton(b, i + 1);
    }
    QLabel* rippleCaption = textPanel(typeFrame_, "Panel7", "PBripple(db)", {170, 14, 100, 17});
    plainChild(rippleCaption);
    rippleCaption->setEnabled(false);
    plainChild(entry(typeFrame_, "AEdit5", sep, {190, 33, 60, 20}));
    plainChild(textPanel(typeFrame_, "Panel8", "max. 3db", {170, 55, 100, 16}));

    QGroupBox* xtal = group(client, "GroupBox1", " Xtal Parameters ", {4, 144, 281, 54});
    resultRows(xtal, {{"Label11", "Lm =", "Label7", {8, 16, 32, 16}, {40, 16, 96, 16}},
                      {"Label12", "Cm =", "Label8", {144, 16, 32, 16}, {176, 16, 98, 16}},
                      {"Label13", "fs=", "Label9", {8, 34, 32, 16}, {40, 34, 96, 16}},
                      {"Label14", "fp=", "Label10", {144, 34, 32, 16}, {176, 34, 98, 16}}});

    QGroupBox* filter = group(client, "GroupBox2", " Filter Parameters ", {4, 200, 281, 142});
    label(filter, "Label15", QString(), {8, 16, 132, 16});
    label(filter, "Label16", QString(), {144, 16, 130, 16});
    resultRows(
        filter,
        {{"Label18", "Impedance [Ohm]:  ", "Label20", {8, 34, 104, 16}, {108, 34, 62, 16}},
         {"Label77", "# of Poles:", "Label78", {178, 34, 64, 16}, {242, 34, 32, 16}},
         {"Label17", "Center Frequency [kHz]: ", "Label19", {8, 52, 150, 16}, {158, 52, 116, 16}}});
    const char* bwCaptions[] = {
        "BW (   6db):", "BW ( 20db):", "BW ( 40db):", "BW ( 60db):", "BW ( 80db):", "BW (100db):"};
    for (int i = 0; i < 6; ++i) {
        const int x = i < 3 ? 8 : 144, y = 74 + (i % 3) * 20;
        label(filter, labelName(27 + i), bwCaptions[i], {x, y, 70, 16});
        value(filter, labelName(21 + i), {x + 70, y, 60, 16});
    }

    QGroupBox* coupling =
        group(client, "GroupBox3", "Coupling (Shunt) Capacitances [pF] ", {4, 344, 281, 98});
    const char* ckCaptions[] = {"Ck12=", "Ck23=", "Ck34=", "Ck45=", "Ck56=", "Ck67=", "Ck78="};
    for (int i = 0; i < 7; ++i) {
        const int x = i < 4 ? 8 : 144, y = 16 + (i % 4) * 19;
        label(coupling, labelName(64 + i), ckCaptions[i], {x, y, 38, 16});
        value(coupling, labelName(33 + i), {x + 38, y, 90, 16});
    }

    QGroupBox* tuning =
        group(client, "GroupBox4", "Tuning (Series) Capacitances (pF) ", {4, 444, 281, 138});
    label(tuning, "Label52", "equiv. Freq. Offset (Hz)", {144, 14, 130, 16}, kCentre);
    const char* csCaptions[] = {"Cs1=", "Cs3=", "Cs4=", "Cs5=", "Cs6=", "Cs7="};
    for (int i = 0; i < 6; ++i) {
        const int y = 31 + i * 17;
        label(tuning, labelName(71 + i), csCaptions[i], {8, y, 36, 16});
        value(tuning, labelName(40 + i), {44, y, 92, 16});
        value(tuning, labelName(46 + i), {144, y, 130, 16});
    }

    // Cursor read-out.
    QGroupBox* cursor = group(client, "GroupBox5", "Cursor Values", {4, 584, 281, 58});
    setColours(cursor, Qt::red);
    // All read-out texts are bold; a narrower face keeps "Frequency: 12345.888
    // kHz" inside its designed 155 pixels.
    QFont bold = cursor->font();
    bold.setBold(true);
    cursor->setFont(bold);
    QFont readoutFont = bold;
    readoutFont.setPixelSize(10);
    QLabel* frequency = label(cursor, "Label83", QString(), {8, 11, 155, 18}, kCentre);
    frequency->setFont(readoutFont);
    setColours(frequency, Qt::blue, Qt::yellow);
    const struct {
        const char* name;
        QRect rect;
        QColor colour;
    } readouts[] = {{"Panel5", {12, 30, 120, 22}, Qt::blue},
                    {"Panel9", {147, 30, 120, 22}, Qt::red},
                    {"Panel10", {166, 8, 100, 21}, QColor(128, 0, 0)}};
    for (const auto& r : readouts) {
        QLabel* p = textPanel(cursor, r.name, QString(), r.rect, kLeft, QFrame::Sunken);
        p->setFont(readoutFont);
        setColours(p, r.colour, Qt::white);
    }
}

void MainWindow::buildPlotPanel(QWidget* client) {
    QFrame* box = panel(client, "Panel3", {288, 72, 561, 570}, QFrame::Sunken);
    setColours(box, Qt::black, Qt::white);
    box->setMouseTracking(true);
    plotPanel_ = box;

    plot_ = new response::PlotView(box);
    plot_->move(response::kPlotLeft, response::kPlotTop);

    QFont small = font();
    small.setPixelSize(9);
    const auto scaleLabel = [&](QWidget* parent, int number, const QString& text, QRect r,
                                Qt::Alignment align) {
        QLabel* l = label(parent, labelName(number), text, r, align);
        l->setFont(small);
        return l;
    };
    // Loss scales: row 1 + 50 per division, in plot coordinates.
    const int row0 = response::kPlotTop + 1;
    for (int i = 0; i <= 10; ++i) {
        const QString tenDb =
            i == 0 ? "  0db" : (i == 10 ? "-100db" : QString(" -%1db").arg(i * 10));
        // Within the columns of Panel4, which covers them in the 1 dB/div scale.
        scaleLabel(box, 53 + i, tenDb, {5, row0 + 50 * i - 7, 33, 14}, kRight);
    }
    QFrame* oneDb = panel(box, "Panel4", {5, 2, 33, 527}, QFrame::Plain);
    oneDb->setFrameStyle(QFrame::NoFrame);
    setColours(oneDb, Qt::black, Qt::white);
    for (int i = 0; i <= 10; ++i) {
        const QString text = i == 0 ? "  0db" : QString("-%1db").arg(i);
        scaleLabel(oneDb, 95 + i, text, {0, row0 - 2 + 50 * i - 7, 33, 14}, kRight);
    }

    // VSWR scale on the right: the caption, then 10 down to 1.
    const int right = response::kPlotLeft + response::kPlotW + 2;
    const int letterNumbers[] = {108, 119, 120, 121};
    const char* letters[] = {"V", "S", "W", "R"};
    for (int i = 0; i < 4; ++i)
        scaleLabel(box, letterNumbers[i], letters[i], {right, 4 + i * 11, 16, 12}, kCentre);
    for (int i = 0; i < 10; ++i)
        scaleLabel(box, 109 + i, QString::number(10 - i), {right, row0 + 50 + 50 * i - 7, 16, 14},
                   kCentre);

    // Frequency axis.
    const int below = response::kPlotTop + response::kPlotH + 4;
    label(box, "Label80", QString(), {response::kPlotLeft, below, 100, 14});
    label(box, "Label79", QString(), {response::kPlotLeft + 151, below, 200, 14}, kCentre);
    label(box, "Label81", QString(), {response::kPlotLeft + 403, below, 100, 14}, kRight);

    // Legend.
    const int legend = below + 18;
    QLabel* sample = label(box, "Label84", QString(), {44, legend + 7, 22, 2});
    sample->setProperty("colourIsBackground", true);
    sample->setAutoFillBackground(true);
    label(box, "Label85", QString(), {70, legend, 132, 14});
    label(box, "Label86", QString(), {204, legend, 70, 14});
    label(box, "Label91", QString(), {372, legend, 171, 14}, kRight);

    const int switches = legend + 19;
    auto* s11 = new QCheckBox(box);
    s11->setObjectName("CheckBox1");
    s11->setGeometry(44, switches - 1, 16, 16);
    label(box, "Label93", " S11", {60, switches, 30, 14});
    auto* vswr = new QCheckBox(box);
    vswr->setObjectName("CheckBox2");
    vswr->setGeometry(100, switches - 1, 16, 16);
    label(box, "Label92", "VSWR", {116, switches, 40, 14});
    label(box, "Label82", QString(), {443, switches, 100, 14}, kRight);
}

void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    const auto item = [](QWidget* parent, const char* name, const char* text) {
        auto* a = new QAction(text, parent);
        a->setObjectName(name);
        parent->addAction(a);
        return a;
    };
    const auto menu = [bar](const char* name, const char* title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString(name) + "Menu");
        return m;
    };

    item(bar, "Screenshot1", "SaveWindow");
    QMenu* xtal = menu("Xtal1", "Xtal");
    item(xtal, "N3dbMethod1", "3db-Method");
    xtal->addSeparator();
    item(xtal, "G3UURmethod1", "G3UUR-Method");
    xtal->addSeparator();
    item(xtal, "XtalTuning1", "Xtal Tuning");
    item(bar, "Match1", "LC-Match");
    item(bar, "Cs2Cp1", "Cs2Cp");
    QMenu* colours = menu("Colours1", "Colours");
    item(colours, "S21Trace1", "S21 Trace");
    item(colours, "S11Trace1", "S11 Trace");
    item(colours, "VSWRTrace1", "VSWR Trace");
    item(colours, "Background1", "Background");
    item(colours, "GridLines1", "GridLines");
    item(colours, "UltimateAttnLine1", "UltAttnLine");
    item(colours, "CursorLine1", "CursorLine");
    colours->addSeparator();
    item(colours, "Default1", "Default");
    item(bar, "Info1", "Info");
    QMenu* help = menu("Help1", "Help");
    item(help, "Deutsch1", "Deutsch");
    item(help, "English1", "English");
}

} // namespace korvan::gui
