// The 3 dB, G3UUR and Info windows opened from the main menu, typed into and
// calculated with Enter, closed and opened again. KORVAN_SCREENSHOT_DIR set:
// each window is also saved there as a picture.

#include "app/gui/main_window.h"
#include "tools/gui/copying_tool_windows.h"
#include "tools/gui/g3uur_window.h"
#include "tools/gui/info_window.h"
#include "tools/gui/tool_windows.h"
#include "tools/gui/xtal3db_window.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace korvan;
using korvan::tools::gui::ToolWindows;

namespace {

struct Session {
    Session() {
        QDir::setCurrent(dir.path());
        form = std::make_unique<MainForm>(messages, clipboard, dir.path().toStdString(), '.');
        window = std::make_unique<gui::MainWindow>(*form, messages);
        copying = std::make_unique<gui::CopyingToolWindows>(
            *window, [w = window.get()] { w->takeFields(); }, form->form(), form->state(), messages,
            '.');
        tools = std::make_unique<ToolWindows>(window.get(), form->form(), '.', copying.get());
        window->startUp();
    }
    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form;
    std::unique_ptr<gui::MainWindow> window;
    std::unique_ptr<gui::CopyingToolWindows> copying;
    std::unique_ptr<ToolWindows> tools;
};

void saveScreenshot(QWidget* w, const QString& suffix = {}) {
    const QByteArray folder = qgetenv("KORVAN_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        w->grab().save(QString(folder) + "/" + w->objectName() + suffix + ".png");
}

// Triggers the menu item; `inside` runs while the modal window is open and
// the window is closed after it.
void openFromMenu(Session& s, const char* action, const char* formName,
                  const std::function<void(QDialog*)>& inside) {
    QDialog* dialog = s.tools->window(formName);
    QVERIFY(dialog);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(dialog->isVisible());
        QVERIFY(dialog->isModal());
        inside(dialog);
        ran = true;
        dialog->close();
    });
    s.window->menuAction(action)->trigger();
    QVERIFY(ran);
    QVERIFY(!dialog->isVisible());
}

QString text(QDialog* d, const char* name) {
    if (auto* l = d->findChild<QLabel*>(name)) return l->text();
    if (auto* e = d->findChild<QLineEdit*>(name)) return e->text();
    return "?";
}

void typeAndEnter(QDialog* d, const char* field, const QString& keys) {
    auto* edit = d->findChild<widgets::TAEdit*>(field);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, keys);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

class ToolWindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void createdOnceInOrder();
    void xtal3dbFromTheMenu();
    void g3uurFromTheMenu();
    void infoGradient();
    void refusalBoxStandsOverTheWindow();
};

void ToolWindowsTest::createdOnceInOrder() {
    Session s;
    QCOMPARE(s.tools->creationOrder(),
             (QStringList{"TForm1", "TForm8", "TForm6", "TForm3", "TForm5", "TForm7", "TForm4"}));
    QCOMPARE(s.tools->window("TForm4")->size(), QSize(446, 263));
    QCOMPARE(s.tools->window("TForm6")->size(), QSize(474, 335));
    QCOMPARE(s.tools->window("TForm3")->size(), QSize(386, 235));
    QCOMPARE(s.tools->window("TForm4")->windowTitle(),
             QString("Xtal Parameter Calculator (3db method)                qx0zz"));
    QCOMPARE(s.tools->window("TForm6")->windowTitle(),
             QString("Xtal Parameter Calculator (G3UUR method)   "));
}

void ToolWindowsTest::xtal3dbFromTheMenu() {
    Session s;
    openFromMenu(s, "N3dbMethod1", "TForm4", [](QDialog* d) {
        QTRY_COMPARE(text(d, "Label5"), QString("74.90"));
        QCOMPARE(text(d, "AEdit6"), QString("1.41"));
        QCOMPARE(text(d, "Label6"), QString("13.52753"));
        QCOMPARE(text(d, "Label8"), QString("133333"));
        QVERIFY(d->findChild<QLineEdit*>("AEdit6")->isReadOnly());
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("AEdit2"));
        saveScreenshot(d);
        typeAndEnter(d, "AEdit3", "500");
        QCOMPARE(text(d, "Label5"), QString("37.45"));
        // Mode B: the attenuation is typed, the transmission follows.
        QTest::mouseClick(d->findChild<QRadioButton*>("RadioButton2"), Qt::LeftButton);
        QVERIFY(d->findChild<QLineEdit*>("AEdit4")->isReadOnly());
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("AEdit6"));
        typeAndEnter(d, "AEdit6", "6");
        QCOMPARE(text(d, "AEdit4"), QString("50.12"));
        QCOMPARE(text(d, "Label7"), QString("99.5"));
        // Mode C: the loss resistance field over its result.
        QTest::mouseClick(d->findChild<QCheckBox*>("CheckBox1"), Qt::LeftButton);
        auto* loss = d->findChild<QLineEdit*>("AEdit7");
        QVERIFY(loss->isVisible());
        QCOMPARE(loss->text(), QString("99.5"));
        QVERIFY(!d->findChild<QRadioButton*>("RadioButton1")->isVisible());
        saveScreenshot(d, "-loss-resistance");
        typeAndEnter(d, "AEdit7", "50");
        QCOMPARE(text(d, "AEdit4"), QString("66.67"));
    });
    // Opened again: mode C kept, the loss resistance field hidden, values kept.
    openFromMenu(s, "N3dbMethod1", "TForm4", [](QDialog* d) {
        QTRY_VERIFY(!d->findChild<QLineEdit*>("AEdit7")->isVisible());
        QCOMPARE(text(d, "AEdit3"), QString("500"));
        QCOMPARE(text(d, "Label7"), QString("50.0"));
    });
}

void ToolWindowsTest::g3uurFromTheMenu() {
    Session s;
    openFromMenu(s, "G3UURmethod1", "TForm6", [](QDialog* d) {
        QTRY_COMPARE(text(d, "Label7"), QString("15.598"));
        QCOMPARE(text(d, "Label8"), QString("25.379"));
        QCOMPARE(text(d, "Label15"), QString("7998.777"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("AEdit4"));
        saveScreenshot(d);
        typeAndEnter(d, "AEdit5", "0");
        typeAndEnter(d, "AEdit6", "0");
        QCOMPARE(text(d, "Label7"), QString("16.237"));
        QCOMPARE(text(d, "Label15"), QString("7999.200"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("AEdit4"));
        typeAndEnter(d, "AEdit3", "8002");
    });
    openFromMenu(s, "G3UURmethod1", "TForm6", [](QDialog* d) {
        // The frequencies open at their defaults; the capacitors keep theirs.
        QTRY_COMPARE(text(d, "AEdit3"), QString("8001.15"));
        QCOMPARE(text(d, "AEdit5"), QString("0"));
        QCOMPARE(text(d, "Label7"), QString("16.237"));
        // The Tab key skips Csw and C0.
        QWidget* w = d->findChild<QWidget*>("Button1");
        QStringList chain;
        for (int i = 0; i < 5; ++i, w = w->nextInFocusChain()) {
            while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
            chain << w->objectName();
        }
        QCOMPARE(chain, (QStringList{"Button1", "AEdit4", "AEdit3", "AEdit5", "AEdit6"}));
    });
}

void ToolWindowsTest::infoGradient() {
    Session s;
    openFromMenu(s, "Info1", "TForm3", [](QDialog* d) {
        saveScreenshot(d);
        const QImage image = d->grab().toImage();
        QCOMPARE(image.height(), 235);
        QCOMPARE(QColor(image.pixel(1, 0)), QColor(0, 0, 255));
        QCOMPARE(QColor(image.pixel(1, 117)), QColor(72, 127, 216));
        QCOMPARE(QColor(image.pixel(1, 234)), QColor(143, 254, 176));
        QCOMPARE(d->findChild<QLabel*>("Label1")->text(),
                 QString("Crystal Ladder Filter Program "));
        // Enlarged, the gradient spans the new height.
        d->resize(386, 470);
        const QImage tall = d->grab().toImage();
        QCOMPARE(QColor(tall.pixel(1, 0)), QColor(0, 0, 255));
        QCOMPARE(QColor(tall.pixel(1, 469)), QColor(144, 254, 176));
    });
}

void ToolWindowsTest::refusalBoxStandsOverTheWindow() {
    Session s;
    openFromMenu(s, "N3dbMethod1", "TForm4", [](QDialog* d) {
        QTRY_COMPARE(text(d, "Label5"), QString("74.90"));
        QString title, shown;
        QWidget* boxParent = nullptr;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            shown = box->text();
            boxParent = box->parentWidget();
            QCOMPARE(box->icon(), QMessageBox::Warning);
            box->button(QMessageBox::Ok)->click();
        });
        typeAndEnter(d, "AEdit4", "100");
        QCOMPARE(title, QString("Error"));
        QCOMPARE(shown, QString("Must be lower than 100%"));
        QCOMPARE(boxParent, d);
        QCOMPARE(text(d, "Label5"), QString("74.90"));
        // Still usable: the next measurement calculates.
        typeAndEnter(d, "AEdit4", "50");
        QCOMPARE(text(d, "Label7"), QString("100.0"));
    });
}

QTEST_MAIN(ToolWindowsTest)
#include "tool_windows_test.moc"
