// Under a locale whose decimal point is not one ASCII character (ps_AF: U+066B,
// two bytes in UTF-8) the window falls back to "." and writes the netlists
// byte for byte as korvan-cli does with --decimal-separator ".".

#include "app/gui/main_window.h"
#include "model/gui/event_guard.h"
#include "model/gui/system_separator.h"
#include "support/locales.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace korvan;
namespace fs = std::filesystem;

namespace {

constexpr const char* kLocale = "ps_AF.UTF-8";

std::map<std::string, std::string> netlists(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const char* sub : {"GPLA_files", "ARD_files", "SPICE_files"}) {
        if (!fs::exists(folder / sub)) continue;
        for (const auto& e : fs::directory_iterator(folder / sub)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            files[std::string(sub) + "/" + e.path().filename().string()] = text.str();
        }
    }
    return files;
}

} // namespace

class LocaleNetlistsTest : public QObject {
    Q_OBJECT
  public:
    explicit LocaleNetlistsTest(bool available) : available_(available) {}

  private slots:
    void initTestCase();
    void netlistsEqualTheCli_data();
    void netlistsEqualTheCli();

  private:
    bool available_;
};

void LocaleNetlistsTest::initTestCase() {
    if (!available_) QSKIP("the ps_AF.UTF-8 locale can neither be found nor generated here");
    // Qt has set the process locale from LC_ALL: printf would now write U+066B.
    QVERIFY(QByteArray(std::setlocale(LC_NUMERIC, nullptr)).startsWith("ps_AF"));
    QCOMPARE(QLocale::system().decimalPoint(), QString(QChar(0x066B)));
    QCOMPARE(gui::systemSeparator(), '.');
}

void LocaleNetlistsTest::netlistsEqualTheCli_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::newRow("defaults") << QByteArray(
        "1\r\n0\r\n62\r\n4998\r\n4\r\n3\r\n1\r\n8\r\n10\r\n20\r\n");
    QTest::newRow("butterworth") << QByteArray(
        "1\r\n0\r\n70.25\r\n8000\r\n3.9\r\n1.8\r\n0\r\n5\r\n6\r\n0\r\n");
    QTest::newRow("cohn") << QByteArray(
        "2\r\n0\r\n62\r\n4998.5\r\n4.2\r\n2.4\r\n1\r\n6\r\n10\r\n20.5\r\n");
    QTest::newRow("qer") << QByteArray(
        "3\r\n1\r\n15.3\r\n10000\r\n3.5\r\n2.7\r\n0.5\r\n10\r\n12\r\n15\r\n");
}

void LocaleNetlistsTest::netlistsEqualTheCli() {
    QFETCH(QByteArray, settings);
    QTemporaryDir windowDir, cliDir;
    for (const auto* dir : {&windowDir, &cliDir})
        std::ofstream(dir->filePath("Korvan3.cfg").toStdString(), std::ios::binary)
            << settings.toStdString();

    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, windowDir.path().toStdString(), gui::systemSeparator());
    gui::MainWindow window(form, messages);
    window.startUp();
    QVERIFY(form.lastCalculationComplete());

    // The CLI in the C locale, as a script would run it.
    const std::string command = "cd '" + cliDir.path().toStdString() + "' && LC_ALL=C '" +
                                KORVAN_CLI_PATH +
                                "' --config Korvan3.cfg --export --decimal-separator . "
                                "> /dev/null";
    QCOMPARE(std::system(command.c_str()), 0);

    // The type change while loading exports once more with the old fields:
    // the last export is the one that counts.
    const auto fromWindow = netlists(windowDir.path().toStdString());
    const auto fromCli = netlists(cliDir.path().toStdString());
    QCOMPARE(form.exportedFiles().size(), std::size_t(3));
    QCOMPARE(fromCli.size(), std::size_t(3));
    for (const auto& path : form.exportedFiles()) {
        const std::string name =
            path.parent_path().filename().string() + "/" + path.filename().string();
        QVERIFY2(fromCli.count(name), name.c_str());
        QVERIFY2(fromWindow.at(name) == fromCli.at(name), name.c_str());
    }
}

int main(int argc, char* argv[]) {
    // Before QApplication: it takes the process locale from the environment.
    const bool available = korvan::test::ensureLocale(kLocale);
    if (available) ::setenv("LC_ALL", kLocale, 1);
    korvan::gui::GuardedApplication app(argc, argv);
    LocaleNetlistsTest test(available);
    return QTest::qExec(&test, argc, argv);
}

#include "locale_netlists_test.moc"
