// The focus moves a form object asks for, applied in a window with a radio
// group between entry fields, once per radio rule.

#include "gui/guarded_test_main.h"
#include "model/gui/focus_requests.h"
#include "model/gui/form_binder.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace korvan;
using korvan::gui::RadioFocus;

namespace {

// focusNextPrevChild is protected; the windows hand theirs to the helper.
class Window : public QWidget {
  public:
    bool move(bool next) { return focusNextPrevChild(next); }
};

} // namespace

class FocusRequestsTest : public QObject {
    Q_OBJECT

  private slots:
    void moves_data();
    void moves();
};

void FocusRequestsTest::moves_data() {
    QTest::addColumn<RadioFocus>("radios");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<int>>("requests"); // FocusMove values
    QTest::addColumn<QString>("control");     // for FocusMove::Control
    QTest::addColumn<QString>("expected");
    const int next = int(FocusMove::Next), previous = int(FocusMove::Previous),
              control = int(FocusMove::Control);
    QTest::newRow("each button: next stays in the group")
        << RadioFocus::EachButton << "Lm" << QList<int>{next} << ""
        << "Cm";
    QTest::newRow("one stop: next leaves the group")
        << RadioFocus::GroupIsOneStop << "Lm" << QList<int>{next} << ""
        << "AEdit2";
    QTest::newRow("one stop: a field is not a group")
        << RadioFocus::GroupIsOneStop << "AEdit1" << QList<int>{next} << ""
        << "Lm";
    QTest::newRow("requests run in order")
        << RadioFocus::EachButton << "AEdit1" << QList<int>{next, next, previous} << ""
        << "Lm";
    QTest::newRow("a named control")
        << RadioFocus::GroupIsOneStop << "Lm" << QList<int>{control} << "AEdit1"
        << "AEdit1";
    QTest::newRow("an unknown control leaves the focus")
        << RadioFocus::EachButton << "Cm" << QList<int>{control} << "Nothing"
        << "Cm";
}

void FocusRequestsTest::moves() {
    QFETCH(RadioFocus, radios);
    QFETCH(QString, start);
    QFETCH(QList<int>, requests);
    QFETCH(QString, control);
    QFETCH(QString, expected);

    Window window;
    auto* first = new QLineEdit(&window);
    first->setObjectName("AEdit1");
    auto* group = new QGroupBox(&window);
    group->setObjectName("RadioGroup1");
    auto* lm = new QRadioButton("Lm", group);
    lm->setObjectName("Lm");
    auto* cm = new QRadioButton("Cm", group);
    cm->setObjectName("Cm");
    cm->move(0, 20);
    // The toolkit's Tab already passes over the unchecked buttons of an
    // exclusive group; without exclusivity each button is a stop of its own,
    // and the helper's rule is what makes them one.
    for (auto* radio : {lm, cm}) radio->setAutoExclusive(false);
    auto* last = new QLineEdit(&window);
    last->setObjectName("AEdit2");
    group->setGeometry(0, 30, 100, 50);
    last->move(0, 90);
    QWidget::setTabOrder(first, lm);
    QWidget::setTabOrder(lm, cm);
    QWidget::setTabOrder(cm, last);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    window.findChild<QWidget*>(start)->setFocus(Qt::OtherFocusReason);
    FormModel model;
    for (int move : requests) model.requestFocus(FocusMove(move), control.toStdString());
    gui::FormBinder binder(&window);
    gui::applyFocusRequests(
        model, binder, window, [&window](bool next) { return window.move(next); }, radios);

    QCOMPARE(window.focusWidget()->objectName(), expected);
    QVERIFY(model.takeFocusRequests().empty());
}

KORVAN_GUI_TEST_MAIN(FocusRequestsTest)
#include "focus_requests_test.moc"
