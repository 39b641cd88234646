// Floating-point flags that other code left raised are never a fault of a
// window: with every flag raised before each action, the main window, the
// calculators, the response, VNA, ladder designer, prototype and tolerance
// windows all run without an error box. And an exception that a handler
// throws ends in a box, after which the program carries on.

#include "analysis/gui/response_window.h"
#include "analysis/gui/tolerance_window.h"
#include "app/gui/main_window.h"
#include "designer/gui/ladder_designer_window.h"
#include "gui/guarded_test_main.h"
#include "gui/whole_program.h"
#include "measurement/gui/vna_window.h"
#include "numeric/number_text.h"
#include "prototype/gui/prototype_window.h"
#include "response/gui/plot_view.h"
#include "support/crystal_sweeps.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cfenv>
#include <memory>
#include <stdexcept>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using namespace korvan;

namespace {

// Qt is not exception-safe: an exception that passes QApplication::notify
// on its way to the program's last net skips the destructors of what Qt
// made there (a copy of the mouse event, an accessibility pointer). The
// test of the last net throws through those frames on purpose, so the leak
// checker looks away from what this thread allocates meanwhile.
struct QtUnwindingLeaksIgnored {
    QtUnwindingLeaksIgnored() {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_disable();
#endif
    }
    ~QtUnwindingLeaksIgnored() {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_enable();
#endif
    }
};

// What code outside a calculation leaves behind: Qt, Eigen, the fit.
void raiseEveryFlag() {
    std::feraiseexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT);
}

// KORVAN_SCREENSHOT_DIR set: the window is also saved there as a picture.
void saveScreenshot(QWidget* w, const QString& name) {
    const QByteArray folder = qgetenv("KORVAN_SCREENSHOT_DIR");
    if (!folder.isEmpty()) w->grab().save(QString(folder) + "/" + name + ".png");
}

// Closes every message box that opens and keeps its text: a box the test
// does not expect must not block it.
class BoxWatcher : public QObject {
  public:
    BoxWatcher() {
        timer_.setInterval(20);
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    texts << box->windowTitle() + ": " + box->text();
                    saveScreenshot(box, box->objectName() + QString::number(texts.size()));
                    box->done(QMessageBox::Ok);
                }
        });
        timer_.start();
    }
    QStringList texts;

  private:
    QTimer timer_;
};

struct Program : test::WholeProgram {
    QStringList errorReports() const {
        QStringList out;
        for (const auto& shown : messages.shown())
            if (shown.message.icon == MsgIcon::Stop)
                out << QString::fromStdString(shown.message.text);
        return out;
    }
    tools::gui::ToolWindows* tools = &windows->tools();
    gui::ToleranceWindow* tolerance = &windows->tolerance();
};

// Opens a calculator from the menu, calculates in it with every flag raised
// and closes it again.
void calculateIn(Program& p, const char* action, const char* formName) {
    QDialog* dialog = p.tools->window(formName);
    QVERIFY2(dialog, formName);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(dialog->isVisible());
        raiseEveryFlag();
        if (auto* button = dialog->findChild<QPushButton*>("Button1"))
            QTest::mouseClick(button, Qt::LeftButton);
        raiseEveryFlag();
        if (auto* edit = dialog->findChild<widgets::TAEdit*>())
            QTest::keyClick(edit, Qt::Key_Return);
        ran = true;
        dialog->close();
    });
    raiseEveryFlag();
    p.window->menuAction(action)->trigger();
    QVERIFY2(ran, formName);
}

} // namespace

class FaultIsolationTest : public QObject {
    Q_OBJECT

  private slots:
    void raisedFlagsAreNoFaultOfAnyWindow();
    void exceptionFromAHandlerEndsInABox();
};

void FaultIsolationTest::raisedFlagsAreNoFaultOfAnyWindow() {
    BoxWatcher boxes;
    raiseEveryFlag();
    QCOMPARE(numeric::formatFixed(4998999.99999981746078L, 30, 1, '.'), std::string("4999000.0"));
    raiseEveryFlag();
    QCOMPARE(numeric::formatGeneral(4.9989999e6L, '.'), std::string("4998999.9"));

    Program p;
    raiseEveryFlag();
    p.window->startUp();
    raiseEveryFlag();
    QTest::mouseClick(p.window->findChild<QToolButton*>("SpeedButton1"), Qt::LeftButton);
    QVERIFY(p.form->lastCalculationComplete());
    raiseEveryFlag();
    QTest::mouseMove(p.window->plot(), QPoint(200, 100));

    calculateIn(p, "N3dbMethod1", "TForm4");
    calculateIn(p, "G3UURmethod1", "TForm6");
    calculateIn(p, "Cs2Cp1", "TForm8");
    calculateIn(p, "Match1", "TForm5");
    calculateIn(p, "XtalTuning1", "TForm7");
    calculateIn(p, "Info1", "TForm3");
    raiseEveryFlag();
    p.window->menuAction("Screenshot1")->trigger(); // the snapshot file, then the flash
    QVERIFY(QFileInfo(p.dir.filePath("Filter.bmp")).size() > 0);

    // The response window, its table and a saved CSV.
    raiseEveryFlag();
    p.window->findChild<QAction*>("ResponseDetails")->trigger();
    auto* response = p.window->findChild<analysis::gui::ResponseWindow*>();
    QVERIFY(response && response->isVisible());
    const QString csv = p.dir.filePath("response.csv");
    response->setFileChooser([csv](const QString&, const QString&, const QString&) { return csv; });
    raiseEveryFlag();
    QTest::mouseClick(response->findChild<QPushButton*>("SaveCsv"), Qt::LeftButton);
    QVERIFY(QFileInfo(csv).size() > 0);

    // The VNA window: generated sweeps through its file dialog.
    test::CrystalSweep a, b;
    a.fsHz = 4.9990e6, a.lmH = 0.070, a.rmOhm = 25, a.cpF = 3.8e-12, a.seed = 4;
    b.fsHz = 4.9975e6, b.lmH = 0.055, b.rmOhm = 12, b.cpF = 4.4e-12, b.seed = 5;
    b.withParallelResonance = true, b.points = 1601;
    a.write(p.dir.filePath("a.s2p").toStdString());
    b.write(p.dir.filePath("b.s2p").toStdString());
    raiseEveryFlag();
    p.window->findChild<QAction*>("VnaMeasurement1")->trigger();
    auto* vna = p.window->findChild<gui::VnaWindow*>("TFormVNA");
    QVERIFY(vna && vna->isVisible());
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setDirectory(p.dir.path());
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"a.s2p\" \"b.s2p\"");
        raiseEveryFlag();
        static_cast<QDialog*>(dialog)->accept();
    });
    raiseEveryFlag();
    QTest::mouseClick(vna->findChild<QPushButton*>("OpenButton"), Qt::LeftButton);
    QCOMPARE(vna->findChild<QTableWidget*>("CrystalTable")->rowCount(), 2);
    QTest::qWait(100); // the chart lays out its axes on the next events
    saveScreenshot(vna, "TFormVNA-raised-flags");
    raiseEveryFlag();
    vna->findChild<QTableWidget*>("CrystalTable")->selectRow(1);
    raiseEveryFlag();
    QTest::mouseClick(vna->findChild<QPushButton*>("UseInDesign"), Qt::LeftButton);
    QVERIFY(p.form->lastCalculationComplete());

    // The ladder designer with the VNA window's set of two, and the
    // prototype coefficients.
    vna->findChild<QSpinBox*>("SetsOfN")->setValue(2);
    raiseEveryFlag();
    QTest::mouseClick(vna->findChild<QPushButton*>("DesignWithSet"), Qt::LeftButton);
    auto* ladder = p.window->findChild<designer::gui::LadderDesignerWindow*>("TFormLadderDesigner");
    QVERIFY(ladder && ladder->isVisible());
    QSignalSpy designed(ladder, &designer::gui::LadderDesignerWindow::designFinished);
    raiseEveryFlag();
    QTest::mouseClick(ladder->findChild<QPushButton*>("DesignButton"), Qt::LeftButton);
    QVERIFY(designed.wait(60000));
    saveScreenshot(ladder, "TFormLadderDesigner-raised-flags");
    raiseEveryFlag();
    p.window->findChild<QAction*>("PrototypeCoefficients1")->trigger();
    auto* coefficients = p.window->findChild<QWidget*>("TFormPrototype");
    QVERIFY(coefficients && coefficients->isVisible());
    raiseEveryFlag();
    coefficients->findChild<QSpinBox*>()->setValue(7);
    saveScreenshot(coefficients, "TFormPrototype-raised-flags");

    // The tolerance window: a short run.
    raiseEveryFlag();
    p.tolerance->open();
    p.tolerance->findChild<QSpinBox*>("TrialsEdit")->setValue(200);
    QSignalSpy finished(p.tolerance, &gui::ToleranceWindow::runFinished);
    raiseEveryFlag();
    QTest::mouseClick(p.tolerance->findChild<QPushButton*>("RunButton"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));

    QCOMPARE(p.errorReports(), QStringList());
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(static_cast<gui::GuardedApplication*>(qApp)->failuresCaught(), 0);
}

void FaultIsolationTest::exceptionFromAHandlerEndsInABox() {
    const QtUnwindingLeaksIgnored throwsThroughQt;
    BoxWatcher boxes;
    QWidget window;
    auto* guarded = new QPushButton("guarded", &window);
    auto* unguarded = new QPushButton("unguarded", &window);
    int after = 0;
    QObject::connect(guarded, &QPushButton::clicked, &window,
                     gui::guardedSlot(&window, "Test window",
                                      [] { throw std::runtime_error("The handler failed"); }));
    // Nothing in the handler catches: only the application's net is left.
    QObject::connect(unguarded, &QPushButton::clicked, &window, [&after] {
        ++after;
        throw std::out_of_range("Escaped the handler");
    });
    window.show();
    const int before = static_cast<gui::GuardedApplication*>(qApp)->failuresCaught();

    QTest::mouseClick(guarded, Qt::LeftButton);
    QTRY_COMPARE(boxes.texts, QStringList{"Test window: The handler failed."});
    QCOMPARE(static_cast<gui::GuardedApplication*>(qApp)->failuresCaught(), before);

    QTest::mouseClick(unguarded, Qt::LeftButton);
    QTRY_COMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.texts.back(), QString("KORVAN: Escaped the handler."));
    QCOMPARE(static_cast<gui::GuardedApplication*>(qApp)->failuresCaught(), before + 1);

    // The program carries on: the next click is handled as any other.
    QTest::mouseClick(unguarded, Qt::LeftButton);
    QCOMPARE(after, 2);
    QTRY_COMPARE(boxes.texts.size(), 3);
}

KORVAN_GUI_TEST_MAIN(FaultIsolationTest)

#include "fault_isolation_test.moc"
