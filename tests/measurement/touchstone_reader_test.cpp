#include "measurement/touchstone_reader.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace korvan::measurement {
namespace {

struct Readable {
    const char* name;
    std::string text;
    int portsFromName;
    int ports;
    double referenceOhm;
    double firstHz, lastHz;
    std::complex<double> firstS21;
};

TEST(touchstone_reader_test, readsTheUsualDialects) {
    const std::complex<double> half = std::polar(0.5, -M_PI / 2);
    const Readable cases[] = {
        {"v1 two-port MA, default GHz",
         "! comment\n# S MA R 50\n1 0 0 0.5 -90 0 0 0 0\n2 0 0 0.5 -90 0 0 0 0\n", 2, 2, 50, 1e9,
         2e9, half},
        {"v1 DB kHz, record over lines, CR LF, tabs",
         "#\tkhz s db r 12.5\r\n1000 -1 0\r\n -6.0206 -90 -99 0 -1 0 ! note\r\n2000 0 0 0 0 0 0 0 "
         "0\r\n",
         2, 2, 12.5, 1e6, 2e6, half},
        {"v1 RI one-port", "# MHz S RI R 50\n1 0.1 0.2\n2 0.3 0.4\n", 1, 1, 50, 1e6, 2e6, 0},
        {"v1 noise data after the network data",
         "# Hz S RI\n10 0 0 0 -0.5 0 0 0 0\n20 0 0 0 -0.5 0 0 0 0\n5 1 2 3 4\n", 2, 2, 50, 10, 20,
         half},
        {"v1 port count from the record width", "# Hz S RI\n10 0 0 0 -0.5 0 0 0 0\n", 0, 2, 50, 10,
         10, half},
        {"v2 order 12_21, [Reference] on the next line",
         "[Version] 2.0\n# MHz S RI R 50\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
         "[Reference]\n25 25\n[Number of Frequencies] 2\n[Network Data]\n"
         "1 0 0 9 9 0 -0.5 0 0\n2 0 0 9 9 0 -0.5 0 0\n[End]\n",
         0, 2, 25, 1e6, 2e6, half},
        {"v2 lower triangle",
         "[Version] 2.0\n# Hz S MA\n[Number of Ports] 2\n[Two-Port Data Order] 21_12\n"
         "[Number of Frequencies] 1\n[Matrix Format] Lower\n[Network Data]\n7 0 0 0.5 -90 0 0\n",
         0, 2, 50, 7, 7, half},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto d = parseTouchstone(c.text, c.portsFromName);
        EXPECT_EQ(d.ports, c.ports);
        EXPECT_DOUBLE_EQ(d.referenceOhm, c.referenceOhm);
        EXPECT_DOUBLE_EQ(d.frequencyHz.front(), c.firstHz);
        EXPECT_DOUBLE_EQ(d.frequencyHz.back(), c.lastHz);
        if (c.ports == 2) {
            EXPECT_NEAR(std::abs(d.s21().front() - c.firstS21), 0, 1e-4);
        } else {
            EXPECT_EQ(d.s.front()[0], std::complex<double>(0.1, 0.2));
        }
    }
}

TEST(touchstone_reader_test, garbageIsReportedWithItsLine) {
    const struct {
        std::string text;
        int line;
        const char* words;
        int portsFromName = 1;
    } cases[] = {
        {"", 0, "no data points"},
        {"! only a comment\n# MHz S DB R 50\n", 0, "no data points"},
        {"# MHz S DB R 50\n1 0 0\n1 0 0\n", 3, "do not increase"},
        {"# MHz S DB R 50\n2 0 0\n1 0 0\n", 3, "do not increase"},
        {"# MHz S DB R 50\n1 0 0\n2 x 0\n", 3, "'x' is not a number"},
        {"# MHz S DB R 50\n1 nan 0\n", 2, "not a finite number"},
        {"# MHz S DB R 50\n1 0 0 0\n", 2, "incomplete"},
        {"# MHz Z DB R 50\n1 0 0\n", 1, "only S-parameters"},
        {"# MHz S DB R -5\n1 0 0\n", 1, "R in the option line"},
        {"# MHz S XX\n1 0 0\n", 1, "unknown option"},
        {"[Number of Ports] 2\n", 1, "without [Version]"},
        {"[Version] 2.0\n[Number of Ports] 4\n", 2, "only one and two ports"},
        {"[Version] 2.0\n[Number of Ports] 25555555555555555555555\n", 2, "only one and two"},
        {"[Version] 2.0\n# MHz S DB\n[Number of Ports] 1\n1 0 0\n", 4, "before [Network Data]"},
        {"[Version] 2.0\n# MHz S DB\n[Number of Ports] 1\n[Number of Frequencies] 3\n"
         "[Network Data]\n1 0 0\n",
         0, "says 3"},
        {"# Hz S RI\n1 2 3 4 5\n", 2, "number of ports", 0},
        {std::string("# Hz S RI\n1 \x01\xff 0\n"), 2, "not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parseTouchstone(c.text, c.portsFromName);
            ADD_FAILURE() << "read without error";
        } catch (const TouchstoneError& e) {
            EXPECT_EQ(e.line(), c.line);
            EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
        }
    }
}

// A file of another port count says how many ports it holds, instead of
// what its numbers look like to a two-port reader.
TEST(touchstone_reader_test, thePortCountFoundIsNamed) {
    const std::string fourPortRecord = "1 0 0 0 0 0 0 0 0\n 0 0 0 0 0 0 0 0\n 0 0 0 0 0 0 0 0\n"
                                       " 0 0 0 0 0 0 0 0\n";
    const struct {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"f.s4p", "# MHz S DB R 50\n" + fourPortRecord,
         "a 4-port file (.s4p): only one- and two-port"},
        {"f.ts", "# MHz S DB R 50\n" + fourPortRecord + "2" + fourPortRecord.substr(1),
         "holds 4-port data: only one- and two-port"},
        {"f.ts", "# MHz S DB R 50\n1 0 0 0 0 0 0\n 0 0 0 0 0 0\n 0 0 0 0 0 0\n",
         "holds 3-port data"},
        {"f.s2p", "# MHz S DB R 50\n1 0 0\n2 0 0\n3 0 0\n",
         "holds one-port data but is named .s2p"},
        {"f.s1p", "# MHz S DB R 50\n1 0 0 0 0 0 0 0 0\n", "holds two-port data but is named .s1p"},
    };
    korvan::test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto path = dir.path() / c.name;
        std::ofstream(path) << c.text;
        try {
            readTouchstone(path);
            ADD_FAILURE() << "read without error";
        } catch (const TouchstoneError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace korvan::measurement
