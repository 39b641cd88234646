// The netlists of whole calculations, byte for byte, against files kept in
// tests/data/netlist. To write them anew after a deliberate change, run with
// KORVAN_UPDATE_GOLDENS=1 and check every difference by hand before
// committing.

#include "app/main_form.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using namespace korvan;
namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(KORVAN_TEST_DATA_DIR) / "netlist";

bool updating() {
    const char* v = std::getenv("KORVAN_UPDATE_GOLDENS");
    return v && std::string(v) == "1";
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Relative path -> bytes, for every file under `root`.
std::map<std::string, std::string> tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    if (!fs::is_directory(root)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[fs::relative(e.path(), root).generic_string()] = readBytes(e.path());
    return files;
}

struct Design {
    const char* name;
    FilterType type;
    int lmCmItem; // 0: AEdit1 is Lm in mH, 1: Cm in fF
    // AEdit1..AEdit8 except AEdit6 (the pole count), with "." as separator.
    const char* fields[8];
};

// The reference crystal as Chebyshev; other crystals, bandwidths and spans
// for the rest, so that typed decimals, the sweep thresholds, a lossless
// crystal and a crystal entered by Cm all appear.
const Design kDesigns[] = {
    {"chebyshev",
     FilterType::ChebyshevButterworth,
     0,
     {"62", "4998", "4", "3", "1", "", "10", "20"}},
    {"butterworth",
     FilterType::ChebyshevButterworth,
     0,
     {"50.7", "4915.2", "3.8", "2.4", "0", "", "8.5", "15.5"}},
    {"cohn", FilterType::Cohn, 0, {"62", "4998", "4", "1.8", "1", "", "6.5", "25"}},
    {"qer", FilterType::Qer, 1, {"16.5", "10700", "3.5", "3.6", "1", "", "12", ""}},
};
const int kPoles[] = {2, 3, 4, 5, 7, 8, 14};

struct Outcome {
    std::map<std::string, std::string> files;
    std::string clipboard;
    std::vector<ScriptedMessages::Shown> boxes;
};

Outcome calculate(const Design& d, int n, char sep) {
    test::TempDir dir;
    ScriptedMessages messages;
    RecordingClipboard clipboard;
    MainForm form(messages, clipboard, dir.path(), sep);
    form.startUp(); // folders, and one export of the defaults
    for (int i = 1; i <= 8; ++i) {
        std::string text = i == 6 ? std::to_string(n) : d.fields[i - 1];
        std::replace(text.begin(), text.end(), '.', sep);
        form.form().setText(FormModel::edit(i), text);
    }
    form.lmCmClicked(d.lmCmItem);
    for (const char* folder : {"GPLA_files", "ARD_files", "SPICE_files"})
        for (const auto& e : fs::directory_iterator(dir.path() / folder)) fs::remove(e.path());
    messages.clear();
    form.filterTypeClicked(d.type); // presses "Calculate"
    Outcome out{tree(dir.path()), clipboard.text(), messages.shown()};
    out.files.erase("Korvan3.cfg");
    return out;
}

std::string caseName(const Design& d, int n, char sep) {
    return std::string(d.name) + "_n" + std::to_string(n) + (sep == '.' ? "_point" : "_comma");
}

TEST(netlist_test, golden_files) {
    for (const auto& d : kDesigns) {
        for (int n : kPoles) {
            for (char sep : {'.', ','}) {
                const std::string name = caseName(d, n, sep);
                SCOPED_TRACE(name);
                const Outcome got = calculate(d, n, sep);
                ASSERT_EQ(got.files.size(), 3u);
                for (const auto& box : got.boxes) // only the bandwidth limit may speak
                    EXPECT_EQ(box.message.title, "Info") << box.message.text;
                const auto ard = std::find_if(got.files.begin(), got.files.end(), [](auto& f) {
                    return f.first.starts_with("ARD_files/");
                });
                ASSERT_NE(ard, got.files.end());
                EXPECT_EQ(got.clipboard, ard->second);

                const fs::path golden = kGoldenDir / name;
                if (updating()) {
                    fs::remove_all(golden);
                    for (const auto& [rel, bytes] : got.files) {
                        fs::create_directories((golden / rel).parent_path());
                        std::ofstream(golden / rel, std::ios::binary) << bytes;
                    }
                    continue;
                }
                const auto want = tree(golden);
                ASSERT_FALSE(want.empty()) << "no golden files in " << golden;
                EXPECT_EQ(got.files.size(), want.size());
                for (const auto& [rel, bytes] : want) {
                    const auto it = got.files.find(rel);
                    if (it == got.files.end()) {
                        ADD_FAILURE() << rel << " not written";
                        continue;
                    }
                    EXPECT_EQ(it->second, bytes) << rel;
                }
            }
        }
    }
}

// Typed with "," the same design gives the same ARD and LTspice files, and a
// GPLA file with "," wherever the other has ".". The Cohn ARD title alone
// keeps the bandwidth as typed.
TEST(netlist_test, decimal_separator_changes_only_what_it_should) {
    for (const auto& d : kDesigns) {
        for (int n : {3, 8}) {
            SCOPED_TRACE(caseName(d, n, ','));
            const auto point = calculate(d, n, '.');
            const auto comma = calculate(d, n, ',');
            ASSERT_EQ(point.files.size(), comma.files.size());
            for (const auto& [rel, bytes] : point.files) {
                ASSERT_TRUE(comma.files.count(rel)) << rel;
                std::string expected = bytes;
                if (rel.starts_with("GPLA_files/")) {
                    std::replace(expected.begin(), expected.end(), '.', ',');
                } else if (rel.starts_with("ARD_files/") && d.type == FilterType::Cohn) {
                    const auto b3 = expected.find("; b3=");
                    const auto dot = expected.find('.', b3);
                    if (dot < expected.find("kHz", b3)) expected[dot] = ',';
                }
                EXPECT_EQ(comma.files.at(rel), expected) << rel;
            }
        }
    }
}

} // namespace
