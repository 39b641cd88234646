// The numeric entry field typed into as a user would, on both separators.

#include "gui/guarded_test_main.h"
#include "widgets/gui/aedit.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

using korvan::widgets::TAEdit;

class AEditTest : public QObject {
    Q_OBJECT

  private slots:
    void typing_data();
    void typing();
    void separatorOverSelectionIsRefused();
    void enterIsReportedNotInserted();
    void editingKeysKeepWorking();
    void pastedTextIsNotFiltered();
    void alignment();
};

void AEditTest::typing_data() {
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dot then comma, dot system") << '.' << ".,"
                                                << ".";
    QTest::newRow("dot then comma, comma system") << ',' << ".,"
                                                  << ",";
    QTest::newRow("comma becomes dot") << '.' << "3,5"
                                       << "3.5";
    QTest::newRow("dot becomes comma") << ',' << "3.5"
                                       << "3,5";
    QTest::newRow("colon") << '.' << "1:25"
                           << "1.25";
    QTest::newRow("semicolon") << ',' << "7;5"
                               << "7,5";
    QTest::newRow("second separator dropped") << '.' << "1.2.3"
                                              << "1.23";
    QTest::newRow("sign and exponent dropped") << '.' << "-1e3+"
                                               << "13";
    QTest::newRow("letters and blanks dropped") << '.' << "a 4 kHz"
                                                << "4";
}

void AEditTest::typing() {
    QFETCH(char, separator);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    TAEdit edit(separator);
    QTest::keyClicks(&edit, keys);
    QCOMPARE(edit.text(), expected);
}

void AEditTest::separatorOverSelectionIsRefused() {
    TAEdit edit('.');
    edit.setText("12.5");
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Period, Qt::NoModifier);
    QCOMPARE(edit.text(), QString("12.5"));
    // A digit does replace the selection.
    QTest::keyClick(&edit, Qt::Key_7);
    QCOMPARE(edit.text(), QString("7"));
}

void AEditTest::enterIsReportedNotInserted() {
    TAEdit edit('.');
    edit.setText("62");
    QSignalSpy enter(&edit, &TAEdit::enterPressed);
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(enter.count(), 2);
    QCOMPARE(edit.text(), QString("62"));
}

void AEditTest::editingKeysKeepWorking() {
    TAEdit edit('.');
    QTest::keyClicks(&edit, "125");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QString("12"));
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QString("2"));
    QTest::keyClick(&edit, Qt::Key_Right);
    QTest::keyClick(&edit, Qt::Key_Period);
    QCOMPARE(edit.text(), QString("2."));
}

void AEditTest::pastedTextIsNotFiltered() {
    TAEdit edit('.');
    QApplication::clipboard()->setText("-1e3");
    if (QApplication::clipboard()->text() != "-1e3") QSKIP("no clipboard on this platform");
    QTest::keySequence(&edit, QKeySequence::Paste);
    QCOMPARE(edit.text(), QString("-1e3"));
}

void AEditTest::alignment() {
    TAEdit edit('.');
    QCOMPARE(edit.textAlignment(), TAEdit::eaCenter);
    QVERIFY(edit.alignment() & Qt::AlignHCenter);
    QVERIFY(edit.setProperty("Alignment", QVariant::fromValue(TAEdit::eaRight)));
    QCOMPARE(edit.textAlignment(), TAEdit::eaRight);
    QVERIFY(edit.alignment() & Qt::AlignRight);
    edit.setTextAlignment(TAEdit::eaLeft);
    QVERIFY(edit.alignment() & Qt::AlignLeft);
}

KORVAN_GUI_TEST_MAIN(AEditTest)
#include "aedit_test.moc"
