// Replacing files: complete or not at all, no leftovers, the file's mode
// and any symbolic link kept.

#include "model/text_file.h"
#include "numeric/errors.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using korvan::writeFileAtomically;

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> hiddenFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string()[0] == '.') names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

constexpr korvan::Temporary kBothWays[] = {korvan::Temporary::Unnamed, korvan::Temporary::Named};

TEST(text_file_test, replacing_keeps_the_mode_of_the_file) {
    for (const auto way : kBothWays)
        for (const mode_t mode : {0600, 0640, 0755, 0444}) {
            korvan::test::TempDir dir;
            const auto file = dir.path() / "T050_p8.ckt";
            writeFileAtomically(file, "old\r\n", korvan::Leftovers::OfThisFile, way);
            ::chmod(file.c_str(), mode);
            writeFileAtomically(file, "new\r\n", korvan::Leftovers::OfThisFile, way);
            EXPECT_EQ(readBytes(file), "new\r\n");
            EXPECT_EQ(modeOf(file), mode) << std::oct << mode;
            EXPECT_TRUE(hiddenFiles(dir.path()).empty());
        }
}

TEST(text_file_test, a_symbolic_link_stays_and_its_target_is_replaced) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> links; // link -> target
        const char* written;                                    // path written to
        const char* replaced;                                   // file that gets the text
    } cases[] = {
        {"relative", {{"Korvan3.cfg", "real.cfg"}}, "Korvan3.cfg", "real.cfg"},
        {"into a sub-folder", {{"Korvan3.cfg", "sub/real.cfg"}}, "Korvan3.cfg", "sub/real.cfg"},
        {"chain", {{"a.cfg", "b.cfg"}, {"b.cfg", "sub/real.cfg"}}, "a.cfg", "sub/real.cfg"},
        {"dangling", {{"Korvan3.cfg", "sub/new.cfg"}}, "Korvan3.cfg", "sub/new.cfg"},
    };
    for (const auto& c : cases) {
        korvan::test::TempDir dir;
        fs::create_directory(dir.path() / "sub");
        if (std::string(c.name) != "dangling") {
            std::ofstream(dir.path() / c.replaced) << "old";
            ::chmod((dir.path() / c.replaced).c_str(), 0604);
        }
        for (const auto& [link, target] : c.links) fs::create_symlink(target, dir.path() / link);
        writeFileAtomically(dir.path() / c.written, "new\r\n");
        for (const auto& [link, target] : c.links)
            EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << c.name;
        EXPECT_EQ(readBytes(dir.path() / c.replaced), "new\r\n") << c.name;
        if (std::string(c.name) != "dangling") {
            EXPECT_EQ(modeOf(dir.path() / c.replaced), 0604u) << c.name;
        }
        EXPECT_TRUE(hiddenFiles(dir.path() / "sub").empty()) << c.name;
    }
}

TEST(text_file_test, a_link_loop_is_reported) {
    korvan::test::TempDir dir;
    fs::create_symlink("b.cfg", dir.path() / "a.cfg");
    fs::create_symlink("a.cfg", dir.path() / "b.cfg");
    EXPECT_THROW(writeFileAtomically(dir.path() / "a.cfg", "x"), korvan::FileError);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "a.cfg"));
}

TEST(text_file_test, stale_temporaries_of_the_chosen_kind_are_removed) {
    using korvan::Leftovers;
    const char* const all[] = {
        ".T050_p8.ckt.Ab12cd",   // a killed writer's, of the file written
        ".Q040_p4.ckt.XXXXXX",   // of another design
        ".notes.txt.backup",     // the user's, another kind
        ".T060_p6.ckt.tooLong7", // not a temporary's name
        ".T070_p6.ckt.live00",   // a writer still at work holds its lock
    };
    const struct {
        Leftovers leftovers;
        std::vector<std::string> kept;
    } cases[] = {
        {Leftovers::OfThisFile,
         {".Q040_p4.ckt.XXXXXX", ".T060_p6.ckt.tooLong7", ".T070_p6.ckt.live00",
          ".notes.txt.backup"}},
        {Leftovers::OfThisKind,
         {".T060_p6.ckt.tooLong7", ".T070_p6.ckt.live00", ".notes.txt.backup"}},
    };
    for (const auto& c : cases) {
        korvan::test::TempDir dir;
        for (const char* name : all) std::ofstream(dir.path() / name) << "half";
        const int live = ::open((dir.path() / ".T070_p6.ckt.live00").c_str(), O_RDONLY);
        ASSERT_GE(live, 0);
        ASSERT_EQ(::flock(live, LOCK_EX), 0);
        writeFileAtomically(dir.path() / "T050_p8.ckt", "complete\r\n", c.leftovers);
        EXPECT_EQ(hiddenFiles(dir.path()), c.kept);
        ::close(live);
    }
}

TEST(text_file_test, a_failed_write_leaves_the_folder_as_it_was) {
    korvan::test::TempDir dir;
    fs::create_directory(dir.path() / "Startfile.cir"); // a folder where the file goes
    try {
        writeFileAtomically(dir.path() / "Startfile.cir", "x");
        FAIL() << "no error";
    } catch (const korvan::FileError& e) {
        EXPECT_STREQ(e.what(), "File access denied");
    }
    EXPECT_TRUE(hiddenFiles(dir.path()).empty());
    EXPECT_THROW(writeFileAtomically(dir.path() / "missing" / "x.cir", "x"), korvan::FileError);
}

// Writers killed at random moments: the file is always one whole version,
// and the next writer leaves no temporary behind.
TEST(text_file_test, kills_during_writes_leave_whole_files_and_no_temporaries) {
    for (const auto way : kBothWays) {
        korvan::test::TempDir dir;
        const auto file = dir.path() / "T050_p8.ckt";
        const std::string versions[] = {std::string(400000, 'a') + "\r\n",
                                        std::string(300000, 'b') + "\r\n"};
        // Every write happens in a child: each is a fresh program run that has
        // not cleaned this folder yet.
        const auto writer = [&](int rounds) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                for (int i = 0; i < rounds; ++i)
                    writeFileAtomically(file, versions[i % 2], korvan::Leftovers::OfThisFile, way);
                ::_exit(0);
            }
            return pid;
        };
        ::waitpid(writer(1), nullptr, 0);
        int leftovers = 0; // the named way leaves temporaries behind a kill
        for (int kill = 0; kill < 40; ++kill) {
            const pid_t pid = writer(1000);
            ::usleep(static_cast<useconds_t>(200 + (kill * 397) % 3000));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            const std::string now = readBytes(file);
            EXPECT_TRUE(now == versions[0] || now == versions[1]) << "kill " << kill;
            if (way == korvan::Temporary::Named) leftovers += !hiddenFiles(dir.path()).empty();
        }
        if (way == korvan::Temporary::Named) {
            EXPECT_GT(leftovers, 0); // else the clean-up below is not tested
        }
        int status = 0;
        ::waitpid(writer(1), &status, 0);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(hiddenFiles(dir.path()).empty());
    }
}

// What is not a plain file is never replaced: a FIFO or a device is written
// to as it is (or refused when nobody reads), a socket is refused.
TEST(text_file_test, only_plain_files_are_replaced) {
    korvan::test::TempDir dir;
    const auto fifo = dir.path() / "p.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        writeFileAtomically(fifo, "x");
        ADD_FAILURE() << "written with no reader";
    } catch (const korvan::FileError& e) {
        EXPECT_STREQ(e.what(), "No program reads from the FIFO");
    }
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    writeFileAtomically(fifo, "through\r\n");
    char got[16] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 9);
    EXPECT_STREQ(got, "through\r\n");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));

    writeFileAtomically("/dev/null", "gone\r\n");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    fs::create_symlink("/dev/null", dir.path() / "null.csv");
    writeFileAtomically(dir.path() / "null.csv", "gone\r\n");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "null.csv"));

    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir.path() / "s.csv").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_THROW(writeFileAtomically(socketPath, "x"), korvan::FileError);
    EXPECT_TRUE(fs::is_socket(socketPath));
    ::close(sock);
    EXPECT_TRUE(hiddenFiles(dir.path()).empty());
}

// The program's own streams are written to, not reopened: /dev/stdout into
// a pipe works, and into a file keeps what was written before.
TEST(text_file_test, own_streams_are_written_to) {
    korvan::test::TempDir dir;
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int savedOut = ::dup(1);
    ::dup2(pipeEnds[1], 1);
    writeFileAtomically("/dev/stdout", "to the pipe\n");
    writeFileAtomically("/dev/fd/1", "again\n");
    ::dup2(savedOut, 1);
    ::close(savedOut);
    ::close(pipeEnds[1]);
    char got[64] = {};
    EXPECT_EQ(::read(pipeEnds[0], got, sizeof got), 18);
    EXPECT_STREQ(got, "to the pipe\nagain\n");
    ::close(pipeEnds[0]);
}

} // namespace
