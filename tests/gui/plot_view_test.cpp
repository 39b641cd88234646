// The plot's drawing on a picture and the cursor read-out texts, from
// design states made up for each case.

#include "gui/guarded_test_main.h"
#include "numeric/errors.h"
#include "response/gui/cursor_readout.h"
#include "response/gui/plot_view.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace korvan;
using response::PlotData;

namespace {

QImage render(const PlotData& data) {
    QImage image(response::kPlotW + 1, response::kPlotH + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    response::drawPlot(p, data);
    return image;
}

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}
QColor qc(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// Whether any pixel of a column (rows from..to) has the colour.
bool columnHas(const QImage& image, int x, int from, int to, const QColor& colour) {
    for (int y = from; y <= to; ++y)
        if (at(image, x, y) == colour) return true;
    return false;
}

DesignState flatResponse(float s21, float s11, float vswr) {
    DesignState s;
    s.RespS21.fill(s21);
    s.RespS11.fill(s11);
    s.RespVSWR.fill(vswr);
    s.UltAttnLineY = 478;
    return s;
}

} // namespace

class PlotViewTest : public QObject {
    Q_OBJECT

  private slots:
    void gridFrameAndCentreLine();
    void tracesOnTheirScales_data();
    void tracesOnTheirScales();
    void readout_data();
    void readout();
    void readoutKeepsTextsOnFrameColumns();
};

void PlotViewTest::gridFrameAndCentreLine() {
    DesignState s = flatResponse(200, 200, 50); // traces off the area
    const QImage image = render({&s, false, false});
    const PlotColours& c = s.colours;
    QCOMPARE(at(image, 0, 0), QColor(Qt::black));
    QCOMPARE(at(image, 502, 300), QColor(Qt::black));
    QCOMPARE(at(image, 20, 30), qc(c.background));
    // Dotted: some pixels of a grid line carry the grid colour, not all.
    for (int x : {50, 100, 150, 200, 301, 351, 401, 451}) {
        QVERIFY2(columnHas(image, x, 1, 10, qc(c.grid)), qPrintable(QString::number(x)));
        QVERIFY(columnHas(image, x, 1, 10, qc(c.background)));
    }
    QVERIFY(columnHas(image, 251, 1, 10, qc(c.s21)));
    QVERIFY(!columnHas(image, 252, 1, 10, qc(c.grid)));
    QCOMPARE(at(image, 10, 52) == qc(c.grid) || at(image, 11, 52) == qc(c.grid), true);
    // The attenuation line in the 10 dB/div scale.
    QCOMPARE(at(image, 120, 478), qc(c.ultAttn));
}

void PlotViewTest::tracesOnTheirScales_data() {
    QTest::addColumn<bool>("tenDb");
    QTest::addColumn<bool>("s11");
    QTest::addColumn<bool>("vswr");
    QTest::addColumn<int>("s21Row");
    QTest::addColumn<int>("s11Row"); // -1: not drawn
    QTest::addColumn<int>("vswrRow");
    // S21 3 dB, S11 20 dB, VSWR 2.
    QTest::newRow("10 dB/div") << true << true << true << 16 << 101 << 451;
    QTest::newRow("1 dB/div, no S11") << false << true << true << 151 << -1 << 451;
    QTest::newRow("switches off") << true << false << false << 16 << -1 << -1;
}

void PlotViewTest::tracesOnTheirScales() {
    QFETCH(bool, tenDb);
    QFETCH(bool, s11);
    QFETCH(bool, vswr);
    QFETCH(int, s21Row);
    QFETCH(int, s11Row);
    QFETCH(int, vswrRow);
    DesignState s = flatResponse(3, 20, 2);
    s.Scale10dB = tenDb;
    const QImage image = render({&s, s11, vswr});
    const PlotColours& c = s.colours;
    QCOMPARE(at(image, 120, s21Row), qc(c.s21));
    QCOMPARE(columnHas(image, 120, 1, 501, qc(c.s11)), s11Row >= 0);
    if (s11Row >= 0) QCOMPARE(at(image, 120, s11Row), qc(c.s11));
    QCOMPARE(columnHas(image, 120, 1, 501, qc(c.vswr)), vswrRow >= 0);
    if (vswrRow >= 0) QCOMPARE(at(image, 120, vswrRow), qc(c.vswr));
    QCOMPARE(at(image, 120, 478) == qc(c.ultAttn), tenDb);
}

void PlotViewTest::readout_data() {
    QTest::addColumn<float>("vswr");
    QTest::addColumn<QString>("expected");
    QTest::newRow("above 200") << 200.01f << " VSWR = >200";
    QTest::newRow("exactly 200") << 200.0f << " VSWR = 200.00";
    QTest::newRow("below 1.2") << 1.19f << " VSWR = 1.190";
    QTest::newRow("1.2") << 1.2f << " VSWR = 1.20";
}

void PlotViewTest::readout() {
    QFETCH(float, vswr);
    QFETCH(QString, expected);
    DesignState s = flatResponse(0, 0, 1);
    s.fm = 4999865.25;
    s.RespS21[250] = 1.234f;
    s.RespS11[250] = 17.5f;
    s.RespVSWR[250] = vswr;
    s.Span = 10;
    // Column 251 is sample 250, at fm.
    const auto r = response::cursorReadout(s, 251, ',');
    QVERIFY(r);
    QCOMPARE(QString::fromStdString(r->frequency), QString("Frequency: 4999,865 kHz"));
    QCOMPARE(QString::fromStdString(r->s21), QString("  S21 =  -1,23 db"));
    QCOMPARE(QString::fromStdString(r->s11), QString("  S11 =  -17,50 db"));
    QCOMPARE(QString::fromStdString(r->vswr), QString(expected).replace('.', ','));
    // One column is one step of span/500: 20 Hz at a span of 10 kHz.
    const auto left = response::cursorReadout(s, 1, '.');
    QCOMPARE(QString::fromStdString(left->frequency), QString("Frequency: 4994.865 kHz"));
}

void PlotViewTest::readoutKeepsTextsOnFrameColumns() {
    const DesignState s;
    QVERIFY(!response::cursorReadout(s, 0, '.'));
    QVERIFY(!response::cursorReadout(s, 502, '.'));
    QVERIFY(response::cursorReadout(s, 501, '.'));
}

KORVAN_GUI_TEST_MAIN(PlotViewTest)
#include "plot_view_test.moc"
