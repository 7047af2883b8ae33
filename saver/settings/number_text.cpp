#include "number_text.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace glowmere {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int64_t Signed(bool negative, int64_t magnitude) { return negative ? -magnitude : magnitude; }

bool OnlyBlanksFrom(std::string_view text, size_t at)
{
    for (; at < text.size(); ++at)
        if (!IsBlank(text[at]))
            return false;
    return true;
}

// The end of an exponent ("e", an optional sign, digits) that starts at `at`; `at` itself
// when there is none there, nothing when one begins but has no digits.
std::optional<size_t> ExponentEnd(std::string_view text, size_t at)
{
    if (at >= text.size() || (text[at] != 'e' && text[at] != 'E'))
        return at;
    size_t i = at + 1;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i >= text.size() || !IsDigit(text[i]))
        return std::nullopt;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

int16_t Int16OrZero(int64_t value)
{
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        return 0;
    return static_cast<int16_t>(value);
}

}  // namespace

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<DecimalNumber> ScanDecimal(std::string_view text)
{
    DecimalNumber number;
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }
    bool anyDigit = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        anyDigit = true;
        if (number.whole < DecimalNumber::kWholeLimit)
            number.whole = number.whole * 10 + (text[i] - '0');
        if (number.whole > DecimalNumber::kWholeLimit)
            number.whole = DecimalNumber::kWholeLimit;
    }
    size_t end = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        bool first = true;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            anyDigit = true;
            if (first)
                number.firstFractionDigit = text[i] - '0';
            else if (text[i] != '0')
                number.moreFraction = true;
            first = false;
        }
        // The point belongs to the number only when a digit stands on one side of it.
        if (anyDigit)
            end = i;
    }
    if (!anyDigit)
        return std::nullopt;
    number.end = end;
    return number;
}

std::optional<DecimalNumber> ParseDecimal(std::string_view text)
{
    const auto number = ScanDecimal(text);
    if (!number || !OnlyBlanksFrom(text, number->end))
        return std::nullopt;
    return number;
}

int64_t Floor(const DecimalNumber& number)
{
    const bool fraction = number.firstFractionDigit != 0 || number.moreFraction;
    if (number.negative && fraction)
        return -(number.whole + 1);
    return Signed(number.negative, number.whole);
}

int64_t RoundToNearest(const DecimalNumber& number)
{
    int64_t magnitude = number.whole;
    const int digit = number.firstFractionDigit;
    const bool tie = digit == 5 && !number.moreFraction;
    if (digit > 5 || (digit == 5 && !tie) || (tie && magnitude % 2 != 0))
        ++magnitude;
    return Signed(number.negative, magnitude);
}

bool IsExactly(const DecimalNumber& number, int64_t value)
{
    const bool fraction = number.firstFractionDigit != 0 || number.moreFraction;
    return !fraction && number.whole < DecimalNumber::kWholeLimit && Signed(number.negative, number.whole) == value;
}

std::optional<double> ParseNumeric(std::string_view text)
{
    const auto number = ScanDecimal(text);
    if (!number)
        return std::nullopt;
    const std::optional<size_t> end = ExponentEnd(text, number->end);
    if (!end || !OnlyBlanksFrom(text, *end))
        return std::nullopt;
    size_t start = 0;
    while (IsBlank(text[start]))
        ++start;
    return std::strtod(std::string(text.substr(start, *end - start)).c_str(), nullptr);
}

int16_t ParseSettingNumber(std::string_view text)
{
    const auto number = ParseDecimal(text);
    return number ? Int16OrZero(Floor(*number)) : 0;
}

int16_t RepeatFromText(std::string_view text)
{
    const std::optional<double> number = ParseNumeric(text);
    if (!number || !std::isfinite(*number))
        return 0;
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<int16_t>::min() || rounded > std::numeric_limits<int16_t>::max())
        return 0;
    return static_cast<int16_t>(rounded);
}

}  // namespace glowmere
