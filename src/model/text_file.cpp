#include "model/text_file.h"

#include "numeric/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace korvan {
namespace {

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

} // namespace

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::string tmpl = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw FileError(ioErrorText(errno));
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    int error = 0;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    // A new file gets the usual permissions, not mkstemp's private 0600.
    if (error == 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(tmpl.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(tmpl.c_str());
        throw FileError(ioErrorText(error));
    }
}

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& path,
                                                      std::size_t maxLines) {
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
