// The tolerance window on a designed filter: a run of 1000 trials in the
// worker thread, its progress, the envelope and the tables it fills.

#include "analysis/gui/tolerance_window.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

using namespace korvan;

class ToleranceWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void runFillsEnvelopeAndFigures();
    void refusesAnIncompleteDesign();
    void cancelStopsTheRun();
    void limitsFollowWhatWasAsked();

  private:
    ScriptedMessages messages_;
    RecordingClipboard clipboard_;
};

namespace {

template <typename T> T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no %s", name);
    return c;
}

} // namespace

void ToleranceWindowTest::runFillsEnvelopeAndFigures() {
    MainForm form(messages_, clipboard_, std::filesystem::temp_directory_path(), '.');
    form.setExportEnabled(false);
    form.calculateClicked(); // the default 8-pole design
    QVERIFY(form.lastCalculationComplete());

    gui::ToleranceWindow window(form.outcomes(), form.separator());
    QCOMPARE(window.objectName(), QString("TFormTolerance"));
    window.open();
    child<QSpinBox>(window, "TrialsEdit")->setValue(1000);
    QSignalSpy finished(&window, &gui::ToleranceWindow::runFinished);
    auto* progress = child<QProgressBar>(window, "ProgressBar");
    QTest::mouseClick(child<QPushButton>(window, "RunButton"), Qt::LeftButton);
    QVERIFY(window.running());
    QVERIFY(!child<QPushButton>(window, "RunButton")->isEnabled());
    QVERIFY(finished.wait(60000));
    QCOMPARE(progress->maximum(), 1000);
    QCOMPARE(progress->value(), 1000);
    QVERIFY(!window.running());
    QCOMPARE(window.lastResult()->completed, 1000);

    auto* envelope = child<QChartView>(window, "EnvelopeChart");
    const auto series = envelope->chart()->series();
    QCOMPARE(series.size(), 3); // spread, median, nominal
    auto* band = qobject_cast<QAreaSeries*>(series[0]);
    QVERIFY(band);
    QCOMPARE(band->upperSeries()->count(), 501);
    QCOMPARE(band->lowerSeries()->count(), 501);
    // The spread is drawn: the best trace lies above the worst somewhere.
    bool apart = false;
    for (int k = 0; k < 501; ++k)
        apart = apart || band->upperSeries()->at(k).y() > band->lowerSeries()->at(k).y() + 0.1;
    QVERIFY(apart);
    const QImage picture = envelope->grab().toImage();
    QVERIFY(picture.width() > 100);
    QVERIFY(!child<QChartView>(window, "RippleHistogram")->chart()->series().isEmpty());

    auto* figures = child<QTableWidget>(window, "FiguresTable");
    QCOMPARE(figures->rowCount(), 7);
    QCOMPARE(figures->item(2, 0)->text(), QString("BW 3 dB [Hz]"));
    QCOMPARE(figures->item(2, 8)->text(), QString("1000"));
    QVERIFY(child<QLabel>(window, "YieldLabel")->text().startsWith("Yield: "));
    // The standard values list every capacitor of the design.
    QCOMPARE(child<QTableWidget>(window, "StandardCapacitors")->rowCount(), 7 + 6);
    QCOMPARE(child<QTableWidget>(window, "StandardFigures")->rowCount(), 7);
    // The next calculation reaches the window through the main form's feed.
    form.calculateClicked();
    QVERIFY(child<QLabel>(window, "StatusLabel")->text().contains("has changed"));
}

void ToleranceWindowTest::refusesAnIncompleteDesign() {
    MainForm form(messages_, clipboard_, std::filesystem::temp_directory_path(), '.');
    gui::ToleranceWindow window(form.outcomes(), form.separator()); // nothing calculated yet
    window.open();
    QTest::mouseClick(child<QPushButton>(window, "RunButton"), Qt::LeftButton);
    QVERIFY(!window.running());
    QVERIFY(child<QLabel>(window, "StatusLabel")->text().contains("not complete"));
}

void ToleranceWindowTest::cancelStopsTheRun() {
    MainForm form(messages_, clipboard_, std::filesystem::temp_directory_path(), '.');
    form.setExportEnabled(false);
    form.calculateClicked();
    gui::ToleranceWindow window(form.outcomes(), form.separator());
    window.open();
    child<QSpinBox>(window, "TrialsEdit")->setValue(1000000);
    QSignalSpy finished(&window, &gui::ToleranceWindow::runFinished);
    QTest::mouseClick(child<QPushButton>(window, "RunButton"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(window, "CancelButton"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));
    QVERIFY(window.lastResult()->cancelled);
    QVERIFY(window.lastResult()->completed < 1000000);
    QVERIFY(child<QLabel>(window, "StatusLabel")->text().startsWith("Cancelled."));
}

// The limits start from the ripple entered and the B3db asked; each says
// what it is measured against and where the nominal design stands. A lossy
// 10 MHz design 30 % narrower than asked is outside the bandwidth limit, and
// the run says that no spread can help it.
void ToleranceWindowTest::limitsFollowWhatWasAsked() {
    MainForm form(messages_, clipboard_, std::filesystem::temp_directory_path(), '.');
    form.setExportEnabled(false);
    form.form().setText("AEdit5", "0.5");
    form.calculateClicked();
    gui::ToleranceWindow window(form.outcomes(), form.separator());
    window.open();
    QCOMPARE(child<QDoubleSpinBox>(window, "RippleLimitEdit")->value(), 1.0);
    QCOMPARE(child<QDoubleSpinBox>(window, "BwLimitEdit")->value(), 5.0);
    QVERIFY(child<QLabel>(window, "BwLimitNote")
                ->text()
                .startsWith("Of the 3000 Hz asked (B3db): 2850 to 3150 Hz"));
    QVERIFY(child<QLabel>(window, "RippleLimitNote")->text().startsWith("Ripple entered 0.50 dB"));
    QVERIFY(child<QLabel>(window, "IlLimitNote")->text().contains("with the 0.05 dB allowance"));

    for (const auto& [field, text] : {std::pair{"AEdit1", "15"},
                                      {"AEdit2", "10000"},
                                      {"AEdit4", "2.4"},
                                      {"AEdit5", "1"},
                                      {"AEdit8", "34"}})
        form.form().setText(field, text);
    form.calculateClicked();
    window.designChanged();
    QCOMPARE(child<QDoubleSpinBox>(window, "RippleLimitEdit")->value(), 1.5);
    const QString bw = child<QLabel>(window, "BwLimitNote")->text();
    QVERIFY2(bw.startsWith("Of the 2400 Hz asked (B3db): 2280 to 2520 Hz; nominal 1662 Hz") &&
                 bw.contains("outside"),
             qPrintable(bw));
    child<QSpinBox>(window, "TrialsEdit")->setValue(200);
    QSignalSpy finished(&window, &gui::ToleranceWindow::runFinished);
    QTest::mouseClick(child<QPushButton>(window, "RunButton"), Qt::LeftButton);
    QVERIFY(finished.wait(60000));
    QCOMPARE(window.lastResult()->passed, 0);
    QVERIFY(child<QLabel>(window, "StatusLabel")
                ->text()
                .contains("The nominal design itself is outside the limit of its 3 dB bandwidth"));
    QCOMPARE(child<QTableWidget>(window, "FiguresTable")->item(0, 0)->text(),
             QString("Insertion loss [dB], with 0.05 dB"));

    // A limit of the user's own stays through the next design.
    child<QDoubleSpinBox>(window, "RippleLimitEdit")->setValue(2.25);
    form.calculateClicked();
    window.designChanged();
    QCOMPARE(child<QDoubleSpinBox>(window, "RippleLimitEdit")->value(), 2.25);
}

QTEST_MAIN(ToleranceWindowTest)
#include "tolerance_window_test.moc"
