#pragma once
// Numbers in text, as the shell reads them: one scanner, and the readings each text needs.
//
// Plain decimal: blanks (space or tab), an optional sign, then digits with an optional
// decimal point and fraction ("2", "-1", "+7", "2.9", ".5", "3."), read exactly (no
// floating point). Exponents ("1e3"), thousands separators ("1,000") and hexadecimal or
// octal prefixes ("&H10", "0x10") stop the number where they begin. This is the form of
// the command line's host handle (the leading number, rounded), of the settings file's
// two numbers (the whole text, floored) and of the CD drive's track reply (the whole
// text, compared exactly).
//
// Numeric: the settings dialog's test for a typed number, the plain decimal form with an
// optional exponent ("1e1", "2.5E-1"), the whole text between blanks, rounded to the
// nearest whole number.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace glowmere {

bool IsBlank(char c);

struct DecimalNumber {
    bool negative = false;
    int64_t whole = 0;              // the integer digits; held at kWholeLimit when larger
    int firstFractionDigit = 0;     // 0 to 9
    bool moreFraction = false;      // a non-zero digit somewhere after the first fraction digit
    size_t end = 0;                 // index just past the number's last character

    static constexpr int64_t kWholeLimit = 1'000'000'000'000'000;   // far beyond 32 bits
};

// The plain decimal number that starts `text` after leading blanks, or nothing when no
// digit comes (a sign or a point alone is not a number). What follows it is not looked at.
std::optional<DecimalNumber> ScanDecimal(std::string_view text);

// A text that is one plain decimal number, with blanks before and after it, or nothing:
// " 3 " and "3.0" are numbers, "3a", "3 4" and "" are not.
std::optional<DecimalNumber> ParseDecimal(std::string_view text);

// Rounded toward negative infinity: 2.9 → 2, -0.5 → -1.
int64_t Floor(const DecimalNumber& number);

// Rounded to the nearest integer; a tie goes to the even neighbour (2.5 → 2, 3.5 → 4).
int64_t RoundToNearest(const DecimalNumber& number);

// Whether the number is exactly `value`: "3", "03" and "3.0" are 3, "3.5" is not.
bool IsExactly(const DecimalNumber& number, int64_t value);

// A text that is one numeric value, with blanks before and after it, or nothing.
std::optional<double> ParseNumeric(std::string_view text);

// A number stored in the settings file (BgmKind, BgmRepeat): a plain decimal, rounded
// toward negative infinity. Empty text, anything else and a number outside the signed
// 16-bit range read as 0. "2.9" → 2, "-0.5" → -1, "40000" → 0, "abc" → 0, "2abc" → 0.
int16_t ParseSettingNumber(std::string_view text);

// The repeat track as typed or chosen in the settings dialog: a numeric value rounded to
// the nearest whole number, halves going to the even neighbour (2.5 → 2, 3.5 → 4). Text
// that is not numeric, and a number outside the signed 16-bit range, give 0.
int16_t RepeatFromText(std::string_view text);

}  // namespace glowmere
