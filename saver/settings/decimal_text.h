#pragma once
// Plain decimal numbers in text, read exactly (no floating point), for the command line's
// host handle and the settings file's two numbers.
//
// Accepted form: blanks (space or tab), an optional sign, then digits with an optional
// decimal point and fraction ("2", "-1", "+7", "2.9", ".5", "3."). Nothing else is a
// number here: exponents ("1e3"), thousands separators ("1,000") and hexadecimal or
// octal prefixes ("&H10", "0x10") stop the number where they begin. The program itself
// only ever writes plain integers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace glowmere {

struct DecimalNumber {
    bool negative = false;
    int64_t whole = 0;              // the integer digits; held at kWholeLimit when larger
    int firstFractionDigit = 0;     // 0 to 9
    bool moreFraction = false;      // a non-zero digit somewhere after the first fraction digit
    size_t end = 0;                 // index just past the number's last character

    static constexpr int64_t kWholeLimit = 1'000'000'000'000'000;   // far beyond 32 bits
};

bool IsBlank(char c);

// The number that starts `text` after leading blanks, or nothing when no digit comes
// (a sign or a point alone is not a number).
std::optional<DecimalNumber> ScanDecimal(std::string_view text);

// Rounded toward negative infinity: 2.9 → 2, -0.5 → -1.
int64_t Floor(const DecimalNumber& number);

// Rounded to the nearest integer; a tie goes to the even neighbour (2.5 → 2, 3.5 → 4).
int64_t RoundToNearest(const DecimalNumber& number);

}  // namespace glowmere
