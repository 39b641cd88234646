// The ladder designer driven as a user would: sweep files opened in the VNA
// window, "Design with this set…", a family chosen, Design pressed, the
// build sheet and a Touchstone file saved through the file chooser, the
// tolerance analysis of the ladder; and the refusals, each shown as a box.

#include "analysis/exact_figures.h"
#include "analysis/gui/tolerance_window.h"
#include "app/gui/main_window.h"
#include "designer/gui/crystal_table.h"
#include "designer/gui/ladder_designer_window.h"
#include "gui/guarded_test_main.h"
#include "gui/whole_program.h"
#include "measurement/gui/vna_window.h"
#include "measurement/touchstone_reader.h"
#include "support/crystal_sweeps.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <numbers>
#include <sstream>

using namespace korvan;
using designer::gui::LadderDesignerWindow;

class LadderDesignerTest : public QObject {
    Q_OBJECT

  private slots:
    void fromAVnaSetToASavedBuildSheet();
    void refusalsAreShownAsBoxes();
};

namespace {

template <typename T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no %s", name);
    return c;
}

// Answers the next file chooser with `names` (in `dir`).
void answerFileDialog(const QString& dir, const QString& names, bool* seen) {
    QTimer::singleShot(0, [dir, names, seen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        *seen = true;
        dialog->setDirectory(dir);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(names);
        static_cast<QDialog*>(dialog)->accept();
    });
}

std::string fileText(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

analysis::Crystal crystalAt(double fsHz, double lmH, double cpF, double rmOhm) {
    const double w = 2 * std::numbers::pi * fsHz;
    return {lmH, 1 / (w * w * lmH), rmOhm, cpF};
}

} // namespace

void LadderDesignerTest::fromAVnaSetToASavedBuildSheet() {
    // The program as the start-up code builds and wires it.
    test::WholeProgram program;
    QTemporaryDir& dir = program.dir;
    ScriptedMessages& messages = program.messages;
    gui::MainWindow& window = *program.window;
    gui::ToleranceWindow& tolerance = program.windows->tolerance();
    const double offsetsHz[] = {0, 35, 70, 110, 150, 185, 900, 20};
    QStringList names;
    for (int i = 0; i < 8; ++i) {
        test::CrystalSweep s;
        s.fsHz = 8e6 + offsetsHz[i], s.lmH = 0.015, s.cpF = 5e-12, s.rmOhm = 10 + i;
        s.withParallelResonance = true, s.points = 1601, s.seed = static_cast<unsigned>(i + 11);
        s.write(dir.filePath(QString("x%1.s2p").arg(i)).toStdString());
        names << QString("\"x%1.s2p\"").arg(i);
    }

    auto* xtal = window.findChild<QMenu*>("Xtal1");
    // "Ladder designer…" right after "VNA Measurement…".
    const auto actions = xtal->actions();
    const auto vnaItem = actions.indexOf(window.findChild<QAction*>("VnaMeasurement1"));
    QVERIFY(vnaItem >= 0 && vnaItem + 1 < actions.size());
    QCOMPARE(actions[vnaItem]->text(), QString("VNA Measurement…"));
    QCOMPARE(actions[vnaItem + 1]->text(), QString("Ladder designer…"));
    window.startUp();
    messages.clear(); // the start-up box about the missing settings file

    window.findChild<QAction*>("VnaMeasurement1")->trigger();
    auto* vna = window.findChild<gui::VnaWindow*>("TFormVNA");
    bool seen = false;
    answerFileDialog(dir.path(), names.join(' '), &seen);
    QTest::mouseClick(child<QPushButton>(*vna, "OpenButton"), Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(child<QTableWidget>(*vna, "CrystalTable")->rowCount(), 8);
    child<QSpinBox>(*vna, "SetsOfN")->setValue(6); // selects the best set of six
    auto* designWith = child<QPushButton>(*vna, "DesignWithSet");
    QVERIFY(designWith->isEnabled());
    QTest::mouseClick(designWith, Qt::LeftButton);

    auto* ladder = window.findChild<LadderDesignerWindow*>("TFormLadderDesigner");
    QVERIFY(ladder && ladder->isVisible());
    auto* crystals = child<QTableWidget>(*ladder, "CrystalTable");
    QCOMPARE(crystals->rowCount(), 6);
    QCOMPARE(child<QSpinBox>(*ladder, "PolesSpin")->value(), 6);
    for (int row = 0; row < 6; ++row) QVERIFY(crystals->item(row, 0)->text() != "x6.s2p");
    QVERIFY(child<QLabel>(*ladder, "CrystalsSource")->text().contains("set 1"));

    auto* family = child<QComboBox>(*ladder, "FamilyCombo");
    family->setCurrentIndex(family->findData("legendre"));
    QVERIFY(!child<QDoubleSpinBox>(*ladder, "RippleSpin")->isEnabled());
    auto* compensation = child<QComboBox>(*ladder, "CompensationCombo");
    compensation->setCurrentIndex(compensation->findData("predistort"));
    child<QDoubleSpinBox>(*ladder, "BandwidthSpin")->setValue(2400);
    QSignalSpy finished(ladder, &LadderDesignerWindow::designFinished);
    QTest::mouseClick(child<QPushButton>(*ladder, "DesignButton"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));
    QVERIFY2(ladder->designed(), qPrintable(child<QLabel>(*ladder, "RefusalLabel")->text()));
    QVERIFY2(messages.shown().empty(),
             messages.shown().empty() ? "" : messages.shown()[0].message.text.c_str());

    // What the window shows is the ladder: rebuilt from the positions and
    // analysed exactly, lossy, it has the bandwidth asked.
    const auto& d = ladder->designed()->result.design;
    QCOMPARE(child<QTableWidget>(*ladder, "PositionsTable")->rowCount(), 6);
    QCOMPARE(child<QTableWidget>(*ladder, "CouplingsTable")->rowCount(), 5);
    analysis::LadderModel model{d.sourceOhm, d.loadOhm, {}, d.couplingF};
    for (const auto& p : d.positions) model.arms.push_back({{p.crystal.model}, p.csF});
    const auto figures = analysis::exactFigures(model, d.designHz);
    QVERIFY(figures && figures->levels[0].bandwidthHz());
    QVERIFY(std::abs(*figures->levels[0].bandwidthHz() - 2400) < 24);
    QVERIFY(d.predistortion && d.predistortion->prototypeLossDb > 0.5);
    const QString summary = child<QLabel>(*ladder, "SummaryLabel")->text();
    QVERIFY2(summary.contains("legendre") && summary.contains("Predistorted") &&
                 summary.contains("Placement objective"),
             qPrintable(summary));
    QCOMPARE(child<QChartView>(*ladder, "ResponseChart")->chart()->series().size(), 4);

    // The build sheet as CSV and as PDF, and a Touchstone file.
    for (const char* name : {"sheet.csv", "sheet.pdf"}) {
        seen = false;
        answerFileDialog(dir.path(), name, &seen);
        QTest::mouseClick(child<QPushButton>(*ladder, "BuildSheetButton"), Qt::LeftButton);
        QVERIFY(seen);
    }
    const std::string csv = fileText(dir.filePath("sheet.csv"));
    QVERIFY(csv.find("family,legendre\r\n") != std::string::npos);
    QVERIFY(csv.find("compensate,predistort\r\n") != std::string::npos);
    for (const auto& p : d.positions)
        QVERIFY(csv.find("," + p.crystal.name + ",") != std::string::npos);
    const std::string pdf = fileText(dir.filePath("sheet.pdf"));
    QCOMPARE(pdf.substr(0, 5), std::string("%PDF-"));
    QVERIFY(pdf.size() > 5000);
    seen = false;
    answerFileDialog(dir.path(), "ladder", &seen); // the filter's extension is added
    QTest::mouseClick(child<QPushButton>(*ladder, "TouchstoneButton"), Qt::LeftButton);
    const auto s2p = measurement::parseTouchstone(fileText(dir.filePath("ladder.s2p")), 2);
    QVERIFY(std::abs(s2p.referenceOhm - d.sourceOhm) < 1e-9 * d.sourceOhm);
    QVERIFY(messages.shown().empty());

    // Its tolerances, in the tolerance window.
    QTest::mouseClick(child<QPushButton>(*ladder, "ToleranceButton"), Qt::LeftButton);
    QVERIFY(tolerance.isVisible() && tolerance.analysingGivenLadder());
    QVERIFY(tolerance.windowTitle().contains("ladder designer"));
    child<QSpinBox>(tolerance, "TrialsEdit")->setValue(40);
    QSignalSpy ran(&tolerance, &gui::ToleranceWindow::runFinished);
    QTest::mouseClick(child<QPushButton>(tolerance, "RunButton"), Qt::LeftButton);
    QVERIFY(ran.wait(60000));
    QVERIFY(tolerance.lastResult() && tolerance.lastResult()->completed == 40);
    QVERIFY(std::abs(*tolerance.lastResult()->nominal.value[analysis::kBw3] - 2400) < 48);
    tolerance.open(); // from the main plot: back to the main design
    QVERIFY(!tolerance.analysingGivenLadder());
}

void LadderDesignerTest::refusalsAreShownAsBoxes() {
    QTemporaryDir dir;
    ScriptedMessages messages;
    LadderDesignerWindow window('.', messages, {});
    const double fs[] = {8000017, 7999933, 7999940, 7999945, 7999985, 7999996};
    std::vector<designer::NamedCrystal> six;
    for (int i = 0; i < 6; ++i)
        six.push_back({"X" + std::to_string(i + 1), crystalAt(fs[i], 15.5e-3, 5e-12, 12)});
    auto tooHigh = six;
    tooHigh[4].model = crystalAt(8000400, 15.5e-3, 5e-12, 12); // its mesh lies above position 2's
    struct Case {
        const char* what;
        std::vector<designer::NamedCrystal> crystals;
        int poles;
        double bandwidthHz;
        bool keepOrder;
        const char* cell; // typed into row 1's Lm, or nullptr
        const char* message;
    } cases[] = {
        {"too few crystals",
         {six.begin(), six.begin() + 3},
         6,
         2400,
         false,
         nullptr,
         "fewer than the 6 poles"},
        {"an unreachable crystal", tooHigh, 6, 2400, true, nullptr,
         "crystal 'X5' cannot reach the mesh frequency"},
        {"too wide a bandwidth", six, 6, 60000, false, nullptr, "is wider than"},
        {"a cell that is no number", six, 6, 2400, false, "fifteen",
         "Lm 'fifteen' is not a number"},
    };
    for (const Case& c : cases) {
        window.takeCrystals(c.crystals, "the test");
        child<QSpinBox>(window, "PolesSpin")->setValue(c.poles);
        child<QDoubleSpinBox>(window, "BandwidthSpin")->setValue(c.bandwidthHz);
        child<QCheckBox>(window, "KeepOrderCheck")->setChecked(c.keepOrder);
        if (c.cell) child<QTableWidget>(window, "CrystalTable")->item(0, 2)->setText(c.cell);
        messages.clear();
        QTest::mouseClick(child<QPushButton>(window, "DesignButton"), Qt::LeftButton);
        QTRY_VERIFY2_WITH_TIMEOUT(!messages.shown().empty(), c.what, 60000);
        QTRY_VERIFY(!window.running());
        const auto& box = messages.shown().back().message;
        QVERIFY2(box.text.find(c.message) != std::string::npos, box.text.c_str());
        QCOMPARE(box.icon, MsgIcon::Exclamation);
        QVERIFY2(!window.designed(), c.what);
        QVERIFY(!child<QPushButton>(window, "BuildSheetButton")->isEnabled());
        QVERIFY(!child<QLabel>(window, "RefusalLabel")->isHidden());
    }

    // A list with a bad row: the box names it and asks; yes imports the rest.
    const QString list = dir.filePath("crystals.csv");
    std::ofstream(list.toStdString()) << "file,fs_Hz,Lm_H,Rm_Ohm,Cp_F\n"
                                         "a.s2p,8000000,0.015,10,5e-12\n"
                                         "b.s2p,8000050,-0.015,10,5e-12\n"
                                         "c.s2p,8000080,0.015,11,5e-12\n";
    messages.clear();
    messages.script(MsgAnswer::Yes);
    bool seen = false;
    answerFileDialog(dir.path(), "crystals.csv", &seen);
    QTest::mouseClick(child<QPushButton>(window, "ImportButton"), Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(messages.shown().size(), std::size_t(1));
    QVERIFY(messages.shown()[0].message.text.find("line 3") != std::string::npos);
    auto* table = child<QTableWidget>(window, "CrystalTable");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 0)->text(), QString("c.s2p"));
}

KORVAN_GUI_TEST_MAIN(LadderDesignerTest)
#include "ladder_designer_test.moc"
