// Every number shown whole: after several designs (the default, a 10 MHz
// design whose capacitors have three digits, extreme inputs) every window is
// opened and run through its actions as a user would, and every visible
// text of a label, field, button, box or list must fit the box it is drawn
// in. A clipped field shows 105.1 pF as "05.1": a wrong value to solder.

#include "analysis/gui/response_window.h"
#include "analysis/gui/tolerance_window.h"
#include "app/gui/main_window.h"
#include "designer/gui/ladder_designer_window.h"
#include "gui/guarded_test_main.h"
#include "gui/whole_program.h"
#include "measurement/gui/vna_window.h"
#include "prototype/gui/prototype_window.h"
#include "response/gui/plot_view.h"
#include "support/crystal_sweeps.h"
#include "widgets/gui/aedit.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <memory>

using namespace korvan;

namespace {

// The width a one-line text needs, without the blanks that fall on the side
// it may overflow harmlessly (a left-aligned label may lose its trailing
// blanks, a right-aligned one its leading blanks).
int textWidth(const QFontMetrics& fm, QString text, Qt::Alignment align) {
    text.remove('&'); // mnemonics
    if (align & Qt::AlignRight)
        while (text.startsWith(' ')) text.remove(0, 1);
    else if (!(align & Qt::AlignHCenter))
        while (text.endsWith(' ')) text.chop(1);
    return fm.horizontalAdvance(text);
}

// Why the text of `w` does not fit, or an empty string.
QString clipping(QWidget* w) {
    const auto report = [w](const QString& text, int need, int have) {
        return QString("%1 %2 \"%3\": needs %4 px, has %5 px")
            .arg(w->metaObject()->className(), w->objectName(), text)
            .arg(need)
            .arg(have);
    };
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->text().isEmpty()) return {};
        const QRect r =
            l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
        if (l->wordWrap() || Qt::mightBeRichText(l->text()) || l->textFormat() == Qt::RichText) {
            if (!l->wordWrap()) {
                QTextDocument doc;
                doc.setDefaultFont(l->font());
                doc.setDocumentMargin(0);
                doc.setHtml(l->text());
                const int need = static_cast<int>(std::ceil(doc.idealWidth()));
                return need > r.width() ? report(l->text(), need, r.width()) : QString();
            }
            const int need = l->heightForWidth(l->width());
            return need > l->height() ? report(l->text(), need, l->height()) + " (height)"
                                      : QString();
        }
        const QStringList lines = l->text().split('\n');
        int need = 0;
        for (const QString& line : lines)
            need = std::max(need, textWidth(l->fontMetrics(), line, l->alignment()));
        if (need > r.width()) return report(l->text(), need, r.width());
        const int height = static_cast<int>(lines.size()) * l->fontMetrics().height();
        // Descenders may touch the edge: a pixel or two of it is not a clipped digit.
        if (height > r.height() + 3) return report(l->text(), height, r.height()) + " (height)";
        return {};
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text().isEmpty() || e->echoMode() != QLineEdit::Normal) return {};
        QStyleOptionFrame opt;
        opt.initFrom(e);
        opt.rect = e->rect();
        opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        QRect r = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e);
        r = r.marginsRemoved(e->textMargins());
        const int have = r.width() - 2 * 2; // QLineEdit keeps 2 px each side
        const int need = e->fontMetrics().horizontalAdvance(e->text());
        return need > have ? report(e->text(), need, have) : QString();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (b->text().isEmpty()) return {};
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.rect = b->rect();
        opt.text = b->text();
        opt.icon = b->icon();
        opt.iconSize = b->iconSize();
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        int extra = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        if (qobject_cast<QCheckBox*>(b)) element = QStyle::SE_CheckBoxContents;
        if (qobject_cast<QRadioButton*>(b)) element = QStyle::SE_RadioButtonContents;
        const bool tool = qobject_cast<QToolButton*>(b) != nullptr;
        const QRect r = tool ? b->contentsRect() : b->style()->subElementRect(element, &opt, b);
        const int need = textWidth(b->fontMetrics(), b->text(), Qt::AlignHCenter) + extra;
        return need > r.width() ? report(b->text(), need, r.width()) : QString();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        if (g->title().isEmpty()) return {};
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.rect = g->rect();
        opt.text = g->title();
        opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        if (g->isCheckable()) opt.subControls |= QStyle::SC_GroupBoxCheckBox;
        const QRect label =
            g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        return label.right() > g->rect().right() ? report(g->title(), label.right(), g->width())
                                                 : QString();
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable() || c->currentText().isEmpty()) return {}; // its line edit is checked
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.rect = c->rect();
        opt.currentText = c->currentText();
        const QRect r =
            c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        const int need = c->fontMetrics().horizontalAdvance(c->currentText());
        return need > r.width() ? report(c->currentText(), need, r.width()) : QString();
    }
    return {};
}

// A widget that its parents cut off (outside a scroll area, whose viewport
// clips on purpose).
QString outside(QWidget* w, QWidget* top) {
    QRect r = w->rect();
    for (QWidget* p = w; p != top; p = p->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(p->parentWidget())) return {};
        r.translate(p->pos());
        const QRect parent = p->parentWidget()->rect();
        if (!parent.contains(r))
            return QString("%1 %2 lies outside %3")
                .arg(w->metaObject()->className(), w->objectName(),
                     p->parentWidget()->objectName());
    }
    return {};
}

// Every clipped text of the visible controls of `top`. With
// KORVAN_SCREENSHOT_DIR set, the window is saved there as
// <form name>-<design>.png.
QStringList clippedTexts(QWidget* top) {
    // Layouts settle in posted events.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QByteArray shots = qgetenv("KORVAN_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        top->grab().save(QString::fromLocal8Bit(shots) + "/" + top->objectName() + "-" +
                         QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_') + ".png");
    QStringList problems, lowered;
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    for (QWidget* w : widgets)
        if (w->isVisible() && w->property("korvanOwnFont").isValid())
            lowered << w->objectName() + " " + QString::number(w->fontInfo().pixelSize()) + " px";
    if (!lowered.isEmpty())
        qInfo("%s: font lowered to fit: %s", qPrintable(top->objectName()),
              qPrintable(lowered.join(", ")));
    for (QWidget* w : widgets) {
        if (!w->isVisible() || w->window() != top) continue;
        bool inList = false; // table cells and list items have their own scrolling
        for (QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
            inList = inList || (qobject_cast<QAbstractScrollArea*>(p) &&
                                !qobject_cast<QAbstractScrollArea*>(w));
        if (inList && !qobject_cast<QLabel*>(w) && !qobject_cast<QLineEdit*>(w)) continue;
        QString problem = clipping(w);
        if (problem.isEmpty() && !qobject_cast<QAbstractScrollArea*>(w->parentWidget()))
            problem = outside(w, top);
        if (!problem.isEmpty()) problems << top->objectName() + ": " + problem;
    }
    return problems;
}

struct Session : test::WholeProgram {
    Session() { window->startUp(); }

    // Types into the main window's fields and presses Enter in the last.
    void design(const std::vector<std::pair<int, QString>>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            widgets::TAEdit* e = window->edit(fields[i].first);
            e->setFocus();
            e->selectAll();
            QTest::keyClick(e, Qt::Key_Backspace);
            QTest::keyClicks(e, fields[i].second);
            if (i + 1 == fields.size()) QTest::keyClick(e, Qt::Key_Return);
        }
    }

    // Opens a calculator window through its menu command, presses its
    // "Calculate" when it has one, and collects what does not fit.
    QStringList toolWindow(const char* action, const char* formName) {
        QDialog* dialog = tools->window(formName);
        if (!dialog) qFatal("no window %s", formName);
        QStringList problems;
        QTimer::singleShot(0, dialog, [&] {
            (void)QTest::qWaitForWindowExposed(dialog);
            if (auto* calculate = dialog->findChild<QPushButton*>("Button1")) calculate->click();
            problems = clippedTexts(dialog);
            dialog->close();
        });
        window->menuAction(action)->trigger();
        return problems;
    }

    tools::gui::ToolWindows* tools = &windows->tools();
    gui::ToleranceWindow* tolerance = &windows->tolerance();
};

// Sweep files of three crystals near fs as a VNA writes them.
QStringList sweepFiles(const QString& folder, double fsHz) {
    QStringList files;
    for (int i = 0; i < 3; ++i) {
        test::CrystalSweep sweep;
        sweep.fsHz = fsHz + 17.0 * i;
        sweep.lmH = 0.015;
        sweep.rmOhm = 9.6 + i;
        sweep.seed = static_cast<unsigned>(i + 1);
        files << QString("%1/x%2.s2p").arg(folder).arg(i);
        sweep.write(files.back().toStdString());
    }
    return files;
}

} // namespace

class TextFitsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void everyWindowShowsItsTextsWhole_data();
    void everyWindowShowsItsTextsWhole();
};

void TextFitsTest::initTestCase() {
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains("propagateSizeHints") && !message.contains("support raise()"))
                previous(type, context, message);
        });
}

void TextFitsTest::everyWindowShowsItsTextsWhole_data() {
    // Main-window fields by number: 1 Lm/Cm, 2 fs, 3 Cp, 4 B3db, 5 ripple,
    // 6 poles, 7 span, 8 Rm.
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("default") << QList<int>{} << QStringList{};
    QTest::newRow("10 MHz, 8 poles, 2.4 kHz, lossy")
        << QList<int>{1, 2, 4, 8} << QStringList{"15", "10000", "2.4", "34"};
    QTest::newRow("14 poles, widest span")
        << QList<int>{1, 2, 3, 4, 6, 7, 8}
        << QStringList{"1.5", "99999", "0", "50", "14", "400", "9999"};
    QTest::newRow("largest frequency")
        << QList<int>{1, 2, 3, 4, 6, 8} << QStringList{"1000", "100000000000", "0", "3", "4", "0"};
    QTest::newRow("huge fs with a holder capacitance")
        << QList<int>{1, 2, 4, 6} << QStringList{"1000", "99999999999", "3", "2"};
    QTest::newRow("lowest frequency")
        << QList<int>{1, 2, 4, 7, 8} << QStringList{"99999", "1", "0.001", "0.001", "0.001"};
}

void TextFitsTest::everyWindowShowsItsTextsWhole() {
    QFETCH(QList<int>, fields);
    QFETCH(QStringList, texts);
    Session s;
    for (int i = 0; i < 20; ++i) s.messages.script(MsgAnswer::Yes); // unusual values are meant
    std::vector<std::pair<int, QString>> typed;
    for (int i = 0; i < fields.size(); ++i) typed.emplace_back(fields[i], texts[i]);
    if (!typed.empty()) s.design(typed);
    // The cursor read-out at the plot's centre.
    const QPointF centre(251, 200);
    QMouseEvent move(QEvent::MouseMove, centre, s.window->plot()->mapToGlobal(centre), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(s.window->plot(), &move);

    QStringList problems = clippedTexts(s.window.get());
    for (const auto& [action, formName] :
         {std::pair{"N3dbMethod1", "TForm4"}, std::pair{"G3UURmethod1", "TForm6"},
          std::pair{"XtalTuning1", "TForm7"}, std::pair{"Match1", "TForm5"},
          std::pair{"Cs2Cp1", "TForm8"}, std::pair{"Info1", "TForm3"}}) {
        if (!s.window->menuAction(action)->isEnabled() ||
            !s.window->menuAction(action)->isVisible())
            continue;
        problems << s.toolWindow(action, formName);
    }

    for (QAction* a : s.window->plotContextMenu()->actions())
        if (a->text().startsWith("Response details")) a->trigger();
    auto* response = s.window->findChild<analysis::gui::ResponseWindow*>();
    QVERIFY(response);
    QVERIFY(QTest::qWaitForWindowExposed(response));
    problems << clippedTexts(response);
    response->close();

    s.tolerance->open();
    s.tolerance->findChild<QSpinBox*>("TrialsEdit")->setValue(100);
    QSignalSpy finished(s.tolerance, &gui::ToleranceWindow::runFinished);
    s.tolerance->runClicked();
    if (s.tolerance->running()) QVERIFY(finished.wait(60000));
    problems << clippedTexts(s.tolerance);
    s.tolerance->close();

    s.window->findChild<QAction*>("VnaMeasurement1")->trigger();
    auto* vna = s.window->findChild<gui::VnaWindow*>("TFormVNA");
    QVERIFY(vna);
    vna->openFiles(sweepFiles(s.dir.path(), s.form->state().fs));
    vna->findChild<QSpinBox*>("SetsOfN")->setValue(3);
    problems << clippedTexts(vna);
    // The ladder designer with that set, designed.
    if (auto* designWith = vna->findChild<QPushButton*>("DesignWithSet"); designWith->isEnabled()) {
        QTest::mouseClick(designWith, Qt::LeftButton);
        auto& ladder = s.windows->ladderDesigner();
        QSignalSpy designed(&ladder, &designer::gui::LadderDesignerWindow::designFinished);
        QTest::mouseClick(ladder.findChild<QPushButton*>("DesignButton"), Qt::LeftButton);
        if (designed.isEmpty()) QVERIFY(designed.wait(60000));
        problems << clippedTexts(&ladder);
        ladder.close();
    }
    vna->close();

    s.window->findChild<QAction*>("PrototypeCoefficients1")->trigger();
    auto* prototype = s.window->findChild<QWidget*>("TFormPrototype");
    QVERIFY(prototype);
    problems << clippedTexts(prototype);
    prototype->close();

    problems.removeDuplicates();
    QVERIFY2(problems.isEmpty(), qPrintable("\n" + problems.join('\n')));
}

KORVAN_GUI_TEST_MAIN(TextFitsTest)
#include "text_fits_test.moc"
