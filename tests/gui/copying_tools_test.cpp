// The crystal tuning, L-C match and Cs-to-Cp windows opened from the main
// menu: they show the main window's current values, take typed input, and
// calculate on Enter after the focus has moved. With KORVAN_SCREENSHOT_DIR
// set, each open window is saved there as <form name>.png.

#include "app/gui/main_window.h"
#include "tools/gui/copying_tool_windows.h"
#include "tools/gui/cs2cp_window.h"
#include "tools/gui/lc_match_window.h"
#include "tools/gui/tuning_window.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace korvan;

namespace {

void type(QDialog* d, const char* field, const QString& keys, bool enter = false) {
    auto* e = d->findChild<widgets::TAEdit*>(field);
    if (!e) qFatal("no field %s", field);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, keys);
    if (enter) QTest::keyClick(e, Qt::Key_Return);
}
QString text(QDialog* d, const char* name) {
    if (auto* e = d->findChild<QLineEdit*>(name)) return e->text();
    if (auto* l = d->findChild<QLabel*>(name)) return l->text();
    qFatal("no control %s", name);
}

struct Session {
    Session() {
        QDir::setCurrent(dir.path());
        form = std::make_unique<MainForm>(messages, clipboard, dir.path().toStdString(), '.');
        window = std::make_unique<gui::MainWindow>(*form, messages);
        tools = std::make_unique<gui::CopyingToolWindows>(
            *window, [w = window.get()] { w->takeFields(); }, form->form(), form->state(), messages,
            '.');
        tools->addAll();
        window->startUp();
        messages.clear();
    }

    // Opens the window through its menu command and runs `checks` while it is
    // up; the window is closed afterwards whatever the checks found.
    void open(const char* action, QDialog* dialog, const std::function<void()>& checks) {
        bool ran = false;
        QTimer::singleShot(0, dialog, [&] {
            dialog->activateWindow();
            ran = QTest::qWaitForWindowActive(dialog);
            if (ran) checks();
            const QByteArray shots = qgetenv("KORVAN_SCREENSHOT_DIR");
            if (!shots.isEmpty())
                dialog->grab().save(QString::fromLocal8Bit(shots) + "/" + dialog->objectName() +
                                    ".png");
            dialog->close();
        });
        window->menuAction(action)->trigger();
        QVERIFY(ran);
        QVERIFY(dialog->isHidden());
    }

    QString mainText(const char* label) const {
        return QString::fromStdString(form->form().text(label));
    }
    int count(const std::string& text) const {
        int n = 0;
        for (const auto& shown : messages.shown()) n += shown.message.text == text;
        return n;
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form;
    std::unique_ptr<gui::MainWindow> window;
    std::unique_ptr<gui::CopyingToolWindows> tools;
};

} // namespace

class CopyingToolsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void tuningFromMenu();
    void tuningEnterRunsExitFirst();
    void lcMatchFromMenu();
    void cs2cpTakesTypedMainFields();
};

void CopyingToolsTest::initTestCase() {
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains("propagateSizeHints")) previous(type, context, message);
        });
}

void CopyingToolsTest::tuningFromMenu() {
    Session s;
    QDialog* d = s.tools->tuning();
    s.open("XtalTuning1", d, [&] {
        QCOMPARE(d->objectName(), QString("TForm7"));
        QCOMPARE(d->size(), QSize(445, 339));
        QCOMPARE(d->pos(), QPoint(400, 216));
        QVERIFY(d->windowTitle().endsWith(QString(47, ' ') + "qx0zz"));
        QCOMPARE(text(d, "AEdit1"), QString("62"));
        QCOMPARE(text(d, "AEdit2"), QString("4998"));
        QCOMPARE(text(d, "AEdit5"), QString("4"));
        QCOMPARE(text(d, "AEdit6"), s.mainText("Label33"));
        QCOMPARE(text(d, "AEdit7"), s.mainText("Label34"));
        QCOMPARE(text(d, "AEdit3"), QString("4997.800"));
        QCOMPARE(d->focusWidget()->objectName(), QString("AEdit3"));

        type(d, "AEdit1", "70");
        type(d, "AEdit2", "4913.565");
        type(d, "AEdit5", "5");
        type(d, "AEdit6", "100");
        type(d, "AEdit7", "100");
        type(d, "AEdit3", "4913.365");
        type(d, "AEdit4", "150", true);
        QCOMPARE(text(d, "Label2"), QString("14.98818"));
        QCOMPARE(text(d, "Label6"), QString("-200  "));
        QCOMPARE(text(d, "Label4"), QString("86.2"));
        QCOMPARE(text(d, "Label13"), QString("350  "));
        QCOMPARE(d->focusWidget()->objectName(), QString("Button1"));

        // Cm: the unit tag follows, the focus leaves the group, nothing is calculated.
        auto* cm = d->findChild<QGroupBox*>("RadioGroup1")->findChildren<QRadioButton*>().at(1);
        QTest::mouseClick(cm, Qt::LeftButton);
        QCOMPARE(text(d, "Panel2"), QString(" fF"));
        QCOMPARE(d->focusWidget()->objectName(), QString("AEdit6"));
        QCOMPARE(text(d, "Label4"), QString("86.2"));
        auto* lm = d->findChild<QGroupBox*>("RadioGroup1")->findChildren<QRadioButton*>().at(0);
        QTest::mouseClick(lm, Qt::LeftButton);
        QCOMPARE(text(d, "Panel2"), QString(" mH"));
        QCOMPARE(d->focusWidget()->objectName(), QString("AEdit6"));
    });
    QCOMPARE(s.messages.shown().size(), std::size_t{0});
    // Opened again: the main design is copied anew, the offset is kept.
    s.open("XtalTuning1", d, [&] {
        QCOMPARE(text(d, "AEdit1"), QString("62"));
        QCOMPARE(text(d, "AEdit4"), QString("150"));
    });
}

void CopyingToolsTest::tuningEnterRunsExitFirst() {
    Session s;
    QDialog* d = s.tools->tuning();
    s.open("XtalTuning1", d, [&] {
        type(d, "AEdit1", "", true);
        // The field's exit read and then the calculation's read, both unguarded.
        QCOMPARE(s.count("'' is not a valid floating point value."), 2);
    });
}

void CopyingToolsTest::lcMatchFromMenu() {
    Session s;
    QDialog* d = s.tools->lcMatch();
    s.open("Match1", d, [&] {
        QCOMPARE(d->objectName(), QString("TForm5"));
        QCOMPARE(d->size(), QSize(380, 270));
        QCOMPARE(d->pos(), QPoint(200, 111));
        QCOMPARE(text(d, "AEdit1"), s.mainText("Label19"));
        QCOMPARE(text(d, "AEdit3"), s.mainText("Label20"));
        QCOMPARE(text(d, "AEdit2"), QString("50"));
        QCOMPARE(d->focusWidget()->objectName(), QString("Button1"));
        d->findChild<QLineEdit*>("AEdit3")->setText("51");
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
        QCOMPARE(s.count("No matching network necessary"), 1);
        type(d, "AEdit1", "9000");
        type(d, "AEdit3", "450", true);
        QCOMPARE(text(d, "Label5"), QString("2.50  "));
        QCOMPARE(text(d, "Label6"), QString("111.15  "));
        QCOMPARE(text(d, "Label7"), QString("125.04  "));
        QCOMPARE(text(d, "Label8"), QString("2.81  "));
        type(d, "AEdit2", "100");
        type(d, "AEdit3", "50", true);
        QCOMPARE(s.count("R1 must be smaller than R2 !"), 1);
        QCOMPARE(d->focusWidget()->objectName(), QString("AEdit3"));
        QCOMPARE(text(d, "Label5"), QString("0.00  "));
    });
}

void CopyingToolsTest::cs2cpTakesTypedMainFields() {
    Session s;
    // Typed into the main window but not calculated yet.
    widgets::TAEdit* fs = s.window->edit(2);
    fs->setFocus();
    fs->selectAll();
    QTest::keyClicks(fs, "5000");
    QDialog* d = s.tools->cs2cp();
    s.open("Cs2Cp1", d, [&] {
        QCOMPARE(d->objectName(), QString("TForm8"));
        QCOMPARE(d->size(), QSize(370, 215));
        QCOMPARE(d->pos(), QPoint(200, 110));
        QCOMPARE(text(d, "AEdit3"), QString("5000"));
        QCOMPARE(text(d, "AEdit2"), s.mainText("Label20"));
        QCOMPARE(text(d, "AEdit1"), s.mainText("Label40"));
        QVERIFY(!text(d, "Label1").isEmpty());
        type(d, "AEdit2", "300");
        type(d, "AEdit1", "100", true);
        QCOMPARE(text(d, "Label1"), QString("53.0"));
        QCOMPARE(text(d, "Label2"), QString("638"));
        QCOMPARE(d->findChild<QLabel*>("Label12")->geometry().bottom(), 215 - 17 + 13);
    });
}

QTEST_MAIN(CopyingToolsTest)
#include "copying_tools_test.moc"
