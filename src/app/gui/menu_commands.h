#pragma once
// The main menu's colour, snapshot and help commands. The dialog, the wait
// of the confirmation flash and the desktop shell can be replaced, so the
// commands can be driven without a user (tests, scripted runs).

#include "app/menu_commands.h"

#include <QColor>
#include <QObject>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <vector>

class QColorDialog;

namespace korvan::gui {

class MainWindow;

class MenuCommands : public QObject {
    Q_OBJECT

  public:
    // Shows the dialog; true when the user accepted its current colour.
    using ColourChooser = std::function<bool(QColorDialog&)>;
    // Hands a document to the desktop's viewer; its outcome is not shown.
    using DocumentOpener = std::function<bool(const QUrl&)>;

    MenuCommands(MainWindow& window, MainForm& form, MessageSink& messages);

    void setColourChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }
    void setDocumentOpener(DocumentOpener opener) { opener_ = std::move(opener); }
    void setFlashWait(std::function<void()> wait) { flashWait_ = std::move(wait); }
    // Where help documents are looked for, in order; empty means the usual
    // folders (see helpFolders()).
    void setHelpFolders(std::vector<std::filesystem::path> folders) {
        helpFolders_ = std::move(folders);
    }

    QColorDialog* colourDialog() const { return dialog_; }

    void chooseColour(const ColourCommand& command);
    void defaultColours();
    void saveWindow();
    void openHelp(HelpLanguage language);

    // The current folder, the installed documentation folder and, when the
    // program runs from its build folder, the documents built there.
    static std::vector<std::filesystem::path> defaultHelpFolders();

  private:
    void pressCalculate();
    void writeSnapshot();
    void flash();

    MainWindow& window_;
    MainForm& form_;
    MessageSink& messages_;
    QColorDialog* dialog_ = nullptr;
    QColor lastChosen_ = Qt::black;
    ColourChooser chooser_;
    DocumentOpener opener_;
    std::function<void()> flashWait_;
    std::vector<std::filesystem::path> helpFolders_;
};

} // namespace korvan::gui
