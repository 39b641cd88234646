#pragma once
// The whole program as korvan builds it (the main form, the main window and
// every window beside it, wired by the program's own code), in a folder of
// its own, for the GUI tests that run the program as a user does.

#include "app/gui/main_window.h"
#include "app/gui/program_windows.h"
#include "app/main_form.h"
#include "model/clipboard.h"
#include "model/messages.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace korvan::test {

struct WholeProgram {
    WholeProgram() {
        QDir::setCurrent(dir.path());
        form = std::make_unique<MainForm>(messages, clipboard, dir.path().toStdString(), '.');
        window = std::make_unique<gui::MainWindow>(*form, messages);
        windows = std::make_unique<gui::ProgramWindows>(*form, *window, messages);
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    std::unique_ptr<MainForm> form;
    std::unique_ptr<gui::MainWindow> window;
    std::unique_ptr<gui::ProgramWindows> windows;
};

} // namespace korvan::test
