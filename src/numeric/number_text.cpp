#include "numeric/number_text.h"

#include "numeric/errors.h"
#include "numeric/fp_check.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <langinfo.h>
#include <locale.h>

namespace korvan::numeric {
namespace {

// A decimal value as a digit string: value = 0.d1d2d3... x 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits; // no leading zeros; empty for zero
    int exponent = 0;
};

// An 80-bit value carries 18 significant decimal digits; the rounding of the
// display works on that decimal value.
constexpr int kDecimalDigits = 18;
// The largest extended value is 0.118... x 10^4933.
constexpr int kLargestDecimalExponent = 4933;

Decimal toDecimal(long double value, int digits = kDecimalDigits) {
    Decimal d;
    if (value == 0) return d;
    d.negative = std::signbit(value);
    // to_chars, unlike printf, never reads the process locale, whose decimal
    // point may be any character (two bytes under some UTF-8 locales).
    char buf[80];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, digits - 1);
    // buf: "d.ddddde[+-]xx"
    const std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    const auto e = s.find('e');
    d.digits = std::string(s.substr(0, 1)) + std::string(s.substr(2, e - 2));
    std::size_t expStart = e + 1;
    if (s[expStart] == '+') ++expStart;
    int exponent = 0;
    std::from_chars(s.data() + expStart, s.data() + s.size(), exponent);
    d.exponent = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Keeps `keep` digits, rounding half away from zero (or cutting off the rest
// when `truncate`); a carry may add a digit.
void roundTo(Decimal& d, int keep, bool truncate = false) {
    if (static_cast<int>(d.digits.size()) <= keep) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = !truncate && d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

std::string scientific(const Decimal& d, char separator) {
    std::string out = d.negative ? "-" : "";
    out += d.digits[0];
    if (d.digits.size() > 1) {
        out += separator;
        out += d.digits.substr(1);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string formatFixed(long double value, int precision, int decimals, char separator) {
    fp::requireFinite(value);
    Decimal d = toDecimal(value);
    if (precision > kDecimalDigits) precision = kDecimalDigits;
    roundTo(d, std::min(precision, d.exponent + decimals));
    if (d.digits.empty()) d.negative = false;
    if (d.exponent > precision) return formatGeneral(value, separator, precision);

    std::string out = d.negative ? "-" : "";
    if (d.exponent <= 0) {
        out += '0';
    } else {
        for (int i = 0; i < d.exponent; ++i)
            out +=
                i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
    }
    if (decimals > 0) {
        out += separator;
        for (int i = 0; i < decimals; ++i) {
            const int pos = d.exponent + i; // digit index of this decimal place
            out += (pos >= 0 && pos < static_cast<int>(d.digits.size()))
                       ? d.digits[static_cast<std::size_t>(pos)]
                       : '0';
        }
    }
    return out;
}

std::string formatGeneral(long double value, char separator, int precision) {
    fp::requireFinite(value);
    Decimal d = toDecimal(value);
    if (precision > kDecimalDigits) precision = kDecimalDigits;
    roundTo(d, precision);
    if (d.digits.empty()) return "0";
    if (d.exponent > precision || d.exponent < -3) {
        // Next to the largest extended value, rounding up can give a text
        // beyond the range that the program itself cannot read back; such a
        // value is cut off instead.
        std::string out = scientific(d, separator);
        if (d.exponent >= kLargestDecimalExponent && !parseNumber(out, separator)) {
            d = toDecimal(value, kDecimalDigits + 8); // digits beyond any rounding
            roundTo(d, precision, true);
            out = scientific(d, separator);
        }
        return out;
    }

    std::string out = d.negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent <= 0) {
        out += '0';
        out += separator;
        out.append(static_cast<std::size_t>(-d.exponent), '0');
        out += d.digits;
    } else if (n <= d.exponent) {
        out += d.digits;
        out.append(static_cast<std::size_t>(d.exponent - n), '0');
    } else {
        out += d.digits.substr(0, static_cast<std::size_t>(d.exponent));
        out += separator;
        out += d.digits.substr(static_cast<std::size_t>(d.exponent));
    }
    return out;
}

std::string formatShortestSingle(float value, char separator) {
    fp::requireFinite(value);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string out(buf, res.ptr);
    for (char& c : out)
        if (c == '.') c = separator;
    return out;
}

std::optional<long double> parseNumber(std::string_view text, char separator) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string mantissa;
    bool sawDigitOrSeparator = false;
    int pointShift = 0; // digits after the separator
    while (i < n && isDigit(text[i])) {
        mantissa += text[i++];
        sawDigitOrSeparator = true;
    }
    if (i < n && text[i] == separator) {
        ++i;
        sawDigitOrSeparator = true;
        while (i < n && isDigit(text[i])) {
            mantissa += text[i++];
            ++pointShift;
        }
    }
    if (!sawDigitOrSeparator) return std::nullopt;
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
        while (i < n && isDigit(text[i])) {
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (expNegative) exponent = -exponent;
    }
    while (i < n && text[i] == ' ') ++i;
    if (i != n) return std::nullopt;

    const auto firstNonZero = mantissa.find_first_not_of('0');
    if (firstNonZero == std::string::npos) return negative ? -0.0L : 0.0L;
    mantissa.erase(0, firstNonZero);
    // value = 0.mantissa x 10^decimalExponent
    const long long decimalExponent =
        static_cast<long long>(mantissa.size()) - pointShift + exponent;
    if (decimalExponent > 5000) return std::nullopt; // beyond the extended range
    if (decimalExponent < -5000) return negative ? -0.0L : 0.0L;

    const std::string canonical = "0." + mantissa + "e" + std::to_string(decimalExponent);
    std::fexcept_t saved;
    std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
    long double value = 0;
    const auto res = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                     std::chars_format::general);
    std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
    if (res.ec == std::errc::result_out_of_range) {
        if (decimalExponent > 0) return std::nullopt;
        value = 0;
    } else if (res.ec != std::errc() || std::isinf(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

long double toNumber(std::string_view text, char separator) {
    const auto value = parseNumber(text, separator);
    if (!value) throw ConversionError(std::string(text));
    return *value;
}

std::optional<int> parseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
    return static_cast<int>(value);
}

char systemDecimalSeparator() {
    // The user's numeric settings, read without changing the process locale.
    // A point that is not one ASCII character cannot stand in a field.
    const locale_t user = ::newlocale(LC_NUMERIC_MASK, "", locale_t{});
    if (user == locale_t{}) return '.';
    const char* point = ::nl_langinfo_l(RADIXCHAR, user);
    char separator = '.';
    if (point && (point[0] == '.' || point[0] == ',') && point[1] == '\0') separator = point[0];
    ::freelocale(user);
    return separator;
}

} // namespace korvan::numeric
