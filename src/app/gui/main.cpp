// Program entry: the main form with the system's decimal separator and the
// working folder, shown in the main window, and the windows beside it
// (program_windows.h).

#include "app/gui/main_window.h"
#include "app/gui/program_windows.h"
#include "app/program_info.h"
#include "model/gui/event_guard.h"
#include "model/gui/qt_clipboard.h"
#include "model/gui/qt_message_sink.h"
#include "model/gui/system_separator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

// Milliseconds since the kernel started this process (clock-tick resolution).
double msSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')');
    if (close == std::string::npos) return -1;
    // Fields after the command name start at field 3; starttime is field 22.
    std::size_t pos = close + 2;
    for (int field = 3; field < 22 && pos != std::string::npos; ++field)
        pos = all.find(' ', pos) + 1;
    if (pos == std::string::npos || pos >= all.size()) return -1;
    double startTicks = 0; // from_chars: the process locale is the user's here
    std::from_chars(all.data() + pos, all.data() + all.size(), startTicks);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before QApplication: no display needed, no folder created.
    if (const auto code = korvan::answerInfoOption(argc, argv, std::cout)) return *code;
    QElapsedTimer sinceMain;
    sinceMain.start();
    // Every event handler of the program runs under the last net.
    korvan::gui::GuardedApplication app(argc, argv);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);

    // KORVAN_MEASURE_STARTUP=1: start up without questions, print the time to
    // the first completed calculation and quit.
    const bool measure = qEnvironmentVariableIntValue("KORVAN_MEASURE_STARTUP") == 1;

    korvan::gui::QtMessageSink dialogs;
    korvan::ScriptedMessages unattended;
    korvan::MessageSink& messages = measure ? static_cast<korvan::MessageSink&>(unattended)
                                            : static_cast<korvan::MessageSink&>(dialogs);
    korvan::gui::QtClipboard clipboard;
    korvan::MainForm form(messages, clipboard, QDir::currentPath().toStdString(),
                          korvan::gui::systemSeparator());
    korvan::gui::MainWindow window(form, messages);
    korvan::gui::ProgramWindows windows(form, window, messages);

    if (!measure) {
        window.startUp();
        return QApplication::exec();
    }
    double firstMs = -1, firstSinceMainMs = -1;
    window.startUp([&] {
        firstMs = msSinceProcessStart();
        firstSinceMainMs = static_cast<double>(sinceMain.nsecsElapsed()) / 1e6;
    });
    std::printf("first calculation: %.1f ms after process start (%.1f ms after main)\n"
                "start-up complete: %.1f ms after process start\n",
                firstMs, firstSinceMainMs, msSinceProcessStart());
    return 0;
}
