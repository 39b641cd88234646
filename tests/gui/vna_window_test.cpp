// The VNA window driven as a user would: the menu item, the file dialog,
// a row of the table and "Use in design" into the main window's fields.

#include "app/gui/main_window.h"
#include "gui/guarded_test_main.h"
#include "measurement/gui/vna_window.h"
#include "numeric/number_text.h"
#include "support/crystal_sweeps.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace korvan;

class VnaWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void menuItemComesLastAfterASeparator();
    void openedCrystalGoesIntoTheDesign();
};

void VnaWindowTest::menuItemComesLastAfterASeparator() {
    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, dir.path().toStdString(), '.');
    gui::MainWindow window(form, messages);
    const auto before = window.findChild<QMenu*>("Xtal1")->actions();
    gui::installVnaMeasurement(form, window);
    const auto after = window.findChild<QMenu*>("Xtal1")->actions();
    QCOMPARE(after.size(), before.size() + 2);
    for (int i = 0; i < before.size(); ++i) QCOMPARE(after[i], before[i]);
    QVERIFY(after[before.size()]->isSeparator());
    QCOMPARE(after.back()->text(), QString("VNA Measurement…"));
}

void VnaWindowTest::openedCrystalGoesIntoTheDesign() {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    test::CrystalSweep a, b;
    a.fsHz = 4.9990e6, a.lmH = 0.070, a.rmOhm = 25, a.cpF = 3.8e-12, a.seed = 4;
    b.fsHz = 4.9975e6, b.lmH = 0.055, b.rmOhm = 12, b.cpF = 4.4e-12, b.seed = 5;
    b.withParallelResonance = true, b.points = 1601;
    a.write(dir.filePath("a.s2p").toStdString());
    b.write(dir.filePath("b.s2p").toStdString());

    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, dir.path().toStdString(), '.');
    gui::MainWindow window(form, messages);
    gui::installVnaMeasurement(form, window);
    window.startUp();
    window.findChild<QAction*>("VnaMeasurement1")->trigger();
    auto* vna = window.findChild<gui::VnaWindow*>("TFormVNA");
    QVERIFY(vna && vna->isVisible());

    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialogSeen = true;
        dialog->setDirectory(dir.path());
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"a.s2p\" \"b.s2p\"");
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog reads the names here
    });
    QTest::mouseClick(vna->findChild<QPushButton*>("OpenButton"), Qt::LeftButton);
    QVERIFY(dialogSeen);

    auto* table = vna->findChild<QTableWidget*>("CrystalTable");
    QCOMPARE(table->rowCount(), 2);
    int rowOfB = -1;
    for (int row = 0; row < 2; ++row)
        if (table->item(row, 0)->text() == "b.s2p") rowOfB = row;
    QVERIFY(rowOfB >= 0);
    // The user chose Cm before: "Use in design" must switch back to Lm.
    for (auto* radio : window.findChildren<QRadioButton*>())
        if (radio->text() == "Cm") radio->click();
    QCOMPARE(form.form().at("RadioGroup1").itemIndex, 1);
    table->selectRow(rowOfB);
    QTest::mouseClick(vna->findChild<QPushButton*>("UseInDesign"), Qt::LeftButton);

    const auto field = [&](int n) {
        return static_cast<double>(numeric::toNumber(window.edit(n)->text().toStdString(), '.'));
    };
    QVERIFY(std::abs(field(1) / 55.0 - 1) < 0.005);
    QVERIFY(std::abs(field(2) * 1e3 - b.fsHz) < 0.5);
    QVERIFY(std::abs(field(3) / 4.4 - 1) < 0.02);
    QVERIFY(std::abs(field(8) / 12.0 - 1) < 0.02);
    QCOMPARE(form.form().at("RadioGroup1").itemIndex, 0);
    // "Calculate" ran with these fields.
    QVERIFY(form.lastCalculationComplete());
    QCOMPARE(form.state().fs, field(2) * 1000);
}

KORVAN_GUI_TEST_MAIN(VnaWindowTest)
#include "vna_window_test.moc"
