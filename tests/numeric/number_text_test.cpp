#include "numeric/errors.h"
#include "numeric/fp_check.h"
#include "numeric/number_text.h"
#include "support/locales.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

using korvan::numeric::formatFixed;
using korvan::numeric::formatGeneral;
using korvan::numeric::formatShortestSingle;
using korvan::numeric::parseInteger;
using korvan::numeric::parseNumber;
using korvan::numeric::toNumber;

struct FixedCase {
    long double value;
    int precision;
    int decimals;
    const char* dot;
};

TEST(number_text_test, fixed_format_rounds_half_away_from_zero) {
    const FixedCase cases[] = {
        {4998.0L, 12, 3, "4998.000"},
        {16.355213L, 12, 5, "16.35521"},
        {820.45L, 6, 1, "820.5"},   // a tie in the decimal value goes up
        {-820.45L, 6, 1, "-820.5"}, // and away from zero when negative
        {0.125L, 12, 2, "0.13"},
        {2.5L, 10, 0, "3"},
        {-2.5L, 10, 0, "-3"},
        {97350.43L, 10, 0, "97350"},
        {0.0004L, 12, 3, "0.000"},
        {-0.0004L, 12, 3, "0.000"}, // no "-0.000"
        {0.0006L, 12, 3, "0.001"},
        {9.9996L, 12, 3, "10.000"}, // the carry adds an integer digit
        {3.0L, 15, 0, "3"},
        {27.8449L, 8, 1, "27.8"},
        {1234.56L, 6, 1, "1234.6"},
        {123456.7L, 6, 1, "123457.0"}, // precision limits the digits, D pads
        {5000.1475L, 12, 3, "5000.148"},
        {0L, 12, 2, "0.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatFixed(c.value, c.precision, c.decimals, '.'), c.dot) << c.dot;
        std::string comma = c.dot;
        for (char& ch : comma)
            if (ch == '.') ch = ',';
        EXPECT_EQ(formatFixed(c.value, c.precision, c.decimals, ','), comma) << c.dot;
    }
}

TEST(number_text_test, fixed_format_switches_to_scientific_beyond_precision) {
    EXPECT_EQ(formatFixed(1000.0L, 3, 0, '.'), "1E3");
    EXPECT_EQ(formatFixed(1234567.0L, 6, 1, ','), "1,23457E6");
    EXPECT_EQ(formatFixed(999.6L, 3, 0, '.'), "1E3");
    EXPECT_EQ(formatFixed(50.0L, 3, 0, '.'), "50");
}

TEST(number_text_test, general_format_is_shortest_to_fifteen_digits) {
    struct Case {
        long double value;
        const char* text;
    } cases[] = {
        {4.998L, "4.998"},
        {0.062L, "0.062"},
        {5.0L, "5"},
        {400.0L, "400"},
        {0.0001L, "0.0001"},
        {0.00001L, "1E-5"},
        {1e20L, "1E20"},
        {-2.5e-7L, "-2.5E-7"},
        {123456789012345.0L, "123456789012345"},
        {1234567890123456.0L, "1.23456789012346E15"},
        {0.0L, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatGeneral(c.value, '.'), c.text);
    EXPECT_EQ(formatGeneral(4.998L, ','), "4,998");
}

TEST(number_text_test, shortest_single_reads_back_to_the_same_float) {
    EXPECT_EQ(formatShortestSingle(5.377f, '.'), "5.377");
    EXPECT_EQ(formatShortestSingle(12.0f, '.'), "12");
    EXPECT_EQ(formatShortestSingle(0.1f, ','), "0,1");
    EXPECT_EQ(formatShortestSingle(static_cast<float>(5377 * 0.001L), '.'), "5.377");
}

TEST(number_text_test, non_finite_values_never_become_text) {
    korvan::fp::clearFlags();
    EXPECT_THROW(formatFixed(std::numeric_limits<long double>::quiet_NaN(), 12, 3, '.'),
                 korvan::FloatingPointError);
    EXPECT_THROW(formatGeneral(std::numeric_limits<long double>::infinity(), '.'),
                 korvan::FloatingPointError);
}

// The texts depend on the separator argument only, whatever the process
// locale says (Qt's window sets the user's locale for the whole process).
class number_text_locale_test : public ::testing::TestWithParam<const char*> {};

TEST_P(number_text_locale_test, texts_ignore_the_process_locale) {
    const korvan::test::ScopedLocale locale(GetParam());
    if (!locale.ok()) GTEST_SKIP() << GetParam() << " cannot be generated here";
    EXPECT_EQ(formatFixed(4998.0L, 12, 3, '.'), "4998.000");
    EXPECT_EQ(formatFixed(-820.45L, 6, 1, ','), "-820,5");
    EXPECT_EQ(formatFixed(5.0L, 3, 0, '.'), "5");
    EXPECT_EQ(formatFixed(1234567.0L, 6, 1, ','), "1,23457E6");
    EXPECT_EQ(formatGeneral(-2.5e-7L, '.'), "-2.5E-7");
    EXPECT_EQ(formatGeneral(4996.25L, ','), "4996,25");
    EXPECT_EQ(formatShortestSingle(5.377f, ','), "5,377");
    EXPECT_EQ(parseNumber("3,5", ','), 3.5L);
    EXPECT_EQ(parseNumber("1.25e3", '.'), 1250.0L);
}

TEST_P(number_text_locale_test, system_separator_is_one_ascii_character) {
    if (!korvan::test::ensureLocale(GetParam())) GTEST_SKIP() << GetParam() << " unavailable";
    const std::string name = GetParam();
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    ::setenv("LC_ALL", name.c_str(), 1);
    const char separator = korvan::numeric::systemDecimalSeparator();
    old ? ::setenv("LC_ALL", saved.c_str(), 1) : ::unsetenv("LC_ALL");
    // ps_AF's point is U+066B, two bytes in UTF-8: it falls back to '.'.
    EXPECT_EQ(separator, name.rfind("de_DE", 0) == 0 ? ',' : '.');
}

INSTANTIATE_TEST_SUITE_P(locales, number_text_locale_test,
                         ::testing::Values("de_DE.UTF-8", "ps_AF.UTF-8", "C"));

TEST(number_text_test, every_printed_finite_value_reads_back) {
    const long double values[] = {LDBL_MAX,        -LDBL_MAX, LDBL_MAX * 0.97L,
                                  LDBL_MAX * 0.5L, LDBL_MIN,  LDBL_TRUE_MIN,
                                  -LDBL_TRUE_MIN,  1e4931L,   FLT_MAX};
    for (const long double v : values) {
        for (const int precision : {1, 6, 15, 18}) {
            const std::string fixed = formatFixed(v, precision, 2, ',');
            EXPECT_TRUE(parseNumber(fixed, ',').has_value()) << fixed;
            const std::string general = formatGeneral(v, '.', precision);
            const auto back = parseNumber(general, '.');
            ASSERT_TRUE(back.has_value()) << general;
            if (std::fabs(v) > 1e-4900L) { // far below, reading ends in zero
                EXPECT_LE(std::fabs(*back - v) / std::fabs(v), std::pow(10.0L, 1 - precision))
                    << general;
            }
        }
    }
}

struct ParseCase {
    const char* text;
    bool ok;
    long double value;
};

TEST(number_text_test, conversion_accepts_the_number_grammar_only) {
    const ParseCase cases[] = {
        {"62", true, 62},        {"  4998  ", true, 4998},
        {"3.5", true, 3.5L},     {"-3.5", true, -3.5L},
        {"+7", true, 7},         {".", true, 0}, // a lone separator reads as 0
        {"-.", true, 0},         {".5", true, 0.5L},
        {"5.", true, 5},         {"1e3", true, 1000},
        {"1E-3", true, 0.001L},  {"2e", true, 2},         // an exponent without digits is 0
        {"2e+", true, 2},        {"1e999", true, 1e999L}, // inside the extended range
        {"1e-99999", true, 0},                            // underflow reads as 0
        {"", false, 0},          {"   ", false, 0},
        {"-", false, 0},         {"e5", false, 0},
        {"3,5", false, 0}, // the other separator
        {"1.000.000", false, 0}, {"12 kHz", false, 0},
        {"nan", false, 0},       {"inf", false, 0},
        {"1e99999", false, 0}, // beyond the extended range
        {"\t5", false, 0},       {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        const auto v = parseNumber(c.text, '.');
        ASSERT_EQ(v.has_value(), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(*v, c.value) << '"' << c.text << '"';
        }
    }
    EXPECT_EQ(*parseNumber("3,5", ','), 3.5L);
    EXPECT_FALSE(parseNumber("3.5", ',').has_value());
}

TEST(number_text_test, conversion_survives_very_long_texts) {
    EXPECT_FALSE(parseNumber(std::string(10000, '9'), '.').has_value());
    EXPECT_EQ(*parseNumber("0." + std::string(10000, '0') + "1", '.'), 0.0L);
    EXPECT_EQ(*parseNumber(std::string(3000, '0') + "7", '.'), 7.0L);
    EXPECT_FALSE(parseNumber(std::string(10000, 'x'), '.').has_value());
}

TEST(number_text_test, failed_conversion_names_the_text) {
    try {
        toNumber("abc", '.');
        FAIL() << "no error";
    } catch (const korvan::ConversionError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    // A huge text is quoted by its start only.
    try {
        toNumber(std::string(1'000'000, 'x'), '.');
        FAIL() << "no error";
    } catch (const korvan::ConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + std::string(60, 'x') +
                                             "... (1000000 characters)' is not a valid floating "
                                             "point value");
    }
}

TEST(number_text_test, integer_conversion) {
    EXPECT_EQ(parseInteger("8"), 8);
    EXPECT_EQ(parseInteger(" 14"), 14);
    EXPECT_EQ(parseInteger("-1"), -1);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad :
         {"", " ", "8.0", "8,0", "2147483648", "99999999999999999999", "1e1", "8 ", "+", "x"})
        EXPECT_FALSE(parseInteger(bad).has_value()) << '"' << bad << '"';
}

TEST(number_text_test, stores_beyond_the_range_overflow) {
    korvan::fp::clearFlags();
    EXPECT_THROW(korvan::fp::toDouble(1e999L * 1000), korvan::FloatingPointError);
    EXPECT_THROW(korvan::fp::toSingle(1e39L), korvan::FloatingPointError);
    EXPECT_EQ(korvan::fp::toSingle(3000.0L), 3000.0f);
    korvan::fp::clearFlags();
}

TEST(number_text_test, faults_are_caught_with_the_runtime_wording) {
    struct Case {
        long double (*compute)(long double);
        const char* text;
    } cases[] = {
        {[](long double x) { return std::sqrt(-x); }, "Invalid floating point operation"},
        {[](long double x) { return x / (x - 1); }, "Floating point division by zero"},
        {[](long double x) { return std::log(x - 1); }, "Floating point division by zero"},
        {[](long double x) { return std::exp(x * 20000); }, "Floating point overflow"},
    };
    for (const auto& c : cases) {
        const korvan::fp::GuardedCalculation calculation;
        volatile long double one = 1;
        const long double r = c.compute(one);
        try {
            korvan::fp::checked(r);
            FAIL() << c.text;
        } catch (const korvan::FloatingPointError& e) {
            EXPECT_STREQ(e.what(), c.text);
        }
    }
}

} // namespace
