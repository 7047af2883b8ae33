#include "decimal_text.h"

namespace glowmere {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int64_t Signed(bool negative, int64_t magnitude) { return negative ? -magnitude : magnitude; }

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

}  // namespace glowmere
