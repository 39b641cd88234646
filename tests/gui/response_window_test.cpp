// The response window driven from the main window: opened from the plot's
// context menu, three curves, following the main window, and the three
// kinds of file saved with the file dialog scripted.

#include "analysis/gui/response_window.h"
#include "app/gui/main_window.h"
#include "widgets/gui/aedit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <ctime>
#include <memory>

using namespace korvan;
using korvan::analysis::displaySpan;
using korvan::analysis::SweepSpan;
using korvan::analysis::gui::ResponseWindow;

namespace {

struct Session {
    Session() {
        QDir::setCurrent(dir.path());
        form = std::make_unique<MainForm>(messages, clipboard, dir.path().toStdString(), '.');
        window = std::make_unique<gui::MainWindow>(*form, messages);
        analysis::gui::installResponseWindow(*window, *window->plotContextMenu(), form->outcomes(),
                                             messages);
        window->startUp();
        messages.clear();
    }
    QAction* action() const {
        for (QAction* a : window->plotContextMenu()->actions())
            if (a->text() == QString::fromUtf8("Response details…")) return a;
        return nullptr;
    }
    ResponseWindow* open() {
        QAction* a = action();
        if (!a) qFatal("no context menu item");
        a->trigger();
        return window->findChild<ResponseWindow*>();
    }
    QByteArray file(const QString& name) const {
        QFile f(dir.filePath(name));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form;
    std::unique_ptr<gui::MainWindow> window;
};

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

QLineSeries* series(ResponseWindow* w, int i) {
    return static_cast<QLineSeries*>(w->chart()->series().at(i));
}

} // namespace

class ResponseWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void opensWithThreeCurves();
    void followsTheMainWindow();
    void searchesExactFiguresOncePerCalculation();
    void savesTheThreeKinds();
    void saysWhatItsFiguresAre();
};

void ResponseWindowTest::opensWithThreeCurves() {
    Session s;
    // Wall and CPU time: on a shared machine the wall time says little.
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuMs();
    ResponseWindow* w = s.open();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    qInfo("opening the response window with 1001 points: %.1f ms (%.1f ms CPU)",
          static_cast<double>(timer.nsecsElapsed()) / 1e6, cpuMs() - cpuBefore);
    QCOMPARE(w->objectName(), QString("ResponseWindow"));
    QCOMPARE(w->chart()->series().size(), 3);
    for (int i = 0; i < 3; ++i) QCOMPARE(series(w, i)->count(), 1001);
    // The main plot's span, and the curves are the analysis.
    const auto& r = w->response();
    const SweepSpan span = displaySpan(s.form->state());
    QCOMPARE(r.fHz.front(), span.startHz);
    QCOMPARE(r.fHz.back(), span.stopHz);
    QCOMPARE(series(w, 0)->at(500).y(), analysis::magnitudeDb(r.s[500].s21));
    QCOMPARE(series(w, 2)->at(500).y(), r.s[500].groupDelayS * 1e3);
    QVERIFY(w->readoutAt(s.form->state().fm).startsWith("f = "));
    // The mouse read-out, a drag zoom and its reset.
    QWidget* viewport = w->findChild<QChartView*>("ResponseChartView")->viewport();
    const QPointF centre = viewport->rect().center();
    QMouseEvent move(QEvent::MouseMove, centre, viewport->mapToGlobal(centre), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QVERIFY(w->findChild<QLabel*>("Readout")->text().startsWith("f = "));
    auto* axis = static_cast<QValueAxis*>(w->chart()->axes(Qt::Horizontal).first());
    const double low = axis->min(), high = axis->max();
    w->chart()->zoomIn(QRectF(w->chart()->plotArea().center(), QSizeF(20, 20)));
    QVERIFY(axis->max() - axis->min() < (high - low) / 2);
    QTest::mouseClick(w->findChild<QPushButton*>("ResetZoom"), Qt::LeftButton);
    QCOMPARE(axis->min(), low);
    QCOMPARE(axis->max(), high);
    auto* table = w->findChild<QTableWidget*>("ExactFigures");
    QVERIFY(table->rowCount() >= 9);
    QVERIFY(s.messages.shown().empty());
}

void ResponseWindowTest::followsTheMainWindow() {
    Session s;
    ResponseWindow* w = s.open();
    const double before = w->response().fHz.front();
    widgets::TAEdit* span = s.window->edit(7);
    span->setFocus();
    span->selectAll();
    QTest::keyClick(span, Qt::Key_Backspace);
    QTest::keyClicks(span, "20");
    QTest::keyClick(span, Qt::Key_Return);
    QCOMPARE(w->response().fHz.front(), displaySpan(s.form->state()).startHz);
    QVERIFY(w->response().fHz.front() < before - 4000);
    // A rejected input leaves nothing to save.
    s.window->edit(4)->setFocus();
    s.window->edit(4)->selectAll();
    QTest::keyClick(s.window->edit(4), Qt::Key_Backspace);
    QTest::keyClicks(s.window->edit(4), "0");
    QTest::keyClick(s.window->edit(4), Qt::Key_Return);
    QCOMPARE(w->response().size(), std::size_t{0});
    QVERIFY(!w->findChild<QPushButton*>("SaveTouchstone")->isEnabled());
}

void ResponseWindowTest::searchesExactFiguresOncePerCalculation() {
    Session s;
    const auto searches = [before = analysis::DesignOutcome::exactSearches()] {
        return analysis::DesignOutcome::exactSearches() - before;
    };
    ResponseWindow* w = s.open();
    s.open(); // opened again: the same outcome, no new search
    w->findChild<QCheckBox*>("FollowSpan")->click();
    w->findChild<QCheckBox*>("FollowSpan")->click();
    QCOMPARE(searches(), 1LL);
    QTest::mouseClick(s.window->findChild<QAbstractButton*>("SpeedButton1"), Qt::LeftButton);
    QCOMPARE(searches(), 2LL);
    QCOMPARE(w->findChild<QTableWidget*>("ExactFigures")->item(0, 1)->text(),
             QString::number(s.form->outcome()->exact()->ilDb, 'f', 3));
    // Hidden, the window costs the main window's calculations nothing.
    w->hide();
    QTest::mouseClick(s.window->findChild<QAbstractButton*>("SpeedButton1"), Qt::LeftButton);
    QCOMPARE(searches(), 2LL);
}

void ResponseWindowTest::savesTheThreeKinds() {
    Session s;
    ResponseWindow* w = s.open();
    QStringList names = {"r.s2p", "r.csv", "r.png", "r.svg", "r.cir"};
    w->setFileChooser([&](const QString&, const QString&, const QString&) {
        return s.dir.filePath(names.takeFirst());
    });
    for (const char* button :
         {"SaveTouchstone", "SaveCsv", "SavePicture", "SavePicture", "SaveNgspice"})
        QTest::mouseClick(w->findChild<QPushButton*>(button), Qt::LeftButton);
    QVERIFY(names.isEmpty());
    QVERIFY(s.file("r.s2p").contains("\r\n# Hz S DB R "));
    QVERIFY(s.file("r.csv").startsWith("f_Hz,S21_dB,S21_phase_deg,S11_dB,VSWR,group_delay_s\r\n"));
    QCOMPARE(s.file("r.csv").count('\n'), 1002);
    QVERIFY(s.file("r.png").startsWith("\x89PNG"));
    QVERIFY(s.file("r.svg").contains("<svg"));
    // Both pictures name the design below the chart.
    const QImage png = QImage::fromData(s.file("r.png"));
    QVERIFY(png.height() > w->findChild<QChartView*>("ResponseChartView")->height());
    QVERIFY(s.file("r.svg").contains(
        "KORVAN Vers. 3.0.2.3  Chebyshev 1 dB, 8 poles, fm 4999.865 kHz, B3db 3.000 kHz, "
        "Zterm 820.5 Ohm"));
    QVERIFY(s.file("r.cir").contains("\r\nsp lin 1001 "));
    QVERIFY(s.file("r.cir").contains("\r\nwrdata r_sp.txt S_1_1 S_2_1 S_1_2 S_2_2\r\n"));
    QVERIFY(s.messages.shown().empty());
    // A folder in the way: reported, nothing else left behind.
    QDir(s.dir.path()).mkdir("taken.csv");
    QVERIFY(!w->saveCsv(s.dir.filePath("taken.csv")));
    QCOMPARE(s.messages.shown().size(), std::size_t{1});
    QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

namespace {

void typeInto(widgets::TAEdit* edit, const char* text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

// A 6-pole Cohn design for 2.4 kHz typed into the main window: the window
// names the dip and the narrower band with the way to compensate it, says
// that its table stays at the terminations when the chart goes to 50 Ohm,
// and that its insertion loss is the plain ladder's.
void ResponseWindowTest::saysWhatItsFiguresAre() {
    Session s;
    ResponseWindow* w = s.open();
    auto* notes = w->findChild<QLabel*>("FigureNotes");
    QVERIFY(notes->text().isEmpty()); // the default design gets what it asked
    QVERIFY(w->findChild<QLabel*>("ExactFiguresCaption")
                ->text()
                .contains("without the 0.05 dB the main window's loss labels add"));
    QTest::mouseClick(s.window->findChild<QRadioButton*>("RadioButton2"), Qt::LeftButton);
    typeInto(s.window->edit(4), "2.4");
    typeInto(s.window->edit(6), "6");
    QVERIFY2(notes->text().contains("below the 2400 Hz asked (B3db). The ladder designer "
                                    "compensates for it") &&
                 notes->text().contains("Dip in the pass band: IL + 3.10 dB at 4998.442 kHz"),
             qPrintable(notes->text()));
    QVERIFY(!notes->isHidden());
    auto* table = w->findChild<QTableWidget*>("ExactFigures");
    QVERIFY(!table->findItems("Dip [dB below IL]", Qt::MatchExactly).isEmpty());
    auto* reference = w->findChild<QLineEdit*>("Reference");
    reference->setText("50");
    QMetaObject::invokeMethod(reference, "editingFinished");
    QVERIFY(w->findChild<QLabel*>("Status")->text().startsWith(
        "The chart is referred to 50 Ohm; the exact figures stay those of the filter between "
        "its 717.4 Ohm terminations."));
}

QTEST_MAIN(ResponseWindowTest)
#include "response_window_test.moc"
