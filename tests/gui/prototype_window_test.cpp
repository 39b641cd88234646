// The prototype window driven as a user would: the menu item after the
// others, the family, pole and qo boxes, a refused qo, another solution
// chosen in the table, and "Copy table".

#include "app/gui/main_window.h"
#include "measurement/gui/vna_window.h"
#include "prototype/coupled_response.h"
#include "prototype/gui/prototype_window.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace korvan;
namespace proto = korvan::prototype;

class PrototypeWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void menuItemComesLast();
    void familiesPolesAndSolutions();
    void predistortionAndRefusedQo();
};

namespace {

QLineSeries* series(proto::gui::PrototypeWindow* w, const char* chart, int index) {
    auto* view = w->findChild<QChartView*>(chart);
    return qobject_cast<QLineSeries*>(view->chart()->series().at(index));
}

// The point of a series nearest to w.
double at(QLineSeries* s, double w) {
    const auto points = s->points();
    return std::min_element(points.begin(), points.end(),
                            [w](const QPointF& a, const QPointF& b) {
                                return std::fabs(a.x() - w) < std::fabs(b.x() - w);
                            })
        ->y();
}

QString cell(QTableWidget* t, int row, int column) {
    return t->item(row, column)->text();
}

} // namespace

void PrototypeWindowTest::menuItemComesLast() {
    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, dir.path().toStdString(), '.');
    gui::MainWindow window(form, messages);
    gui::installVnaMeasurement(window, '.', {});
    auto* xtal = window.findChild<QMenu*>("Xtal1");
    const auto before = xtal->actions();
    proto::gui::installPrototypeWindow(xtal, &window, '.');
    const auto after = xtal->actions();
    QCOMPARE(after.size(), before.size() + 1);
    QCOMPARE(after.back()->text(), QString("Prototype coefficients\u2026"));
    QCOMPARE(after.back()->objectName(), QString("PrototypeCoefficients1"));

    after.back()->trigger();
    auto* w = window.findChild<proto::gui::PrototypeWindow*>("TFormPrototype");
    QVERIFY(w && w->isVisible());
    after.back()->trigger(); // the same window again
    QCOMPARE(window.findChildren<proto::gui::PrototypeWindow*>().size(), 1);
}

void PrototypeWindowTest::familiesPolesAndSolutions() {
    proto::gui::PrototypeWindow w(',');
    w.show();
    auto* table = w.findChild<QTableWidget*>("SolutionsTable");
    // Butterworth, 4 poles, lossless at the start: one solution.
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(cell(table, 0, 0), QString("0,765367"));
    QCOMPARE(cell(table, 0, 3), QString("0,541196"));
    QVERIFY(!w.findChild<QDoubleSpinBox*>("RippleBox")->isEnabled());

    auto* family = w.findChild<QComboBox*>("FamilyBox");
    family->setCurrentIndex(family->findData("gaussian"));
    w.findChild<QSpinBox*>("PolesBox")->setValue(6);
    proto::Request r;
    r.family = proto::Family::Gaussian;
    r.poles = 6;
    const auto all = proto::solutions(r).solutions;
    QCOMPARE(table->rowCount(), static_cast<int>(all.size()));
    QCOMPARE(table->columnCount(), 2 + 5);
    for (int row = 0; row < table->rowCount(); ++row)
        QCOMPARE(cell(table, row, 1), QString::number(all[row].qn, 'f', 6).replace('.', ','));
    // The chart: 3 dB at the band edge, one curve while lossless.
    auto* lossless = series(&w, "S21Chart", 0);
    QVERIFY(std::fabs(at(lossless, 1.0) + 3.0103) < 0.02);
    QVERIFY(!series(&w, "S21Chart", 1)->isVisible());
    QVERIFY(at(series(&w, "DelayChart", 0), 0) > 0);

    // Another solution chosen: its row stays selected.
    table->selectRow(2);
    QCOMPARE(table->currentRow(), 2);

    family->setCurrentIndex(family->findData("chebyshev"));
    auto* ripple = w.findChild<QDoubleSpinBox*>("RippleBox");
    QVERIFY(ripple->isEnabled());
    ripple->setValue(1);
    QVERIFY(std::fabs(at(series(&w, "S21Chart", 0), 0) + 1) < 0.01); // 6 poles: -1 dB at 0

    QTest::mouseClick(w.findChild<QPushButton*>("CopyButton"), Qt::LeftButton);
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, w.tableText());
    QVERIFY(copied.startsWith("solution\tq1\tqn\tk12\tk23\tk34\tk45\tk56\n1\t"));
}

void PrototypeWindowTest::predistortionAndRefusedQo() {
    proto::gui::PrototypeWindow w('.');
    w.show();
    auto* lossy = w.findChild<QCheckBox*>("LossyBox");
    auto* qo = w.findChild<QDoubleSpinBox*>("QoBox");
    auto* status = w.findChild<QLabel*>("StatusLabel");
    auto* table = w.findChild<QTableWidget*>("SolutionsTable");
    QVERIFY(!qo->isEnabled());
    QVERIFY(w.findChild<QLabel*>("QoMinLabel")->text().endsWith("2.6131"));

    lossy->setChecked(true);
    QVERIFY(qo->isEnabled());
    qo->setValue(2.5); // below the minimum
    QVERIFY(status->text().contains("qo must exceed 2.61313"));
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(series(&w, "S21Chart", 0)->points().isEmpty());

    proto::Request r;
    r.poles = 4;
    qo->setValue(8.71);
    r.qo = qo->value();
    const auto expected = proto::coefficients(r);
    QVERIFY(status->text().contains("insertion loss " +
                                    QString::number(expected.insertionLossDb, 'f', 4) + " dB"));
    QCOMPARE(table->horizontalHeaderItem(2)->text(), QString("qe1"));
    QCOMPARE(cell(table, 0, 0), QString::number(expected.q1, 'f', 6));
    QCOMPARE(cell(table, 0, 3), QString::number(expected.qen, 'f', 6));
    // With resonators of qo the predistorted ladder keeps the shape, lower
    // by the insertion loss; the lossless design's would be rounded off.
    auto* withQo = series(&w, "S21Chart", 1);
    auto* uncorrected = series(&w, "S21Chart", 2);
    QVERIFY(withQo->isVisible() && uncorrected->isVisible());
    for (const double f : {0.0, 0.5, 1.0, 1.5}) // Butterworth: 1/(1 + w^8)
        QVERIFY(std::fabs(at(withQo, f) + expected.insertionLossDb +
                          10 * std::log10(1 + std::pow(f, 8))) < 0.02);
    proto::Request plain;
    plain.poles = 4;
    const auto design = proto::coefficients(plain);
    const std::vector<long double> k(design.k.begin(), design.k.end());
    for (const double f : {0.0, 1.0}) {
        const double rounded =
            20 * std::log10(std::abs(proto::transmission(design.qe1, design.qen, k, *r.qo, f)));
        QVERIFY(std::fabs(at(uncorrected, f) - rounded) < 1e-6);
    }
    // Rounded off: more than 3 dB from the centre to the band edge.
    QVERIFY(at(uncorrected, 0) - at(uncorrected, 1) > 3.5);
    lossy->setChecked(false);
    QCOMPARE(table->columnCount(), 2 + 3);
    QVERIFY(!withQo->isVisible());
}

QTEST_MAIN(PrototypeWindowTest)
#include "prototype_window_test.moc"
