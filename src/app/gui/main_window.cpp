#include "app/gui/main_window.h"

#include "app/gui/menu_commands.h"
#include "model/gui/focus_requests.h"
#include "model/gui/form_binder.h"
#include "model/gui/qt_message_sink.h"
#include "numeric/errors.h"
#include "response/gui/cursor_readout.h"
#include "response/gui/plot_view.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QToolButton>

namespace korvan::gui {

namespace {

// "MS Sans Serif" 8 pt of the design, with a font every Debian machine has.
QFont windowFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    return f;
}

QtMessageSink* qtSink(MessageSink& sink) {
    return dynamic_cast<QtMessageSink*>(&sink);
}

} // namespace

MainWindow::MainWindow(MainForm& form, MessageSink& messages, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      form_(form), messages_(messages) {
    setObjectName("TForm1");
    setFont(windowFont());

    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    buildControls(client);
    buildMenu();
    // The client area keeps its size below the menu bar; the window cannot
    // be resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    binder_ = std::make_unique<FormBinder>(this);
    binder_->addRadioGroup("RadioGroup1", lmCm_);
    connectEvents();
    new MenuCommands(*this, form_, messages_);

    if (QtMessageSink* sink = qtSink(messages_)) {
        sink->setParent(this);
        sink->setBeforeShow([this] { syncFromModel(); });
    }
    syncFromModel();
    move(0, 0);
}

MainWindow::~MainWindow() {
    if (QtMessageSink* sink = qtSink(messages_)) sink->setBeforeShow({});
}

widgets::TAEdit* MainWindow::edit(int number) const {
    return qobject_cast<widgets::TAEdit*>(
        binder_->object(QString::fromStdString(FormModel::edit(number))));
}

QAction* MainWindow::menuAction(const QString& name) const {
    return qobject_cast<QAction*>(binder_->object(name));
}

void MainWindow::connectEvents() {
    connect(findChild<QToolButton*>("SpeedButton1"), &QToolButton::clicked, this,
            [this] { runEvent([this] { form_.calculateClicked(); }); });
    for (int i = 1; i <= 8; ++i) {
        connect(edit(i), &widgets::TAEdit::enterPressed, this,
                [this] { runEvent([this] { form_.editReturnPressed(); }); });
    }
    connect(lmCm_, &QButtonGroup::idClicked, this, &MainWindow::lmCmClicked);
    connect(filterType_, &QButtonGroup::idClicked, this, &MainWindow::typeButtonClicked);
    typeFrame_->installEventFilter(this);
    for (int box = 1; box <= 2; ++box) {
        auto* check = findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(box));
        connect(check, &QCheckBox::clicked, this, [this, box](bool on) {
            runEvent([this, box, on] { form_.traceCheckBoxClicked(box, on); });
        });
    }
    connect(static_cast<QToolButton*>(scaleButton_), &QToolButton::clicked, this,
            [this] { runEvent([this] { form_.scaleButtonClicked(); }); });
    scaleButton_->installEventFilter(this);
    inputBar_->installEventFilter(this);
    plotPanel_->installEventFilter(this);

    plotContextMenu_ = new QMenu(this);
    plotContextMenu_->setObjectName("PlotContextMenu");
    plot_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(plot_, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
        if (!plotContextMenu_->isEmpty()) plotContextMenu_->popup(plot_->mapToGlobal(pos));
    });

    plot_->setRepaintHandler([this] { return repaintPlot(); });
    connect(plot_, &response::PlotView::mouseMovedAt, this,
            [this](int x, int) { plotMouseMoved(x); });
}

template <typename Event> void MainWindow::runEvent(Event&& event) {
    binder_->toModel(form_.form());
    ++eventDepth_;
    event();
    --eventDepth_;
    cursorFaultShown_ = false;
    syncFromModel();
    plot_->invalidate();
}

void MainWindow::startUp(const std::function<void()>& afterFirstCalculation) {
    runEvent([this, &afterFirstCalculation] {
        form_.startUp([this, &afterFirstCalculation] {
            if (afterFirstCalculation) afterFirstCalculation();
            syncFromModel();
            show();
        });
    });
}

void MainWindow::syncFromModel() {
    binder_->fromModel(form_.form());
    applyFocusRequests();
    const QString caption = QString::fromStdString(form_.windowCaption());
    if (windowTitle() != caption) setWindowTitle(caption);
}

void MainWindow::takeFields() {
    binder_->toModel(form_.form());
}

void MainWindow::changeForm(const std::function<void()>& change) {
    takeFields();
    change();
    syncFromModel();
}

void MainWindow::useCrystal(const measurement::CrystalFieldTexts& crystal) {
    changeForm([&] {
        form_.lmCmClicked(0);
        FormModel& model = form_.form();
        model.setText("AEdit1", crystal.lmMh);
        model.setText("AEdit2", crystal.fsKhz);
        model.setText("AEdit3", crystal.cpPf);
        model.setText("AEdit8", crystal.rmOhm);
        if (!crystal.poles.empty()) model.setText("AEdit6", crystal.poles);
    });
    if (auto* calculate = findChild<QToolButton*>("SpeedButton1")) calculate->click();
}

void MainWindow::applyFocusRequests() {
    korvan::gui::applyFocusRequests(form_.form(), *binder_, *this,
                                    [this](bool next) { return focusNextPrevChild(next); });
}

// Only a change of the checked button is a click of the type buttons.
void MainWindow::typeButtonClicked(int type) {
    const std::string name = "RadioButton" + std::to_string(type);
    if (form_.form().at(name).checked) return;
    runEvent([this, type] { form_.filterTypeClicked(static_cast<FilterType>(type)); });
}

void MainWindow::lmCmClicked(int item) {
    if (form_.form().at("RadioGroup1").itemIndex == item) return;
    runEvent([this, item] { form_.lmCmClicked(item); });
}

response::PlotData MainWindow::repaintPlot() {
    const FormModel& model = form_.form();
    const response::PlotData current{&form_.state(),
                                     model.find("CheckBox1") && model.find("CheckBox1")->checked,
                                     model.find("CheckBox2") && model.find("CheckBox2")->checked};
    // A paint while a message box of a running event is open draws what the
    // arrays hold: the sweep must not run in the middle of another handler.
    if (eventDepth_ > 0) return current;
    binder_->toModel(form_.form());
    // A fault box cannot open inside a paint: it is shown right after it.
    QtMessageSink* sink = qtSink(messages_);
    if (sink) sink->setDeferring(true);
    form_.repaint();
    if (sink) sink->setDeferring(false);
    binder_->fromModel(form_.form());
    return current;
}

void MainWindow::plotMouseMoved(int x) {
    DesignState& state = form_.state();
    if (state.StopCalc) {
        plot_->setCursor(Qt::ArrowCursor);
        return;
    }
    plot_->setCursor(Qt::BlankCursor);
    state.CursorX = x;
    plot_->cursorMoved();
    try {
        const auto readout = response::cursorReadout(state, x, form_.separator());
        if (!readout) return;
        FormModel& model = form_.form();
        model.setText("Label83", readout->frequency);
        model.setText("Panel5", readout->s21);
        model.setText("Panel9", readout->s11);
        model.setText("Panel10", readout->vswr);
        binder_->toModel(model);
        syncFromModel();
    } catch (const CalcError& e) {
        // Reported once until the next event, not at every mouse movement.
        if (cursorFaultShown_) return;
        cursorFaultShown_ = true;
        messages_.show(errorReport(e.what()));
    }
}

void MainWindow::plotPanelMouseMoved(QPoint pos) {
    // Labels on the panel do not count as the panel.
    if (qobject_cast<QLabel*>(plotPanel_->childAt(pos))) return;
    form_.state().CursorX = -1;
    plot_->cursorMoved();
    const auto idle = response::idleCursorReadout();
    FormModel& model = form_.form();
    model.setText("Label83", idle.frequency);
    model.setText("Panel5", idle.s21);
    model.setText("Panel9", idle.s11);
    model.setText("Panel10", idle.vswr);
    binder_->toModel(model);
    syncFromModel();
}

void MainWindow::setScaleButtonColour(Rgb colour) {
    const ControlState* now = form_.form().find("SpeedButton3");
    if (now && now->fontColor == colour) return;
    form_.form().setColor("SpeedButton3", colour);
    binder_->toModel(form_.form());
    syncFromModel();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == scaleButton_) setScaleButtonColour(colors::red);
        // Moves over the button reach the bar too: only the bar itself counts.
        if (watched == inputBar_ &&
            inputBar_->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()) !=
                scaleButton_)
            setScaleButtonColour(colors::green);
        if (watched == plotPanel_)
            plotPanelMouseMoved(static_cast<QMouseEvent*>(event)->position().toPoint());
    }
    // A click on the type frame itself selects the type shown again.
    if (watched == typeFrame_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        runEvent([this] { form_.filterTypeClicked(form_.filterType()); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    binder_->toModel(form_.form());
    ++eventDepth_;
    const bool close = form_.closeRequested();
    --eventDepth_;
    syncFromModel();
    if (close)
        event->accept();
    else
        event->ignore();
}

} // namespace korvan::gui
