// A built filter's measurement laid over the design and diagnosed, in both
// windows that show a ladder's response: the response window (opened from
// the main plot after a calculation) and the ladder designer (a design
// from crystals). The measurement is synthetic, of the design with one
// mesh detuned, through a fixture, with the analyser's noise; it is opened
// through the window's file chooser, the fixture given, and Diagnose must
// name the detuned mesh. Files the overlay cannot use are refused with a
// message, and the window carries on.

#include "analysis/exact_figures.h"
#include "analysis/gui/response_window.h"
#include "app/gui/main_window.h"
#include "designer/gui/ladder_designer_window.h"
#include "gui/guarded_test_main.h"
#include "measurement/gui/fixture_dialog.h"
#include "measurement/gui/overlay_panel.h"
#include "support/built_ladder.h"

#include <QAbstractButton>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <numbers>

using namespace korvan;
using measurement::Fixture;
using measurement::PortFixture;
using measurement::gui::MeasurementOverlay;

namespace {

// The ladder as built: mesh `mesh` (0-based) detuned by `hz` through its
// crystals' fs.
analysis::LadderModel detuned(analysis::LadderModel ladder, std::size_t mesh, double hz) {
    for (auto& x : ladder.arms[mesh].crystals) {
        const double fs = 1 / (2 * std::numbers::pi * std::sqrt(x.lmH * x.cmF)) + hz;
        x.cmF = 1 / (std::pow(2 * std::numbers::pi * fs, 2) * x.lmH);
    }
    return ladder;
}

// 1601 points over the 3 dB band and 1.5 bandwidths either side.
std::vector<double> sweepOver(const analysis::LadderModel& ladder, double centreHz) {
    const auto x = analysis::exactFigures(ladder, centreHz);
    if (!x || !x->levels[0].bandwidthHz()) qFatal("the design has no 3 dB band");
    const double low = *x->levels[0].lowHz, high = *x->levels[0].highHz, bw = high - low;
    std::vector<double> f;
    for (int k = 0; k < 1601; ++k) f.push_back(low - 1.5 * bw + 4 * bw * k / 1600);
    return f;
}

QString write(const QTemporaryDir& dir, const QString& name, const std::string& text) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(text.data(), static_cast<qint64>(text.size()));
    return file.fileName();
}

Fixture both(PortFixture p) {
    return {p, p};
}

// Overlays `path` through the panel's own action, the file chooser and the
// fixture dialog scripted.
void overlayThroughDialogs(MeasurementOverlay& overlay, const QString& path,
                           const Fixture& fixture) {
    overlay.setOpenChooser([path](const QString&, const QString&) { return path; });
    overlay.setFixtureChooser(
        [fixture](const Fixture&, const std::optional<Fixture>&) { return fixture; });
    QTest::mouseClick(overlay.findChild<QPushButton*>("OverlayMeasurement"), Qt::LeftButton);
}

int measuredCurves(QChart* chart) {
    int n = 0;
    for (QAbstractSeries* s : chart->series())
        if (s->name().contains("meas.") || s->name().contains("fit")) ++n;
    return n;
}

// Overlays a measurement of `design` with `mesh` detuned, diagnoses it and
// checks what the panel shows.
void overlayAndDiagnose(MeasurementOverlay& overlay, QChart* chart, const QTemporaryDir& dir,
                        const analysis::LadderModel& design, double centreHz, double padOhm,
                        std::size_t mesh) {
    const auto truth = detuned(design, mesh, 90);
    const double z1 = padOhm > 0 ? 50 + padOhm : design.sourceOhm;
    const double z2 = padOhm > 0 ? 50 + padOhm : design.loadOhm;
    const auto data =
        test::measureBuilt(truth, z1, z2, padOhm, sweepOver(design, centreHz), {.seed = 7});
    const QString path = write(dir, "built.s2p", test::touchstoneText(data));
    PortFixture port;
    if (padOhm > 0) {
        port.kind = PortFixture::Kind::SeriesPad;
        port.padOhm = padOhm;
    } else {
        port.kind = PortFixture::Kind::Transformer;
        port.turnsRatio = std::sqrt(design.sourceOhm / 50);
    }
    overlayThroughDialogs(overlay, path, both(port));
    QVERIFY2(overlay.hasOverlay(), qPrintable(overlay.statusText()));
    QCOMPARE(measuredCurves(chart), 3); // S21, S11, delay
    // Design and measurement side by side; the detuned mesh costs ripple.
    QTableWidget* figures = overlay.figuresTable();
    QCOMPARE(figures->item(0, 0)->text(), QString("IL [dB]"));
    for (int row : {0, 1, 2, 3})
        for (int column : {1, 2}) QVERIFY(figures->item(row, column)->text() != "-");
    QVERIFY(figures->item(1, 2)->text() != figures->item(1, 1)->text());

    QSignalSpy done(&overlay, &MeasurementOverlay::diagnosisFinished);
    QTest::mouseClick(overlay.findChild<QPushButton*>("Diagnose"), Qt::LeftButton);
    QVERIFY(done.wait(60000));
    QVERIFY2(overlay.diagnosis() && overlay.diagnosis()->converged,
             qPrintable(overlay.statusText()));
    const QString report = overlay.reportText();
    const QString meshName = QString("Mesh %1 resonates").arg(mesh + 1);
    QVERIFY2(report.contains(". " + meshName), qPrintable(report));
    QVERIFY2(report.contains("+-"), qPrintable(report));
    QCOMPARE(measuredCurves(chart), 4); // and the fitted S21
}

// With KORVAN_SCREENSHOT_DIR set (a folder), the window as it is now, for a
// look at it under a real display.
void screenshot(QWidget& window, const char* name) {
    const QString folder = qEnvironmentVariable("KORVAN_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return;
    QTest::qWait(300);
    window.grab().save(folder + "/" + name);
}

struct MainSession {
    MainSession() {
        QDir::setCurrent(dir.path());
        form = std::make_unique<MainForm>(messages, clipboard, dir.path().toStdString(), '.');
        window = std::make_unique<gui::MainWindow>(*form, messages);
        analysis::gui::installResponseWindow(*window, *window->plotContextMenu(), form->outcomes(),
                                             messages);
        window->startUp();
        messages.clear();
    }
    analysis::gui::ResponseWindow* open() {
        for (QAction* a : window->plotContextMenu()->actions())
            if (a->objectName() == "ResponseDetails") a->trigger();
        return window->findChild<analysis::gui::ResponseWindow*>();
    }
    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form;
    std::unique_ptr<gui::MainWindow> window;
};

} // namespace

class OverlayTest : public QObject {
    Q_OBJECT

  private slots:
    void responseWindowThroughPads();
    void ladderDesignerThroughTransformers();
    void filesThatDoNotFitAreRefused();
};

void OverlayTest::responseWindowThroughPads() {
    MainSession s;
    QTest::mouseClick(s.window->findChild<QAbstractButton*>("SpeedButton1"), Qt::LeftButton);
    auto* w = s.open();
    QVERIFY(w && s.form->outcome());
    const analysis::LadderModel design = s.form->outcome()->ladder();
    const double fm = s.form->outcome()->state().fm;
    overlayAndDiagnose(w->overlay(), w->chart(), s.dir, design, fm, 470, 2);
    QVERIFY2(s.messages.shown().empty(), s.messages.shown()[0].message.text.c_str());
    screenshot(*w, "response-overlay.png");

    // A new calculation: the overlay stays and is drawn over it; the
    // diagnosis was of the earlier design.
    QTest::mouseClick(s.window->findChild<QAbstractButton*>("SpeedButton1"), Qt::LeftButton);
    QVERIFY(w->overlay().hasOverlay() && !w->overlay().diagnosis());
    QCOMPARE(measuredCurves(w->chart()), 3);
    QTest::mouseClick(w->overlay().findChild<QPushButton*>("ClearOverlay"), Qt::LeftButton);
    QCOMPARE(measuredCurves(w->chart()), 0);
    QCOMPARE(w->chart()->series().size(), 3);
}

void OverlayTest::ladderDesignerThroughTransformers() {
    QTemporaryDir dir;
    ScriptedMessages messages;
    designer::gui::LadderDesignerWindow window('.', messages, {});
    std::vector<designer::NamedCrystal> six;
    const double fs[] = {8000017, 7999933, 7999940, 7999945, 7999985, 7999996};
    for (int i = 0; i < 6; ++i) {
        const double w = 2 * std::numbers::pi * fs[i];
        six.push_back({"X" + std::to_string(i + 1), {15.5e-3, 1 / (w * w * 15.5e-3), 12, 5e-12}});
    }
    window.takeCrystals(six, "the test");
    window.findChild<QDoubleSpinBox*>("BandwidthSpin")->setValue(2400);
    QSignalSpy finished(&window, &designer::gui::LadderDesignerWindow::designFinished);
    QTest::mouseClick(window.findChild<QPushButton*>("DesignButton"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));
    QVERIFY(window.designed());
    const auto& d = window.designed()->result.design;
    QChart* chart = window.findChild<QChartView*>("ResponseChart")->chart();
    overlayAndDiagnose(window.overlay(), chart, dir, window.designed()->sheet.ideal, d.designHz, 0,
                       3);
    QVERIFY(messages.shown().empty());
    window.findChild<QTabWidget*>("ResultTabs")->setCurrentWidget(&window.overlay());
    screenshot(window, "designer-overlay.png");
    measurement::gui::FixtureDialog fixtureDialog(both({PortFixture::Kind::SeriesPad, 470}),
                                                  Fixture{}, &window);
    screenshot(fixtureDialog, "fixture-dialog.png");
}

void OverlayTest::filesThatDoNotFitAreRefused() {
    MainSession s;
    auto* w = s.open();
    const analysis::LadderModel design = s.form->outcome()->ladder();
    const double fm = s.form->outcome()->state().fm;
    const auto f = sweepOver(design, fm);
    // Another pole count: the same ladder less two meshes.
    analysis::LadderModel fewer = design;
    fewer.arms.erase(fewer.arms.begin() + 1, fewer.arms.begin() + 3);
    fewer.couplingF.erase(fewer.couplingF.begin() + 1, fewer.couplingF.begin() + 3);
    std::vector<double> above;
    for (double fi : f) above.push_back(fi + 3 * (f.back() - f.front()));
    const Fixture direct;
    const std::string two = test::touchstoneText(
        test::measureBuilt(design, design.sourceOhm, design.loadOhm, 0, f, {}));
    const struct Case {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"reflection.s1p", "# Hz S RI R 50\n1e6 0.1 0\n2e6 0.2 0\n", "one-port"},
        {"three.s3p", "# Hz S RI R 50\n", "3-port"},
        {"above.s2p",
         test::touchstoneText(
             test::measureBuilt(design, design.sourceOhm, design.loadOhm, 0, above, {})),
         "does not cover the ladder's pass band"},
        {"fewer.s2p",
         test::touchstoneText(
             test::measureBuilt(fewer, design.sourceOhm, design.loadOhm, 0, f, {})),
         "poles"},
    };
    for (const Case& c : cases) {
        s.messages.clear();
        overlayThroughDialogs(w->overlay(), write(s.dir, c.name, c.text), direct);
        QVERIFY2(!w->overlay().hasOverlay(), c.name);
        QVERIFY2(w->overlay().statusText().contains(c.message),
                 qPrintable(w->overlay().statusText()));
        QCOMPARE(s.messages.shown().size(), std::size_t{1});
        QCOMPARE(s.messages.shown()[0].message.icon, MsgIcon::Exclamation);
        QCOMPARE(measuredCurves(w->chart()), 0);
        QVERIFY(!w->overlay().findChild<QPushButton*>("Diagnose")->isEnabled());
    }
    // The window carries on: a good file after the refusals.
    QVERIFY(w->overlay().overlayFile(write(s.dir, "good.s2p", two), direct));
    QCOMPARE(measuredCurves(w->chart()), 3);
}

KORVAN_GUI_TEST_MAIN(OverlayTest)
#include "overlay_test.moc"
