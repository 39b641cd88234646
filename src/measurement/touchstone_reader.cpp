#include "measurement/touchstone_reader.h"

#include "model/text_file.h"
#include "numeric/errors.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>

namespace korvan::measurement {

std::vector<std::complex<double>> TouchstoneData::s21() const {
    std::vector<std::complex<double>> out;
    out.reserve(s.size());
    for (const auto& point : s) out.push_back(point[1]);
    return out;
}

TouchstoneError::TouchstoneError(int line, const std::string& message)
    : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + message : message),
      line_(line), reason_(message) {}

namespace {

enum class Format { MagnitudeAngle, DecibelAngle, RealImaginary };

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

void splitBlanks(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !blank(line[i])) ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
}

std::vector<std::string_view> splitBlanks(std::string_view line) {
    std::vector<std::string_view> tokens;
    splitBlanks(line, tokens);
    return tokens;
}

// Locale-independent: a file written in Germany reads the same everywhere.
std::optional<double> parseDouble(std::string_view token) {
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc() || end != token.data() + token.size()) return std::nullopt;
    return value;
}

std::string shown(std::string_view token) {
    // Binary garbage must not flood a terminal.
    std::string out;
    for (char c : token.substr(0, 24)) out += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    if (token.size() > 24) out += "...";
    return out;
}

struct Token {
    double value;
    int line;
};

class Parser {
  public:
    Parser(int portsFromName) : ports_(portsFromName) {}

    TouchstoneData run(std::string_view text) {
        int lineNumber = 0;
        std::size_t pos = 0;
        while (pos <= text.size() && !finished_) {
            std::size_t end = pos;
            while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
            ++lineNumber;
            line(text.substr(pos, end - pos), lineNumber);
            if (end == text.size()) break;
            pos = end +
                  ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
        }
        if (!pending_.empty())
            throw TouchstoneError(pending_.front().line, "the last data point is incomplete (" +
                                                             std::to_string(pending_.size()) +
                                                             " of " + std::to_string(recordSize()) +
                                                             " numbers)");
        if (version_ == 2 && !inData_ && !finished_)
            throw TouchstoneError(0, "no [Network Data] section");
        if (data_.frequencyHz.empty()) throw TouchstoneError(0, "no data points");
        if (expectedPoints_ && *expectedPoints_ != data_.frequencyHz.size())
            throw TouchstoneError(0, "[Number of Frequencies] says " +
                                         std::to_string(*expectedPoints_) + ", the file holds " +
                                         std::to_string(data_.frequencyHz.size()));
        data_.ports = ports_;
        return std::move(data_);
    }

  private:
    void line(std::string_view raw, int number) {
        if (const auto bang = raw.find('!'); bang != std::string_view::npos)
            raw = raw.substr(0, bang);
        splitBlanks(raw, lineTokens_);
        const auto& tokens = lineTokens_;
        if (tokens.empty()) return;
        if (referenceContinues(tokens, number)) return;
        if (tokens.front().front() == '[') {
            keyword(raw, number);
            seenContent_ = true;
            return;
        }
        if (tokens.front().front() == '#') {
            if (!optionSeen_) options(tokens, number);
            optionSeen_ = true; // later option lines are ignored, as the format says
            seenContent_ = true;
            return;
        }
        seenContent_ = true;
        if (version_ == 2 && !inData_) throw TouchstoneError(number, "data before [Network Data]");
        dataLine(tokens, number);
    }

    void keyword(std::string_view raw, int number) {
        const auto close = raw.find(']');
        if (close == std::string_view::npos) throw TouchstoneError(number, "keyword without ']'");
        const auto open = raw.find('[');
        const std::string name = upper(raw.substr(open + 1, close - open - 1));
        const auto args = splitBlanks(raw.substr(close + 1));
        if (name == "VERSION") {
            if (seenContent_) throw TouchstoneError(number, "[Version] must be the first line");
            if (args.empty() || args.front().substr(0, 2) != "2.")
                throw TouchstoneError(number, "only version 2.x of the keyword format is known");
            version_ = 2;
            return;
        }
        if (version_ != 2)
            throw TouchstoneError(number, "[" + shown(name) + "] without [Version] 2.0 first");
        if (inData_ && name != "NOISE DATA" && name != "END")
            throw TouchstoneError(number, "[" + shown(name) + "] inside the network data");
        if (name == "NUMBER OF PORTS") {
            const auto n = args.empty() ? std::nullopt : parseDouble(args.front());
            if (!n || *n != std::floor(*n) || *n < 1)
                throw TouchstoneError(number, "[Number of Ports] needs a whole number");
            if (*n > 2)
                throw TouchstoneError(number, "a file of " + shown(args.front()) +
                                                  " ports: only one and two ports are read");
            ports_ = static_cast<int>(*n);
        } else if (name == "TWO-PORT DATA ORDER") {
            const std::string order = args.empty() ? std::string() : upper(args.front());
            if (order == "12_21")
                order12First_ = true;
            else if (order == "21_12")
                order12First_ = false;
            else
                throw TouchstoneError(number, "[Two-Port Data Order] must be 12_21 or 21_12");
        } else if (name == "NUMBER OF FREQUENCIES") {
            const auto n = args.empty() ? std::nullopt : parseDouble(args.front());
            if (!n || *n != std::floor(*n) || *n < 1 || *n > 1e8)
                throw TouchstoneError(number, "[Number of Frequencies] needs a whole number");
            expectedPoints_ = static_cast<std::size_t>(*n);
        } else if (name == "REFERENCE") {
            if (ports_ == 0) throw TouchstoneError(number, "[Reference] before [Number of Ports]");
            referenceWanted_ = ports_;
            referenceContinues(args, number);
        } else if (name == "MATRIX FORMAT") {
            const std::string format = args.empty() ? std::string() : upper(args.front());
            if (format == "FULL")
                triangle_ = false;
            else if (format == "LOWER" || format == "UPPER")
                triangle_ = true;
            else
                throw TouchstoneError(number, "[Matrix Format] must be Full, Lower or Upper");
        } else if (name == "NETWORK DATA") {
            if (ports_ == 0)
                throw TouchstoneError(number, "[Network Data] before [Number of Ports]");
            if (!optionSeen_)
                throw TouchstoneError(number, "[Network Data] before the option line");
            inData_ = true;
        } else if (name == "NOISE DATA" || name == "END") {
            finished_ = true;
        } else if (name == "BEGIN INFORMATION" || name == "END INFORMATION" ||
                   name == "NUMBER OF NOISE FREQUENCIES" || name == "MIXED-MODE ORDER") {
            // Nothing here changes the S-parameters of a one- or two-port.
        } else {
            throw TouchstoneError(number, "unknown keyword [" + shown(name) + "]");
        }
    }

    // [Reference] values may run over several lines; true when this line was one.
    bool referenceContinues(const std::vector<std::string_view>& tokens, int number) {
        if (referenceWanted_ <= 0) return false;
        for (auto token : tokens) {
            const auto r = parseDouble(token);
            if (!r || !std::isfinite(*r) || *r <= 0)
                throw TouchstoneError(number,
                                      "'" + shown(token) + "' is not a reference resistance");
            referencePorts_.push_back(*r);
            if (static_cast<int>(referencePorts_.size()) == referenceWanted_) break;
        }
        if (static_cast<int>(referencePorts_.size()) >= referenceWanted_) {
            data_.referenceOhm = referencePorts_.front();
            if (referencePorts_.size() > 1) data_.port2ReferenceOhm = referencePorts_[1];
            referenceWanted_ = 0;
            referencePorts_.clear();
        }
        return true;
    }

    void options(const std::vector<std::string_view>& tokens, int number) {
        std::vector<std::string> words;
        for (auto t : tokens) words.push_back(upper(t));
        if (words.front() == "#")
            words.erase(words.begin());
        else
            words.front().erase(0, 1); // "#GHZ" written without a blank
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string& w = words[i];
            if (w.empty()) continue;
            if (w == "HZ")
                unitHz_ = 1;
            else if (w == "KHZ")
                unitHz_ = 1e3;
            else if (w == "MHZ")
                unitHz_ = 1e6;
            else if (w == "GHZ")
                unitHz_ = 1e9;
            else if (w == "S") {
            } else if (w == "Y" || w == "Z" || w == "H" || w == "G")
                throw TouchstoneError(number, "the file holds " + w +
                                                  "-parameters; only S-parameters are read");
            else if (w == "DB")
                format_ = Format::DecibelAngle;
            else if (w == "MA")
                format_ = Format::MagnitudeAngle;
            else if (w == "RI")
                format_ = Format::RealImaginary;
            else if (w == "R") {
                const auto r = i + 1 < words.size() ? parseDouble(words[i + 1]) : std::nullopt;
                if (!r || !std::isfinite(*r) || *r <= 0)
                    throw TouchstoneError(number,
                                          "R in the option line needs a resistance above 0");
                data_.referenceOhm = *r;
                ++i;
            } else
                throw TouchstoneError(number, "unknown option '" + shown(w) + "'");
        }
    }

    std::size_t pairs() const {
        if (ports_ == 1) return 1;
        return triangle_ ? 3 : 4;
    }
    std::size_t recordSize() const { return 1 + 2 * pairs(); }

    void dataLine(const std::vector<std::string_view>& tokens, int number) {
        if (ports_ == 0) {
            // A version 1 file without a telling name: the first record's width.
            if (tokens.size() == 3)
                ports_ = 1;
            else if (tokens.size() == 9)
                ports_ = 2;
            else
                throw TouchstoneError(number, "cannot tell the number of ports from " +
                                                  std::to_string(tokens.size()) + " numbers");
        }
        // Version 1 two-port noise parameters follow the network data with a
        // frequency that starts again from below.
        if (version_ == 1 && ports_ == 2 && pending_.empty() && tokens.size() == 5 &&
            !data_.frequencyHz.empty()) {
            const auto f = parseDouble(tokens.front());
            if (f && *f * unitHz_ <= data_.frequencyHz.back()) {
                finished_ = true;
                return;
            }
        }
        for (auto token : tokens) {
            const auto v = parseDouble(token);
            if (!v) throw TouchstoneError(number, "'" + shown(token) + "' is not a number");
            if (!std::isfinite(*v))
                throw TouchstoneError(number, "'" + shown(token) + "' is not a finite number");
            pending_.push_back({*v, number});
            if (pending_.size() == recordSize()) record();
        }
    }

    std::complex<double> value(double a, double b) const {
        switch (format_) {
        case Format::RealImaginary:
            return {a, b};
        case Format::DecibelAngle:
            return std::polar(std::pow(10.0, a / 20.0), b * std::numbers::pi / 180.0);
        case Format::MagnitudeAngle:
            break;
        }
        return std::polar(a, b * std::numbers::pi / 180.0);
    }

    void record() {
        const int line = pending_.front().line;
        const double f = pending_.front().value * unitHz_;
        if (f < 0 || !std::isfinite(f)) throw TouchstoneError(line, "negative frequency");
        if (!data_.frequencyHz.empty() && f <= data_.frequencyHz.back())
            throw TouchstoneError(line, "the frequencies do not increase");
        if (data_.frequencyHz.size() >= kMaxPoints)
            throw TouchstoneError(line, "more than " + std::to_string(kMaxPoints) + " points");
        std::array<std::complex<double>, 4> v{};
        for (std::size_t i = 1, k = 0; i + 1 < pending_.size(); i += 2, ++k) {
            v[k] = value(pending_[i].value, pending_[i + 1].value);
            if (!std::isfinite(v[k].real()) || !std::isfinite(v[k].imag()))
                throw TouchstoneError(line, "a value overflows");
        }
        std::array<std::complex<double>, 4> s{};
        if (ports_ == 1) {
            s[0] = v[0];
        } else if (triangle_) {
            // Lower: S11 S21 S22; upper: S11 S12 S22; the crystal is reciprocal.
            s = {v[0], v[1], v[1], v[2]};
        } else if (version_ == 2 && order12First_) {
            s = {v[0], v[2], v[1], v[3]};
        } else {
            s = {v[0], v[1], v[2], v[3]};
        }
        data_.frequencyHz.push_back(f);
        data_.s.push_back(s);
        pending_.clear();
    }

    static constexpr std::size_t kMaxPoints = 1'000'000;

    int ports_ = 0;
    int version_ = 1;
    bool optionSeen_ = false;
    bool seenContent_ = false;
    bool inData_ = false;
    bool finished_ = false;
    bool order12First_ = false;
    bool triangle_ = false;
    int referenceWanted_ = 0;
    std::vector<double> referencePorts_;
    std::optional<std::size_t> expectedPoints_;
    double unitHz_ = 1e9; // the format's defaults: GHz S MA R 50
    Format format_ = Format::MagnitudeAngle;
    std::vector<Token> pending_;
    std::vector<std::string_view> lineTokens_;
    TouchstoneData data_;
};

std::string portWord(int ports) {
    if (ports == 1) return "one-port";
    if (ports == 2) return "two-port";
    return std::to_string(ports) + "-port";
}

// N of a ".sNp" name; 0 when the name tells nothing.
int portsOfName(const std::string& extension) {
    const std::string ext = upper(extension);
    if (ext.size() < 4 || ext[0] != '.' || ext[1] != 'S' || ext.back() != 'P') return 0;
    const std::string digits = ext.substr(2, ext.size() - 3);
    if (digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(digits);
}

bool keywordFormat(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const auto tokens = splitBlanks(text.substr(pos, end - pos));
        if (!tokens.empty() && tokens.front().front() != '!')
            return upper(tokens.front()).starts_with("[VERSION]");
        pos = end + 1;
    }
    return false;
}

// The port count the records of a version 1 file show: a record starts on a
// line with an odd count of numbers (the frequency and whole pairs) and
// continues on lines of pairs only; it holds 1 + 2 n^2 numbers. 0 when the
// first record tells nothing.
int portsOfRecords(std::string_view text) {
    std::size_t total = 0;
    bool inRecord = false;
    for (std::size_t pos = 0; pos <= text.size();) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (const auto bang = line.find('!'); bang != std::string_view::npos)
            line = line.substr(0, bang);
        const auto tokens = splitBlanks(line);
        if (tokens.empty() || tokens.front().front() == '#' || tokens.front().front() == '[')
            continue;
        const bool starts = tokens.size() % 2 == 1;
        if (starts && inRecord) break;
        if (!starts && !inRecord) return 0;
        inRecord = true;
        total += tokens.size();
        if (total > 2 * 99 * 99 + 1) return 0;
    }
    for (int n = 1; n < 100; ++n)
        if (static_cast<std::size_t>(1 + 2 * n * n) == total) return n;
    return 0;
}

} // namespace

TouchstoneData parseTouchstone(std::string_view text, int portsFromName) {
    return Parser(portsFromName).run(text);
}

TouchstoneData readTouchstone(const std::filesystem::path& path) {
    std::string text;
    try {
        text = readRegularFile(path, kMaxTouchstoneBytes);
    } catch (const FileError& e) {
        throw TouchstoneError(0, e.what());
    }
    // Only one- and two-port sweeps are read; any other count is named as
    // such, not reported as whatever its numbers look like to a two-port.
    const std::string extension = path.extension().string();
    const int named = portsOfName(extension);
    if (named > 2)
        throw TouchstoneError(0, "a " + portWord(named) + " file (" + extension +
                                     "): only one- and two-port sweeps are read");
    if (!keywordFormat(text)) {
        const int found = portsOfRecords(text);
        if (found > 2)
            throw TouchstoneError(0, "holds " + portWord(found) +
                                         " data: only one- and two-port sweeps are read");
        if (found != 0 && named != 0 && found != named)
            throw TouchstoneError(0,
                                  "holds " + portWord(found) + " data but is named " + extension);
    }
    TouchstoneData data = parseTouchstone(text, named);
    if (named != 0 && data.ports != named)
        throw TouchstoneError(0,
                              "holds " + portWord(data.ports) + " data but is named " + extension);
    return data;
}

} // namespace korvan::measurement
