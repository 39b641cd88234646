// Saving the netlists: folders, file names and order, the clipboard, files
// that cannot be created, and what a calculation leaves on disk.

#include "app/main_form.h"
#include "model/text_file.h"
#include "hand_design.h"
#include "netlist/ard.h"
#include "netlist/export.h"
#include "netlist/gpla.h"
#include "netlist/ltspice.h"
#include "numeric/errors.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace korvan;
using namespace korvan::netlist;
namespace fs = std::filesystem;
using korvan::test::HandDesign;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every regular file under the three folders, with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& base) {
    std::map<std::string, std::string> files;
    for (const char* folder : {"GPLA_files", "ARD_files", "SPICE_files"}) {
        if (!fs::is_directory(base / folder)) continue;
        for (const auto& e : fs::directory_iterator(base / folder))
            if (e.is_regular_file())
                files[fs::relative(e.path(), base).string()] = readBytes(e.path());
    }
    return files;
}

struct Export {
    test::TempDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;

    std::vector<fs::path> run(HandDesign& d) {
        StageContext ctx{d.state, d.form, messages, '.'};
        return exportNetlists(ctx, clipboard, dir.path());
    }
};

TEST(netlist_test, folders_are_created_and_failures_ignored) {
    test::TempDir dir;
    createNetlistFolders(dir.path());
    for (const char* folder : {"GPLA_files", "ARD_files", "SPICE_files"})
        EXPECT_TRUE(fs::is_directory(dir.path() / folder)) << folder;
    createNetlistFolders(dir.path()); // existing folders are fine

    // A file in the way of one folder does not stop the others.
    test::TempDir other;
    std::ofstream(other.path() / "ARD_files") << "x";
    EXPECT_NO_THROW(createNetlistFolders(other.path()));
    EXPECT_TRUE(fs::is_directory(other.path() / "GPLA_files"));
    EXPECT_TRUE(fs::is_regular_file(other.path() / "ARD_files"));
    EXPECT_TRUE(fs::is_directory(other.path() / "SPICE_files"));
    EXPECT_NO_THROW(createNetlistFolders(other.path() / "missing" / "deeper"));
}

TEST(netlist_test, export_writes_three_files_in_order) {
    struct Case {
        HandDesign design;
        std::vector<std::string> files;
    };
    Case cases[] = {
        {test::chebyshev8(),
         {"GPLA_files/Startfile.cir", "ARD_files/T050_p8.ckt",
          "SPICE_files/T_8p_5000k_1_3000.cir"}},
        {test::equalCapacitorDesign(false, 5),
         {"GPLA_files/Startfile.cir", "ARD_files/C050_p5.ckt", "SPICE_files/C_5p_5000k_3000.cir"}},
        {test::equalCapacitorDesign(true, 6),
         {"ARD_files/Q050_p6.ckt", "GPLA_files/Startfile.cir", "SPICE_files/Q_6p_5000k_3000.cir"}},
    };
    for (auto& c : cases) {
        Export e;
        createNetlistFolders(e.dir.path());
        const auto written = e.run(c.design);
        ASSERT_EQ(written.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(written[i], e.dir.path() / c.files[i]);

        const auto texts = c.design.texts();
        const auto& s = c.design.state;
        const auto gpla = readBytes(e.dir.path() / "GPLA_files/Startfile.cir");
        const auto ard = readBytes(e.dir.path() / "ARD_files" / ardFileName(s, '.'));
        const auto spice = readBytes(e.dir.path() / "SPICE_files" / ltspiceFileName(s, texts, '.'));
        EXPECT_EQ(gpla, joinCrLf(gplaLines(s, texts, '.')));
        EXPECT_EQ(ard, joinCrLf(ardLines(s, texts, '.')));
        EXPECT_EQ(spice, joinCrLf(ltspiceLines(s, texts, '.')));
        EXPECT_TRUE(ard.ends_with("end\r\n"));
        EXPECT_TRUE(spice.ends_with(".End\r\n"));
        EXPECT_EQ(e.clipboard.text(), ard);
        EXPECT_EQ(e.clipboard.writes(), 1);
        EXPECT_EQ(snapshot(e.dir.path()).size(), 3u); // no temporary files left
    }
}

TEST(netlist_test, file_bytes_of_records_and_empty_lines) {
    Export e;
    createNetlistFolders(e.dir.path());
    auto d = test::chebyshevDesign(2, {20.5f}, {20.5f}, {"20.5 "}, {"20.5 "});
    e.run(d);
    const auto gpla = readBytes(e.dir.path() / "GPLA_files/Startfile.cir");
    // A record ends in CR LF, its inner fields in CR; the displayed value
    // keeps its blank.
    EXPECT_TRUE(gpla.ends_with("\r\nxtl\rser\r0\r\ncap\rser\r20.5 \r\nrlb\r\n"));
    EXPECT_EQ(gpla.substr(0, 8), "6\r\n333\r\n");
    const auto spice = readBytes(e.dir.path() / "SPICE_files/T_2p_5000k_1_3000.cir");
    EXPECT_NE(spice.find("*----- LTSpice NetList -----\r\n\r\n .subckt"), std::string::npos);
    EXPECT_NE(spice.find("RSER=820.5\r\n\r\nCs1     100  105"), std::string::npos);
    EXPECT_NE(spice.find("    20.5pF\r\n\r\nRL  120   0"), std::string::npos);
    EXPECT_EQ(spice.find('\n' + std::string("\r\n\r\n")), std::string::npos);
}

TEST(netlist_test, a_file_that_cannot_be_created_ends_the_export) {
    struct Case {
        HandDesign design;
        bool gplaWritten;
    };
    Case cases[] = {
        {test::chebyshev8(), true},
        {test::equalCapacitorDesign(false, 4), true},
        {test::equalCapacitorDesign(true, 4), false}, // QER writes ARD first
    };
    for (auto& c : cases) {
        Export e;
        createNetlistFolders(e.dir.path());
        const auto texts = c.design.texts();
        const fs::path ardPath = e.dir.path() / "ARD_files" / ardFileName(c.design.state, '.');
        fs::create_directory(ardPath); // nothing can replace a folder
        try {
            e.run(c.design);
            ADD_FAILURE() << "no error";
        } catch (const FileError& err) {
            EXPECT_EQ(std::string(err.what()), "Cannot create file " + ardPath.string());
        }
        EXPECT_EQ(fs::exists(e.dir.path() / "GPLA_files/Startfile.cir"), c.gplaWritten);
        EXPECT_EQ(e.clipboard.text(), joinCrLf(ardLines(c.design.state, texts, '.')));
        EXPECT_TRUE(fs::is_empty(e.dir.path() / "SPICE_files"));
        EXPECT_TRUE(fs::is_directory(ardPath));
        EXPECT_TRUE(fs::is_empty(ardPath));
        // The failed attempt leaves no temporary file behind.
        EXPECT_EQ(std::distance(fs::directory_iterator(e.dir.path() / "ARD_files"),
                                fs::directory_iterator()),
                  1);
    }

    // A missing folder: the first file already fails, nothing is written.
    Export e;
    auto d = test::chebyshev8();
    try {
        e.run(d);
        ADD_FAILURE() << "no error";
    } catch (const FileError& err) {
        EXPECT_EQ(std::string(err.what()),
                  "Cannot create file " + (e.dir.path() / "GPLA_files/Startfile.cir").string());
    }
    EXPECT_EQ(e.clipboard.writes(), 0);
}

// Replacing by rename would get past the protection; the export refuses the
// file the way opening it for writing would. Root may write any file, so the
// check runs in a child process without privileges.
TEST(netlist_test, a_write_protected_file_is_not_replaced) {
    Export e;
    createNetlistFolders(e.dir.path());
    const fs::path ardPath = e.dir.path() / "ARD_files/T050_p8.ckt";
    std::ofstream(ardPath) << "old";
    fs::permissions(ardPath,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto check = [&] {
        auto d = test::chebyshev8();
        bool refused = false;
        try {
            e.run(d);
        } catch (const FileError& err) {
            refused = std::string(err.what()) == "Cannot create file " + ardPath.string();
        }
        return refused && readBytes(ardPath) == "old" &&
               fs::exists(e.dir.path() / "GPLA_files/Startfile.cir") &&
               fs::is_empty(e.dir.path() / "SPICE_files");
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(check());
        return;
    }
    for (const auto& p : {e.dir.path(), e.dir.path() / "GPLA_files", e.dir.path() / "ARD_files",
                          e.dir.path() / "SPICE_files"})
        fs::permissions(p, fs::perms::all);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(netlist_test, a_shorter_text_replaces_the_whole_file) {
    Export e;
    createNetlistFolders(e.dir.path());
    auto big =
        test::chebyshevDesign(14, {27.8f, 33.2f, 34.2f, 34.4f, 34.5f, 34.6f, 34.7f},
                              {33.2f, 147.7f, 127.8f, 120.0f, 118.0f, 117.0f},
                              {"27.8 ", "33.2 ", "34.2 ", "34.4 ", "34.5 ", "34.6 ", "34.7 "},
                              {"33.2 ", "147.7 ", "127.8 ", "120.0 ", "118.0 ", "117.0 "});
    e.run(big);
    auto small = test::chebyshevDesign(2, {20.5f}, {20.5f}, {"20.5 "}, {"20.5 "});
    e.run(small);
    EXPECT_EQ(readBytes(e.dir.path() / "GPLA_files/Startfile.cir"),
              joinCrLf(gplaLines(small.state, small.texts(), '.')));
    EXPECT_EQ(snapshot(e.dir.path()).size(), 5u); // 1 GPLA, 2 ARD, 2 LTspice
}

// ------------------------------------------------------ the whole program

class ProgramExport : public ::testing::Test {
  protected:
    ProgramExport() : form(messages, clipboard, dir.path(), '.') {
        netlist::createNetlistFolders(dir.path());
    }

    void calculate() {
        messages.clear();
        form.calculateClicked();
    }

    // Sets every netlist file's time back, so that a rewrite shows.
    void ageFiles() {
        for (const auto& [name, bytes] : snapshot(dir.path()))
            fs::last_write_time(dir.path() / name, old);
    }
    bool allFilesOld() {
        for (const auto& [name, bytes] : snapshot(dir.path()))
            if (fs::last_write_time(dir.path() / name) != old) return false;
        return true;
    }

    test::TempDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form;
    fs::file_time_type old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
};

TEST_F(ProgramExport, default_design_writes_the_expected_names) {
    calculate();
    ASSERT_TRUE(form.lastCalculationComplete());
    EXPECT_TRUE(messages.shown().empty());
    const std::vector<fs::path> expected = {dir.path() / "GPLA_files/Startfile.cir",
                                            dir.path() / "ARD_files/T050_p8.ckt",
                                            dir.path() / "SPICE_files/T_8p_5000k_1_3000.cir"};
    EXPECT_EQ(form.exportedFiles(), expected);
    EXPECT_EQ(clipboard.text(), readBytes(expected[1]));
}

TEST_F(ProgramExport, rejected_input_writes_nothing) {
    calculate();
    ageFiles();
    const auto before = snapshot(dir.path());
    const int clipboardWrites = clipboard.writes();
    ASSERT_EQ(before.size(), 3u);

    struct Case {
        const char* field;
        const char* text;
    } cases[] = {{"AEdit2", ""}, {"AEdit4", "abc"}, {"AEdit1", "0"}};
    for (const auto& c : cases) {
        const std::string keep = form.form().text(c.field);
        form.form().setText(c.field, c.text);
        form.form().setText("AEdit6", "5"); // would give new file names
        calculate();
        EXPECT_TRUE(form.state().StopCalc) << c.field;
        EXPECT_EQ(snapshot(dir.path()), before) << c.field;
        EXPECT_TRUE(allFilesOld()) << c.field;
        EXPECT_EQ(clipboard.writes(), clipboardWrites);
        form.form().setText(c.field, keep);
        form.form().setText("AEdit6", "8");
    }
    // Refusing an implausible motional value stops the same way.
    form.form().setText("AEdit1", "99999");
    messages.script(MsgAnswer::No);
    form.calculateClicked();
    EXPECT_TRUE(form.state().StopCalc);
    EXPECT_EQ(snapshot(dir.path()), before);
    EXPECT_TRUE(allFilesOld());
}

TEST_F(ProgramExport, two_calculations_give_identical_bytes) {
    for (auto type : {FilterType::ChebyshevButterworth, FilterType::Cohn, FilterType::Qer}) {
        form.filterTypeClicked(type);
        const auto first = snapshot(dir.path());
        const std::string firstClip = clipboard.text();
        calculate();
        EXPECT_EQ(snapshot(dir.path()), first);
        EXPECT_EQ(clipboard.text(), firstClip);
    }
}

TEST_F(ProgramExport, new_designs_leave_earlier_files) {
    calculate();
    const auto first = snapshot(dir.path());
    const std::string oldArd = "ARD_files/T050_p8.ckt";
    const std::string oldSpice = "SPICE_files/T_8p_5000k_1_3000.cir";
    ASSERT_TRUE(first.count(oldArd));
    ASSERT_TRUE(first.count(oldSpice));

    form.form().setText("AEdit6", "5");
    calculate();
    auto now = snapshot(dir.path());
    EXPECT_EQ(now.size(), 5u);
    EXPECT_EQ(now[oldArd], first.at(oldArd));
    EXPECT_EQ(now[oldSpice], first.at(oldSpice));
    EXPECT_TRUE(now.count("ARD_files/T050_p5.ckt"));
    EXPECT_NE(now["GPLA_files/Startfile.cir"], first.at("GPLA_files/Startfile.cir"));

    form.filterTypeClicked(FilterType::Cohn);
    now = snapshot(dir.path());
    EXPECT_EQ(now.size(), 7u);
    EXPECT_TRUE(now.count("ARD_files/C050_p5.ckt"));
    EXPECT_EQ(now[oldArd], first.at(oldArd));
}

TEST_F(ProgramExport, locked_ard_file_is_reported_and_ends_the_export) {
    calculate();
    form.form().setText("AEdit6", "6");
    const fs::path ardPath = dir.path() / "ARD_files/T050_p6.ckt";
    fs::create_directory(ardPath);
    fs::last_write_time(dir.path() / "GPLA_files/Startfile.cir", old);

    calculate();
    ASSERT_EQ(messages.shown().size(), 1u);
    const Message& box = messages.shown()[0].message;
    EXPECT_EQ(box.text, "Cannot create file " + ardPath.string() + ".");
    EXPECT_EQ(box.icon, MsgIcon::Stop);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_NE(fs::last_write_time(dir.path() / "GPLA_files/Startfile.cir"), old);
    EXPECT_NE(clipboard.text().find("\r\nTchby6p: 2por 100 260\r\n"), std::string::npos);
    EXPECT_EQ(
        std::distance(fs::directory_iterator(dir.path() / "SPICE_files"), fs::directory_iterator()),
        1); // only the 8-pole file of the first calculation
    EXPECT_TRUE(form.lastCalculationComplete());
    const FormModel shown = form.form();
    const std::string clip = clipboard.text();

    // Once the way is clear the same design exports; the screen was the same.
    fs::remove(ardPath);
    calculate();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(readBytes(ardPath), clip);
    for (int i : {19, 20, 33, 34, 35, 40, 41, 87, 90, 91})
        EXPECT_EQ(form.form().text(FormModel::label(i)), shown.text(FormModel::label(i))) << i;
}

TEST_F(ProgramExport, start_up_creates_folders_and_exports_once_pressed) {
    test::TempDir fresh;
    ScriptedMessages m;
    RecordingClipboard cb;
    MainForm start(m, cb, fresh.path(), '.');
    start.startUp();
    for (const char* folder : {"GPLA_files", "ARD_files", "SPICE_files"})
        EXPECT_TRUE(fs::is_directory(fresh.path() / folder));
    // The first calculation with the defaults exports nothing; the press at
    // the end of start-up does, once.
    EXPECT_EQ(cb.writes(), 1);
    EXPECT_EQ(snapshot(fresh.path()).size(), 3u);
}

} // namespace
