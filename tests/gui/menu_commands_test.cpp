// The colour, snapshot and help commands of the main menu with a scripted
// colour dialog and document opener, and the cursor read-out's span.

#include "app/gui/main_window.h"
#include "app/gui/menu_commands.h"
#include "numeric/number_text.h"
#include "response/gui/plot_view.h"
#include "widgets/gui/aedit.h"

#include <QAction>
#include <QClipboard>
#include <QColorDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>
#include <optional>

using namespace korvan;

namespace {

constexpr const char* kInvalid = "Invalid or missing input value(s)";
// Client-area position of the plot area's top-left pixel: Panel3 + PaintBox1.
constexpr QPoint kPlotOrigin(288 + 40, 72 + 6);

struct Session {
    Session() {
        QDir::setCurrent(dir.path());
        // A settings file keeps the start quiet.
        std::ofstream(dir.filePath("Korvan3.cfg").toStdString(), std::ios::binary)
            << "1\r\n0\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\n20\r\n";
        form = std::make_unique<MainForm>(messages, clipboard, dir.path().toStdString(), '.');
        window = std::make_unique<gui::MainWindow>(*form, messages);
        window->startUp();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        commands = window->findChild<gui::MenuCommands*>();
        QVERIFY(commands);
        // Each opening of the dialog takes the next scripted answer.
        commands->setColourChooser([this](QColorDialog& d) {
            seenInDialog.push_back(d.currentColor());
            const std::optional<QColor> answer = choices.value(0);
            if (!choices.isEmpty()) choices.removeFirst();
            if (!answer) return false;
            d.setCurrentColor(*answer);
            return true;
        });
        commands->setFlashWait([this] {
            flashBackgrounds.push_back(form->state().colours.background);
            flashPictures.push_back(window->plot()->grab().toImage());
        });
        messages.clear();
    }
    void trigger(const char* action) { window->menuAction(action)->trigger(); }
    void choose(const char* action, std::optional<QColor> colour) {
        choices.push_back(colour);
        trigger(action);
    }
    int count(const std::string& text) const {
        int n = 0;
        for (const auto& shown : messages.shown()) n += shown.message.text == text;
        return n;
    }
    QColor textColour(const char* label) const {
        return window->findChild<QLabel*>(label)->palette().color(QPalette::WindowText);
    }
    QColor sampleColour() const {
        return window->findChild<QLabel*>("Label84")->palette().color(QPalette::Window);
    }
    QString snapshotPath() const { return dir.filePath("Filter.bmp"); }
    bool meshPanelLeft() const {
        for (auto* l : window->findChild<QWidget*>("Panel3")->findChildren<QLabel*>())
            if (l->text().contains("Mesh frequency")) return true;
        return false;
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form;
    std::unique_ptr<gui::MainWindow> window;
    gui::MenuCommands* commands = nullptr;
    QList<std::optional<QColor>> choices;
    QList<QColor> seenInDialog;
    QList<Rgb> flashBackgrounds;
    QList<QImage> flashPictures;
};

QColor qc(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

bool imageHas(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

} // namespace

class MenuCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void defaultRestoresEveryColour();
    void cancelChangesNothing();
    void dialogShowsLastChosenColour();
    void attenuationLegendFollowsAtOnce();
    void chosenTraceColourIsDrawn();
    void snapshotTwice();
    void snapshotIntoFolderReportsOnce();
    void help_data();
    void help();
    void cursorFollowsTheDrawnSpan();
};

void MenuCommandsTest::initTestCase() {
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains("propagateSizeHints")) previous(type, context, message);
        });
}

void MenuCommandsTest::defaultRestoresEveryColour() {
    Session s;
    int shade = 10;
    for (const ColourCommand& c : colourCommands()) s.choose(c.action, QColor(shade++, 20, 30));
    const PlotColours& now = s.form->state().colours;
    shade = 10;
    for (const ColourCommand& c : colourCommands())
        QCOMPARE(qc(now.*c.colour), QColor(shade++, 20, 30));
    s.trigger("Default1");
    QVERIFY(now == PlotColours{});
    QCOMPARE(s.sampleColour(), QColor(0, 128, 0));
    QCOMPARE(s.textColour("Label85"), QColor(0, 128, 0));
    QCOMPARE(s.textColour("Label86"), QColor(0, 128, 0));
}

void MenuCommandsTest::cancelChangesNothing() {
    Session s;
    s.window->edit(2)->setText(""); // every calculation would now show a box
    for (const ColourCommand& c : colourCommands()) s.choose(c.action, std::nullopt);
    QVERIFY(s.form->state().colours == PlotColours{});
    QCOMPARE(s.count(kInvalid), 0);
    // An accepted choice and "Default" do calculate.
    s.choose("S21Trace1", QColor(Qt::black));
    s.trigger("Default1");
    QCOMPARE(s.count(kInvalid), 2);
}

void MenuCommandsTest::dialogShowsLastChosenColour() {
    Session s;
    s.choose("S11Trace1", std::nullopt);
    s.choose("S21Trace1", QColor(1, 2, 3));
    s.choose("GridLines1", std::nullopt);
    s.choose("VSWRTrace1", QColor(4, 5, 6));
    QCOMPARE(s.seenInDialog,
             QList<QColor>({Qt::black, Qt::black, QColor(1, 2, 3), QColor(1, 2, 3)}));
}

void MenuCommandsTest::attenuationLegendFollowsAtOnce() {
    Session s;
    s.window->edit(2)->setText(""); // the calculation stops before the legend
    s.choose("UltimateAttnLine1", QColor(200, 0, 100));
    QCOMPARE(s.sampleColour(), QColor(200, 0, 100));
    QCOMPARE(s.textColour("Label85"), QColor(200, 0, 100));
    QCOMPARE(s.textColour("Label86"), QColor(200, 0, 100));
}

void MenuCommandsTest::chosenTraceColourIsDrawn() {
    Session s;
    const QColor odd(17, 201, 93);
    QVERIFY(!imageHas(s.window->plot()->grab().toImage(), odd));
    s.choose("S21Trace1", odd);
    QVERIFY(imageHas(s.window->plot()->grab().toImage(), odd));
}

void MenuCommandsTest::snapshotTwice() {
    Session s;
    const QColor grid(12, 34, 56);
    s.choose("GridLines1", grid);
    s.trigger("Screenshot1");
    QImage first(s.snapshotPath(), "BMP");
    QCOMPARE(first.size(), QSize(855, 646));
    // A dot of the horizontal grid line in row 52 of the plot.
    const QPoint dot = kPlotOrigin + QPoint(10, 52);
    QVERIFY(first.pixelColor(dot) == grid || first.pixelColor(dot + QPoint(1, 0)) == grid);
    // The mesh-frequency panel is in the picture (white with teal text)...
    const QRect panel(288 + 205, 72 + 522, 167, 17);
    QCOMPARE(first.pixelColor(panel.topLeft() + QPoint(2, 2)), QColor(Qt::white));
    QVERIFY(imageHas(first.copy(panel), QColor(0, 128, 128)));
    // ...but not left on the window.
    QVERIFY(!s.meshPanelLeft());
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             first.convertToFormat(QImage::Format_RGB32));

    // The flash: red of the background inverted for the wait, then back.
    QCOMPARE(s.flashBackgrounds.size(), 1);
    QCOMPARE(qc(s.flashBackgrounds[0]), QColor(0, 255, 224));
    QCOMPARE(s.flashPictures[0].pixelColor(3, 3), QColor(0, 255, 224));
    QCOMPARE(qc(s.form->state().colours.background), QColor(255, 255, 224));

    s.choose("Background1", QColor(250, 240, 230));
    s.trigger("Screenshot1");
    QImage second(s.snapshotPath(), "BMP");
    QCOMPARE(second.pixelColor(kPlotOrigin + QPoint(3, 3)), QColor(250, 240, 230));
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             second.convertToFormat(QImage::Format_RGB32));
    QVERIFY(!s.meshPanelLeft());
    QCOMPARE(s.messages.shown().size(), std::size_t(0));
    // No temporary file stays behind.
    QCOMPARE(QDir(s.dir.path()).entryList({".Filter*"}, QDir::Hidden | QDir::Files).size(), 0);
}

void MenuCommandsTest::snapshotIntoFolderReportsOnce() {
    Session s;
    QVERIFY(QDir(s.dir.path()).mkdir("Filter.bmp"));
    s.trigger("Screenshot1");
    QCOMPARE(s.messages.shown().size(), std::size_t(1));
    const Message& box = s.messages.shown().front().message;
    QCOMPARE(box.icon, MsgIcon::Stop);
    QCOMPARE(QString::fromStdString(box.text),
             "Cannot create file \"" + s.snapshotPath() + "\". File access denied.");
    QVERIFY(!s.meshPanelLeft());
    QVERIFY(s.flashBackgrounds.isEmpty());
    QVERIFY(QFileInfo(s.snapshotPath()).isDir());
    QCOMPARE(QDir(s.dir.path()).entryList({".Filter*"}, QDir::Hidden | QDir::Files).size(), 0);
}

void MenuCommandsTest::help_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("present"); // folders holding it: c(urrent), d(ocs)
    QTest::addColumn<QString>("opened");  // folder of the opened file, or empty
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("viewer"); // the desktop has a program for PDF
    QTest::newRow("English missing") << "English1"
                                     << "eKorvanHelp.pdf"
                                     << ""
                                     << ""
                                     << "Help file \"eKorvanHelp.pdf\" not found" << true;
    QTest::newRow("German missing") << "Deutsch1"
                                    << "dKorvanHelp.pdf"
                                    << ""
                                    << ""
                                    << "Hilfedatei \"dKorvanHelp.pdf\" nicht gefunden" << true;
    QTest::newRow("other language only") << "English1"
                                         << "dKorvanHelp.pdf"
                                         << "cd"
                                         << ""
                                         << "Help file \"eKorvanHelp.pdf\" not found" << true;
    QTest::newRow("installed") << "Deutsch1"
                               << "dKorvanHelp.pdf"
                               << "d"
                               << "d"
                               << "" << true;
    QTest::newRow("current first") << "English1"
                                   << "eKorvanHelp.pdf"
                                   << "cd"
                                   << "c"
                                   << "" << true;
    QTest::newRow("a folder of that name") << "English1"
                                           << "eKorvanHelp.pdf"
                                           << "C"
                                           << ""
                                           << "Help file \"eKorvanHelp.pdf\" not found" << true;

    QTest::newRow("no viewer") << "Deutsch1"
                               << "dKorvanHelp.pdf"
                               << "d"
                               << "d"
                               << "Es wurde kein Programm gefunden, das PDF-Dokumente anzeigt. Die "
                                  "Hilfe liegt in\r"
                               << false;
}

void MenuCommandsTest::help() {
    QFETCH(QString, action);
    QFETCH(QString, document);
    QFETCH(QString, present);
    QFETCH(QString, opened);
    QFETCH(QString, message);
    QFETCH(bool, viewer);
    Session s;
    QTemporaryDir docs;
    if (present.contains('c')) QFile(s.dir.filePath(document)).open(QIODevice::WriteOnly);
    if (present.contains('C')) QDir(s.dir.path()).mkdir(document);
    if (present.contains('d')) QFile(docs.filePath(document)).open(QIODevice::WriteOnly);
    s.commands->setHelpFolders({s.dir.path().toStdString(), docs.path().toStdString()});
    QList<QUrl> urls;
    s.commands->setDocumentOpener([&](const QUrl& url) {
        urls << url;
        return viewer;
    });
    s.trigger(qPrintable(action));
    const QString folder = opened == "c" ? s.dir.path() : docs.path();
    if (!viewer) {
        // The document was handed on, and the box says where it lies.
        QCOMPARE(urls, QList<QUrl>({QUrl::fromLocalFile(folder + "/" + document)}));
        QCOMPARE(s.messages.shown().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(s.messages.shown().front().message.text),
                 message + QDir::cleanPath(folder + "/" + document));
    } else if (message.isEmpty()) {
        QCOMPARE(s.messages.shown().size(), std::size_t(0));
        QCOMPARE(urls, QList<QUrl>({QUrl::fromLocalFile(folder + "/" + document)}));
    } else {
        QVERIFY(urls.isEmpty());
        QCOMPARE(s.messages.shown().size(), std::size_t(1));
        const Message& box = s.messages.shown().front().message;
        QCOMPARE(QString::fromStdString(box.text), message);
        QCOMPARE(box.title, std::string("Info"));
        QCOMPARE(box.icon, MsgIcon::Exclamation);
        QCOMPARE(box.buttons, MsgButtons::Ok);
    }
}

void MenuCommandsTest::cursorFollowsTheDrawnSpan() {
    Session s;
    const DesignState& st = s.form->state();
    const auto expected = [&](int column) {
        const long double f = st.fm - 5000.0L + (column - 1) * 20.0L; // drawn span 10 kHz
        return QString::fromStdString("Frequency: " + numeric::formatFixed(f / 1000, 16, 3, '.') +
                                      " kHz");
    };
    // A new span typed but not calculated, then one that is not a number.
    for (const char* span : {"20", "1O"}) {
        s.window->edit(7)->setText(span);
        QTest::mouseMove(s.window->plot(), QPoint(101, 200));
        QCOMPARE(s.window->findChild<QLabel*>("Label83")->text(), expected(101));
        QTest::mouseMove(s.window->plot(), QPoint(1, 200));
        QCOMPARE(s.window->findChild<QLabel*>("Label83")->text(), expected(1));
    }
    QCOMPARE(s.messages.shown().size(), std::size_t(0));
}

QTEST_MAIN(MenuCommandsTest)
#include "menu_commands_test.moc"
