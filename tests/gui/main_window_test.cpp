// The main window driven through its real widgets: typing, Enter, the type
// and Lm/Cm buttons, the trace switches, the cursor and the close prompt.
// Each test runs in a fresh temporary working folder with scripted answers.

#include "app/gui/main_window.h"
#include "gui/guarded_test_main.h"
#include "numeric/number_text.h"
#include "response/gui/plot_view.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <memory>
#include <sstream>

using namespace korvan;

namespace {

constexpr const char* kNoConfig =
    "       No configuration file found.\rParameter fields are set to default values\r";
constexpr const char* kInvalid = "Invalid or missing input value(s)";

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// One program run: working folder, optional settings file, the window.
struct Session {
    explicit Session(const char* settings = nullptr, char separator = '.') {
        QDir::setCurrent(dir.path());
        if (settings) std::ofstream(cfg().toStdString(), std::ios::binary) << settings;
        form = std::make_unique<MainForm>(messages, clipboard, dir.path().toStdString(), separator);
        window = std::make_unique<gui::MainWindow>(*form, messages);
        window->startUp();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QString cfg() const { return dir.filePath("Korvan3.cfg"); }
    template <typename W = QWidget> W* get(const char* name) const {
        W* w = window->findChild<W*>(name);
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QString text(const char* label) const { return get<QLabel>(label)->text(); }
    int count(const std::string& text) const {
        int n = 0;
        for (const auto& shown : messages.shown()) n += shown.message.text == text;
        return n;
    }
    void type(int field, const QString& keys, bool enter = true) {
        widgets::TAEdit* e = window->edit(field);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, keys);
        if (enter) QTest::keyClick(e, Qt::Key_Return);
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form;
    std::unique_ptr<gui::MainWindow> window;
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void startUpWithoutSettingsFile();
    void designedPlaces_data();
    void designedPlaces();
    void menuBarInOrder();
    void typedInputs_data();
    void typedInputs();
    void typingUsesTheSystemSeparator();
    void enterWithEmptyFieldStopsAndMovesFocus();
    void typeSwitching();
    void typeButtonRecalculatesOnlyOnChange();
    void lmCmSwitchesUnitOnly();
    void traceSwitchDoesNotReadInputs();
    void scaleButton();
    void cursorReadout();
    void settingsLoadedAtStart();
    void closePrompt_data();
    void closePrompt();
};

void MainWindowTest::initTestCase() {
    // The offscreen platform warns about every fixed-size window it shows.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains("propagateSizeHints")) previous(type, context, message);
        });
}

void MainWindowTest::startUpWithoutSettingsFile() {
    Session s;
    QCOMPARE(s.count(kNoConfig), 1);
    const auto& info = s.messages.shown().front().message;
    QCOMPARE(info.title, std::string("Info"));
    QCOMPARE(info.icon, MsgIcon::Information);
    QCOMPARE(s.window->windowTitle(),
             QString("Crystal Ladder Filter Calculator  \"KORVAN\"  Vers. 3.0.2.3   qx0zz"));
    QCOMPARE(s.window->centralWidget()->size(), QSize(855, 646));
    QCOMPARE(s.window->pos(), QPoint(0, 0));
    const char* defaults[] = {"62", "4998", "4", "3", "1", "8", "10", "20"};
    for (int i = 1; i <= 8; ++i) QCOMPARE(s.window->edit(i)->text(), QString(defaults[i - 1]));
    QCOMPARE(s.text("Label15"), QString("Type:   Chebyshev"));
    QCOMPARE(s.text("Label16"), QString("PB-Ripple: 1db"));
    QCOMPARE(s.text("Panel2"), QString("mH"));
    QCOMPARE(s.window->edit(6)->toolTip(), QString("min 2, max 14"));
    QCOMPARE(s.window->edit(5)->toolTip(), QString("  0 = Butterworth\n>0 = Chebychev"));
    QVERIFY(s.get<QWidget>("Panel4")->isHidden());
}

void MainWindowTest::designedPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("input bar") << "Panel1" << QRect(4, 0, 845, 66);
    QTest::newRow("separator") << "Panel6" << QRect(475, 2, 2, 62);
    QTest::newRow("filter type") << "RadioGroup2" << QRect(4, 67, 281, 75);
    QTest::newRow("xtal") << "GroupBox1" << QRect(4, 144, 281, 54);
    QTest::newRow("filter") << "GroupBox2" << QRect(4, 200, 281, 142);
    QTest::newRow("coupling") << "GroupBox3" << QRect(4, 344, 281, 98);
    QTest::newRow("tuning") << "GroupBox4" << QRect(4, 444, 281, 138);
    QTest::newRow("cursor") << "GroupBox5" << QRect(4, 584, 281, 58);
    QTest::newRow("plot panel") << "Panel3" << QRect(288, 72, 561, 570);
    QTest::newRow("plot area") << "PaintBox1" << QRect(40, 6, 503, 503);
    QTest::newRow("1 dB scale") << "Panel4" << QRect(5, 2, 33, 527);
    QTest::newRow("frequency") << "Label83" << QRect(8, 11, 155, 18);
    QTest::newRow("S21") << "Panel5" << QRect(12, 30, 120, 22);
    QTest::newRow("S11") << "Panel9" << QRect(147, 30, 120, 22);
    QTest::newRow("VSWR") << "Panel10" << QRect(166, 8, 100, 21);
}

void MainWindowTest::designedPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    Session s("1\r\n0\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\n20\r\n"); // no box at start
    auto* w = s.window->findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), rect);
}

void MainWindowTest::menuBarInOrder() {
    Session s;
    QStringList top;
    for (QAction* a : s.window->menuBar()->actions()) top << a->text();
    QCOMPARE(top,
             QStringList({"SaveWindow", "Xtal", "LC-Match", "Cs2Cp", "Colours", "Info", "Help"}));
    const auto items = [&](const char* menu) {
        QStringList names;
        for (QAction* a : s.get<QMenu>(menu)->actions())
            names << (a->isSeparator() ? "-" : a->objectName());
        return names;
    };
    QCOMPARE(items("Xtal1"), QStringList({"N3dbMethod1", "-", "G3UURmethod1", "-", "XtalTuning1"}));
    QCOMPARE(items("Colours1"),
             QStringList({"S21Trace1", "S11Trace1", "VSWRTrace1", "Background1", "GridLines1",
                          "UltimateAttnLine1", "CursorLine1", "-", "Default1"}));
    QCOMPARE(items("Help1"), QStringList({"Deutsch1", "English1"}));
    for (const char* name : {"Screenshot1", "Match1", "Cs2Cp1", "Info1"})
        QVERIFY2(s.window->menuAction(name), name);
}

void MainWindowTest::typedInputs_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("fieldAfter");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("labelText");
    QTest::newRow("Butterworth") << 5 << "0"
                                 << "0"
                                 << "Label15"
                                 << "Type:   Butterworth";
    QTest::newRow("ripple clamped") << 5 << "3,5"
                                    << "3"
                                    << "Label16"
                                    << "PB-Ripple: 3db";
    QTest::newRow("poles raised") << 6 << "1"
                                  << "2"
                                  << "Label78"
                                  << "2";
    QTest::newRow("poles clamped") << 6 << "20"
                                   << "14"
                                   << "Label78"
                                   << "14";
    QTest::newRow("span clamped") << 7 << "500"
                                  << "400"
                                  << "Label81"
                                  << "200.00 kHz";
}

void MainWindowTest::typedInputs() {
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, fieldAfter);
    QFETCH(QString, label);
    QFETCH(QString, labelText);
    Session s;
    s.messages.clear();
    s.type(field, keys);
    QCOMPARE(s.window->edit(field)->text(), fieldAfter);
    QCOMPARE(s.text(qPrintable(label)), labelText);
    QCOMPARE(s.count(kInvalid), 0);
}

void MainWindowTest::typingUsesTheSystemSeparator() {
    Session s(nullptr, ',');
    s.type(4, "2.5", false);
    QCOMPARE(s.window->edit(4)->text(), QString("2,5"));
    QTest::keyClick(s.window->edit(4), Qt::Key_Return);
    QCOMPARE(s.count(kInvalid), 0);
    QCOMPARE(s.text("Label87").startsWith("Bmax="), true);
}

void MainWindowTest::enterWithEmptyFieldStopsAndMovesFocus() {
    Session s;
    s.messages.clear();
    s.type(2, "");
    QCOMPARE(s.count(kInvalid), 1);
    const auto& box = s.messages.shown().back().message;
    QCOMPARE(box.title, std::string("Error"));
    QCOMPARE(box.icon, MsgIcon::Exclamation);
    QCOMPARE(s.text("Label7"), QString("----   "));
    // Calculate first, then the focus moves on to the next field.
    QCOMPARE(QApplication::focusWidget(), s.window->edit(3));
}

void MainWindowTest::typeSwitching() {
    Session s;
    QAction* tuning = s.window->menuAction("XtalTuning1");
    QAction* cs2cp = s.window->menuAction("Cs2Cp1");
    QTest::mouseClick(s.get<QRadioButton>("RadioButton2"), Qt::LeftButton);
    QVERIFY(s.window->edit(5)->isHidden());
    QVERIFY(!s.get<QLabel>("Label16")->isEnabled());
    QVERIFY(!tuning->isEnabled());
    QVERIFY(cs2cp->isVisible());
    QTest::mouseClick(s.get<QRadioButton>("RadioButton3"), Qt::LeftButton);
    QVERIFY(s.window->edit(5)->isHidden());
    QVERIFY(!cs2cp->isVisible());
    QTest::mouseClick(s.get<QRadioButton>("RadioButton1"), Qt::LeftButton);
    QVERIFY(!s.window->edit(5)->isHidden());
    QCOMPARE(s.window->edit(5)->text(), QString("1"));
    QVERIFY(tuning->isEnabled());
    QVERIFY(cs2cp->isVisible());
    QVERIFY(s.form->state().IsCohn == false && s.form->state().IsQER == false);
}

void MainWindowTest::typeButtonRecalculatesOnlyOnChange() {
    Session s;
    s.type(2, "", false); // an empty field makes every calculation visible
    s.messages.clear();
    QTest::mouseClick(s.get<QRadioButton>("RadioButton1"), Qt::LeftButton);
    QCOMPARE(s.count(kInvalid), 0);
    QTest::mouseClick(s.get<QRadioButton>("RadioButton2"), Qt::LeftButton);
    QCOMPARE(s.count(kInvalid), 1);
}

void MainWindowTest::lmCmSwitchesUnitOnly() {
    Session s;
    s.type(2, "", false);
    s.messages.clear();
    QRadioButton* cm = nullptr;
    for (auto* b : s.get<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>())
        if (b->text() == "Cm") cm = b;
    QVERIFY(cm);
    QTest::mouseClick(cm, Qt::LeftButton);
    QCOMPARE(s.text("Panel2"), QString(" fF"));
    QCOMPARE(s.messages.shown().size(), std::size_t(0));
    QCOMPARE(s.form->form().at("RadioGroup1").itemIndex, 1);
}

void MainWindowTest::traceSwitchDoesNotReadInputs() {
    Session s;
    s.type(2, "", false);
    s.messages.clear();
    QTest::mouseClick(s.get<QCheckBox>("CheckBox1"), Qt::LeftButton);
    QVERIFY(s.form->form().at("CheckBox1").checked);
    QCOMPARE(s.messages.shown().size(), std::size_t(0));
}

void MainWindowTest::scaleButton() {
    Session s;
    auto* button = s.get<QToolButton>("SpeedButton3");
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!s.form->state().Scale10dB);
    QVERIFY(!s.get<QWidget>("Panel4")->isHidden());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(s.get<QWidget>("Panel4")->isHidden());

    const auto textColour = [&] { return button->palette().color(QPalette::ButtonText); };
    QCOMPARE(textColour(), QColor(0, 128, 128));
    QTest::mouseMove(button, QPoint(5, 5));
    QCOMPARE(textColour(), QColor(255, 0, 0));
    QTest::mouseMove(s.get<QWidget>("Panel1"), QPoint(300, 60));
    QCOMPARE(textColour(), QColor(0, 128, 0));
}

void MainWindowTest::cursorReadout() {
    Session s;
    auto* plot = s.window->plot();
    QTest::mouseMove(plot, QPoint(251, 200));
    const DesignState& st = s.form->state();
    QCOMPARE(st.CursorX, 251);
    QCOMPARE(s.text("Label83"),
             QString::fromStdString("Frequency: " + numeric::formatFixed(st.fm / 1000, 16, 3, '.') +
                                    " kHz"));
    QCOMPARE(s.text("Panel5"),
             QString::fromStdString(
                 "  S21 =  " + numeric::formatFixed(-st.RespS21[250], 12, 2, '.') + " db"));
    QCOMPARE(plot->cursor().shape(), Qt::BlankCursor);

    // Off the plot area but over the plot panel: the dashed texts.
    QTest::mouseMove(s.get<QWidget>("Panel3"), QPoint(20, 540));
    QCOMPARE(st.CursorX, -1);
    QCOMPARE(s.text("Label83"), QString("Frequency:    ----   kHz"));
    QCOMPARE(s.text("Panel10"), QString(" VSWR =   ----"));

    // After a rejected input the plot shows the arrow and no cursor.
    s.type(2, "");
    QTest::mouseMove(plot, QPoint(100, 200));
    QCOMPARE(plot->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(st.CursorX, -1);
}

void MainWindowTest::settingsLoadedAtStart() {
    Session s("2\r\n1\r\n25\r\n10700\r\n3,5\r\n2.4\r\n1\r\n6\r\n\r\n");
    QCOMPARE(s.count(kNoConfig), 0);
    QVERIFY(s.get<QRadioButton>("RadioButton2")->isChecked());
    QVERIFY(s.window->edit(5)->isHidden());
    QCOMPARE(s.text("Panel2"), QString(" fF"));
    QCOMPARE(s.window->edit(1)->text(), QString("25"));
    QCOMPARE(s.window->edit(2)->text(), QString("10700"));
    QCOMPARE(s.window->edit(3)->text(), QString("3,5")); // loaded as it stands
}

void MainWindowTest::closePrompt_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Yes") << int(MsgAnswer::Yes) << true << true;
    QTest::newRow("No") << int(MsgAnswer::No) << true << false;
    QTest::newRow("Cancel") << int(MsgAnswer::Cancel) << false << false;
}

void MainWindowTest::closePrompt() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    Session s;
    QTest::mouseClick(s.get<QRadioButton>("RadioButton2"), Qt::LeftButton);
    s.type(8, "", false); // an empty field is saved as an empty line
    s.messages.clear();
    s.messages.script(static_cast<MsgAnswer>(answer));
    QCOMPARE(s.window->close(), closes);
    QCOMPARE(s.window->isVisible(), !closes);
    QCOMPARE(s.messages.shown().size(), std::size_t(1));
    const Message& box = s.messages.shown().front().message;
    QCOMPARE(box.title, std::string("Exit Program"));
    QCOMPARE(box.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(box.defaultAnswer, MsgAnswer::Cancel);
    QCOMPARE(QFile::exists(s.cfg()), saved);
    if (saved)
        QCOMPARE(QByteArray::fromStdString(readFile(s.cfg())).toPercentEncoding(),
                 QByteArray::fromStdString("2\r\n0\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\n\r\n")
                     .toPercentEncoding());
}

KORVAN_GUI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
