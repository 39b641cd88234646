#include "model/text_file.h"

#include "numeric/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvan {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kSuffixLength = 6; // as mkstemp's XXXXXX

std::string ioErrorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return "File access denied";
    case ENOENT:
    case ENOTDIR:
        return "Path not found";
    case ENOSPC:
    case EDQUOT:
        return "Disk full";
    default:
        return std::strerror(error);
    }
}

bool isSuffixChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ".<stem>.XXXXXX" whose stem is the file's name, or ends in its extension.
bool isTemporaryOf(std::string_view name, const fs::path& target, Leftovers leftovers) {
    if (name.size() < 3 + kSuffixLength || name[0] != '.') return false;
    const std::size_t dot = name.size() - kSuffixLength - 1;
    if (name[dot] != '.') return false;
    for (std::size_t i = dot + 1; i < name.size(); ++i)
        if (!isSuffixChar(name[i])) return false;
    const std::string_view stem = name.substr(1, dot - 1);
    if (leftovers == Leftovers::OfThisFile) return stem == target.filename().string();
    const std::string extension = target.extension().string();
    return !extension.empty() && stem.size() > extension.size() && stem.ends_with(extension);
}

std::string temporaryName(const fs::path& target) {
    static const char chars[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static std::mt19937_64 random{std::random_device{}()};
    std::string name = "." + target.filename().string() + ".";
    for (std::size_t i = 0; i < kSuffixLength; ++i) name += chars[random() % (sizeof chars - 1)];
    return name;
}

// The file that a write to `path` replaces: symbolic links are followed, so
// that the link stays and its target gets the new text.
fs::path resolveTarget(const fs::path& path) {
    fs::path target = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(target, ec)) return target;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) return target;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    throw FileError(ioErrorText(ELOOP));
}

// A temporary is stale when no writer holds its lock any more: writers lock
// it before it gets its name and keep the lock until it is renamed.
void removeStaleTemporaries(const fs::path& folder, const fs::path& target, Leftovers leftovers) {
    static std::mutex mutex;
    static std::set<std::string> cleaned; // once per folder, file or kind, and run
    {
        const std::string key =
            folder.string() + '/' +
            (leftovers == Leftovers::OfThisFile ? target.filename().string()
                                                : "*" + target.extension().string());
        const std::lock_guard lock(mutex);
        if (!cleaned.insert(key).second) return;
    }
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(dir))
        if (isTemporaryOf(entry->d_name, target, leftovers)) candidates.emplace_back(entry->d_name);
    for (const auto& name : candidates) {
        const int fd =
            ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat byFd {};
        struct stat byName {};
        if (::fstat(fd, &byFd) == 0 && S_ISREG(byFd.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, name.c_str(), &byName, AT_SYMLINK_NOFOLLOW) == 0 &&
            byName.st_ino == byFd.st_ino && byName.st_dev == byFd.st_dev)
            ::unlinkat(dirFd, name.c_str(), 0);
        ::close(fd);
    }
    ::closedir(dir);
}

int writeBytes(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

int writeAll(int fd, std::string_view bytes) {
    if (const int error = writeBytes(fd, bytes)) return error;
    return ::fsync(fd) != 0 ? errno : 0;
}

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// The descriptor a path names when it is one of this process's own streams:
// /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N (also through
// links to them); -1 otherwise. Opening such a path anew would start a
// second stream at offset 0, or fail for a pipe.
int ownDescriptor(const fs::path& path) {
    fs::path at = path;
    for (int hop = 0; hop < 40; ++hop) {
        const std::string name = at.lexically_normal().string();
        if (name == "/dev/stdout") return 1;
        if (name == "/dev/stderr") return 2;
        for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
            const std::string_view p(prefix);
            if (name.size() > p.size() && name.compare(0, p.size(), p) == 0 &&
                name.find_first_not_of("0123456789", p.size()) == std::string::npos &&
                name.size() - p.size() <= 6)
                return std::stoi(name.substr(p.size()));
        }
        std::error_code ec;
        if (!fs::is_symlink(at, ec)) return -1;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) return -1;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return -1;
}

// Writes to a stream that is not a file: no temporary, no rename.
void writeStream(int fd, std::string_view bytes) {
    const int error = writeBytes(fd, bytes);
    if (error != 0) throw FileError(ioErrorText(error));
}

// A FIFO or a character device at the path: opened for writing as it is.
void writeDevice(const fs::path& path, mode_t mode, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO && S_ISFIFO(mode)) throw FileError("No program reads from the FIFO");
        throw FileError(ioErrorText(errno));
    }
    // Non-blocking only to open: a reader that is slow is waited for.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    int error = writeBytes(fd, bytes);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) throw FileError(ioErrorText(error));
}

// The mode and owner the new file takes: the replaced file's, or the usual
// ones for a new file (not the private 0600 of a temporary).
void takeOver(int fd, const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        struct stat now {};
        if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid))
            (void)::fchown(fd, old.st_uid, old.st_gid); // only where allowed
        ::fchmod(fd, old.st_mode & 07777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

// Gives the complete unnamed file a temporary name next to the target.
int linkTemporary(int fd, const fs::path& folder, const fs::path& target, std::string& tmp) {
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = (folder / temporaryName(target)).string();
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

} // namespace

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         Leftovers leftovers, Temporary temporary) {
    if (const int fd = ownDescriptor(path); fd >= 0) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) throw FileError(ioErrorText(errno));
        return writeStream(fd, bytes);
    }
    // What is at the path (through every link) decides how it is written.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))
            return writeDevice(path, st.st_mode, bytes);
        if (S_ISDIR(st.st_mode)) throw FileError(ioErrorText(EISDIR));
        throw FileError(std::string("File access denied: ") + kindOf(st.st_mode) + ", not a file");
    }
    const fs::path target = resolveTarget(path);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    removeStaleTemporaries(folder, target, leftovers);

    std::string tmp;
    int error = 0;
    // Unnamed until complete: a kill before the rename leaves nothing behind.
    int fd = temporary == Temporary::Unnamed
                 ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
                 : -1;
    if (temporary == Temporary::Named) errno = EOPNOTSUPP;
    if (fd >= 0) {
        ::flock(fd, LOCK_EX);
        error = writeAll(fd, bytes);
        if (error == 0) takeOver(fd, target);
        if (error == 0) error = linkTemporary(fd, folder, target, tmp);
        if (error != 0) tmp.clear();
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        // No unnamed files here: a named temporary, locked so that the
        // clean-up of another writer leaves it alone.
        tmp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
        fd = ::mkstemp(tmp.data());
        if (fd < 0) throw FileError(ioErrorText(errno));
        ::flock(fd, LOCK_EX);
        error = writeAll(fd, bytes);
        if (error == 0) takeOver(fd, target);
    } else {
        throw FileError(ioErrorText(errno));
    }
    if (error == 0 && std::rename(tmp.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0 && !tmp.empty()) ::unlink(tmp.c_str());
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) throw FileError(ioErrorText(error));
}

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes) {
    // Opened without waiting: a FIFO would block here until a writer came.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw FileError(std::string("cannot be read: ") + std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw FileError(std::string("cannot be read: ") + std::strerror(errno));
    if (S_ISDIR(st.st_mode)) throw FileError("is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        throw FileError(std::string("is ") + kindOf(st.st_mode) + ", not a regular file");
    const auto tooLarge = [maxBytes] {
        return FileError("is larger than " +
                         (maxBytes % (1024 * 1024) == 0
                              ? std::to_string(maxBytes / (1024 * 1024)) + " MiB"
                              : std::to_string(maxBytes) + " bytes"));
    };
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) throw tooLarge();
    ::fcntl(fd, F_SETFL, 0);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError(std::string("cannot be read: ") + std::strerror(errno));
        }
        if (n == 0) break;
        // A file that grows while it is read is held to the limit too.
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) throw tooLarge();
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& path,
                                                      std::size_t maxLines,
                                                      std::size_t maxLineLength, bool* overlong) {
    if (overlong) *overlong = false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    char c;
    while (lines.size() < maxLines && in.get(c)) {
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (c == '\r' && in.peek() == '\n') in.get(c);
        } else if (line.size() >= maxLineLength) {
            if (overlong) *overlong = true;
            return lines;
        } else {
            line += c;
            pending = true;
        }
    }
    if (pending && lines.size() < maxLines) lines.push_back(line);
    if (in.bad()) return std::nullopt;
    return lines;
}

} // namespace korvan
