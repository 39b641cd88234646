// The VNA window driven as a user would: the menu item, the file dialog,
// a row of the table and "Use in design" into the main window's fields.

#include "app/gui/main_window.h"
#include "measurement/gui/vna_window.h"
#include "numeric/number_text.h"
#include "support/crystal_sweeps.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
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
    void noisySetGoesIntoTheDesignWithItsPoleCount();
};

void VnaWindowTest::menuItemComesLastAfterASeparator() {
    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, dir.path().toStdString(), '.');
    gui::MainWindow window(form, messages);
    const auto before = window.findChild<QMenu*>("Xtal1")->actions();
    gui::installVnaMeasurement(window, '.', [&window](const auto& c) { window.useCrystal(c); });
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
    gui::installVnaMeasurement(window, '.', [&window](const auto& c) { window.useCrystal(c); });
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

// NanoVNA sweeps with a noise floor: the warnings show in the table, a set
// with an outlier says so, and "Use set 1 in design" brings its pole count.
void VnaWindowTest::noisySetGoesIntoTheDesignWithItsPoleCount() {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const double offsetsHz[] = {0, 6, 12, 3000};
    QStringList names;
    for (int i = 0; i < 4; ++i) {
        const auto s = test::nanoVnaSweep(9.9987e6 + offsetsHz[i], 0.012, 9.6 + i, 4.2e-12, 9.975e6,
                                          10.045e6, static_cast<unsigned>(i + 1));
        names << QString("\"n%1.s2p\"").arg(i);
        s.write(dir.filePath(QString("n%1.s2p").arg(i)).toStdString());
    }
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, dir.path().toStdString(), '.');
    gui::MainWindow window(form, messages);
    gui::installVnaMeasurement(window, '.', [&window](const auto& c) { window.useCrystal(c); });
    window.startUp();
    window.findChild<QAction*>("VnaMeasurement1")->trigger();
    auto* vna = window.findChild<gui::VnaWindow*>("TFormVNA");
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setDirectory(dir.path());
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(names.join(' '));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(vna->findChild<QPushButton*>("OpenButton"), Qt::LeftButton);
    auto* table = vna->findChild<QTableWidget*>("CrystalTable");
    QCOMPARE(table->rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        QVERIFY2(table->item(row, 11)->text().contains("noise floor near -7"),
                 qPrintable(table->item(row, 11)->text()));
        QVERIFY(std::abs(table->item(row, 10)->text().toDouble() - 1) < 0.2);
    }
    QVERIFY(vna->findChild<QLabel*>("SetWarnings")->isHidden());

    vna->findChild<QSpinBox*>("SetsOfN")->setValue(4);
    auto* warnings = vna->findChild<QLabel*>("SetWarnings");
    QVERIFY(!warnings->isHidden());
    QVERIFY2(warnings->text().contains("outlier n3.s2p"), qPrintable(warnings->text()));
    QVERIFY(warnings->text().contains("spread"));
    auto* use = vna->findChild<QPushButton*>("UseInDesign");
    QCOMPARE(use->text(), QString("Use set 1 in design (4 poles)"));
    QTest::mouseClick(use, Qt::LeftButton);
    QCOMPARE(window.edit(6)->text(), QString("4"));
    QVERIFY(form.lastCalculationComplete());
    QCOMPARE(form.state().Poles, 4);
}

QTEST_MAIN(VnaWindowTest)
#include "vna_window_test.moc"
