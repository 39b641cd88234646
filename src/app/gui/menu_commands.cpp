#include "app/gui/menu_commands.h"

#include "app/gui/main_window.h"
#include "model/text_file.h"
#include "numeric/errors.h"
#include "response/gui/plot_view.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QThread>
#include <QToolButton>

#include <memory>

namespace korvan::gui {

namespace {

Rgb toRgb(const QColor& c) {
    return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
            static_cast<std::uint8_t>(c.blue())};
}

std::filesystem::path fromQString(const QString& s) {
    return std::filesystem::path(s.toStdString());
}

} // namespace

MenuCommands::MenuCommands(MainWindow& window, MainForm& form, MessageSink& messages)
    : QObject(&window), window_(window), form_(form), messages_(messages) {
    setObjectName("MenuCommands");
    dialog_ = new QColorDialog(&window);
    dialog_->setObjectName("ColorDialog1");
    dialog_->setCurrentColor(lastChosen_);
    // Closing the dialog by the window manager rejects it: a Cancel.
    chooser_ = [](QColorDialog& d) { return d.exec() == QDialog::Accepted; };
    opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    flashWait_ = [] { QThread::msleep(100); };

    for (const ColourCommand& command : colourCommands()) {
        if (QAction* a = window.menuAction(command.action))
            connect(a, &QAction::triggered, this, [this, &command] { chooseColour(command); });
    }
    const auto wire = [&](const char* name, auto slot) {
        if (QAction* a = window.menuAction(name)) connect(a, &QAction::triggered, this, slot);
    };
    wire("Default1", [this] { defaultColours(); });
    wire("Screenshot1", [this] { saveWindow(); });
    wire("English1", [this] { openHelp(HelpLanguage::English); });
    wire("Deutsch1", [this] { openHelp(HelpLanguage::German); });
}

void MenuCommands::pressCalculate() {
    if (auto* calculate = window_.findChild<QToolButton*>("SpeedButton1")) calculate->click();
}

void MenuCommands::chooseColour(const ColourCommand& command) {
    // Not preset from the plot: the dialog shows what was last chosen in it.
    dialog_->setCurrentColor(lastChosen_);
    if (!chooser_(*dialog_)) {
        dialog_->setCurrentColor(lastChosen_);
        return;
    }
    lastChosen_ = dialog_->currentColor();
    const Rgb chosen = toRgb(lastChosen_);
    window_.changeForm([&] { applyChosenColour(form_, command, chosen); });
    pressCalculate();
}

void MenuCommands::defaultColours() {
    window_.changeForm([this] { restoreDefaultColours(form_); });
    pressCalculate();
}

void MenuCommands::saveWindow() {
    try {
        writeSnapshot();
    } catch (const std::exception& e) {
        const Message report = errorReport(e.what());
        window_.changeForm([&] { messages_.show(report); });
        return; // no flash: nothing was saved
    }
    flash();
}

void MenuCommands::writeSnapshot() {
    QWidget* client = window_.centralWidget();
    QWidget* plotPanel = window_.findChild<QWidget*>("Panel3");
    // The mesh frequency appears in the snapshot only; the panel goes again
    // whatever happens below.
    auto panel = std::make_unique<QLabel>(plotPanel);
    panel->setGeometry(205, 522, 167, 17);
    const QString caption =
        QString::fromStdString(meshFrequencyCaption(form_.state().fMesh, form_.separator()));
    // 8 points; a face wider than the designed one is narrowed until the
    // caption (its leading blanks aside) fits the panel.
    QFont font = panel->font();
    font.setPointSizeF(8);
    while (font.pointSizeF() > 5 &&
           QFontMetrics(font).horizontalAdvance(caption.trimmed()) > panel->width() - 4)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    panel->setFont(font);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 128, 128));
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    panel->setAutoFillBackground(true);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setText(caption);
    panel->show();

    // Rendered at one pixel per design pixel, whatever the screen's scale.
    QImage image(client->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    client->render(&image);
    QGuiApplication::clipboard()->setImage(image);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const std::filesystem::path target = form_.basePath() / kSnapshotFileName;
    try {
        if (!image.save(&buffer, "BMP")) throw FileError("Bitmap encoding failed");
        writeFileAtomically(
            target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const FileError& e) {
        throw FileError("Cannot create file \"" + target.string() + "\". " + e.what());
    }
}

void MenuCommands::flash() {
    response::PlotView* plot = window_.plot();
    Rgb& background = form_.state().colours.background;
    for (int step = 0; step < 2; ++step) {
        background = flashedBackground(background);
        plot->invalidate();
        plot->repaint();
        if (step == 0) flashWait_();
    }
}

void MenuCommands::openHelp(HelpLanguage language) {
    const std::string name = helpFileName(language);
    const std::vector<std::filesystem::path> folders =
        helpFolders_.empty() ? defaultHelpFolders() : helpFolders_;
    const auto document = findHelpDocument(name, folders);
    if (!document) {
        window_.changeForm([&] { messages_.show(helpNotFoundMessage(language)); });
        return;
    }
    // A desktop without a viewer for PDF would otherwise leave the command
    // without any visible effect: say where the document is.
    if (!opener_(QUrl::fromLocalFile(QString::fromStdString(document->string()))))
        window_.changeForm([&] { messages_.show(helpViewerMissingMessage(language, *document)); });
}

std::vector<std::filesystem::path> MenuCommands::defaultHelpFolders() {
    const QString program = QCoreApplication::applicationDirPath();
    return {fromQString(QDir::currentPath()),
            fromQString(QDir::cleanPath(program + "/../share/doc/korvan")),
            fromQString(QDir::cleanPath(program + "/../docs/help"))};
}

} // namespace korvan::gui
