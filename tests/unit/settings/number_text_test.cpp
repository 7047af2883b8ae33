// Numbers in text: the same texts through every reading the shell makes of them.
#include <gtest/gtest.h>

#include <string>

#include "number_text.h"

namespace {

using namespace glowmere;

TEST(NumberText, EachReadingKeepsItsOwnFormsAndRounding)
{
    // The settings file's number (plain decimal, floored, 16 bits), the repeat track typed
    // into the dialog (numeric with exponent, ties to even, 16 bits) and whether the CD's
    // track reply names track 3 (plain decimal, exact; -1: not a number at all).
    const struct {
        const char* text;
        int setting, typed, track3;
    } rows[] = {
        // Plain decimals, with or without blanks, signs and leading zeros.
        {" 2", 2, 2, 0}, {"-1", -1, -1, 0}, {"\t12\t ", 12, 12, 0}, {"007", 7, 7, 0}, {"-0", 0, 0, 0},
        {"3", 3, 3, 1}, {"03", 3, 3, 1}, {" 3 ", 3, 3, 1}, {"+3", 3, 3, 1}, {"-3", -3, -3, 0}, {"30", 30, 30, 0},
        // Fractions: the file floors, the dialog rounds ties to even, the reply is exact.
        {"2.9", 2, 3, 0}, {"-0.5", -1, 0, 0}, {".5", 0, 0, 0}, {"7.", 7, 7, 0}, {"3.0", 3, 3, 1},
        {"3.00001", 3, 3, 0}, {"2.5", 2, 2, 0}, {"3.5", 3, 4, 0}, {"-2.5", -3, -2, 0}, {"2.51", 2, 3, 0},
        // Exponents are the dialog's alone.
        {"1e1", 0, 10, -1}, {"1e3", 0, 1000, -1}, {"2.5E-1", 0, 0, -1}, {"1e400", 0, 0, -1}, {"1e", 0, 0, -1},
        // No number.
        {"", 0, 0, -1}, {"   ", 0, 0, -1}, {"abc", 0, 0, -1}, {"2abc", 0, 0, -1}, {"3a", 0, 0, -1},
        {"2 3", 0, 0, -1}, {"-", 0, 0, -1}, {".", 0, 0, -1}, {"1,000", 0, 0, -1}, {"&H10", 0, 0, -1},
        {"0x10", 0, 0, -1}, {"２", 0, 0, -1},
        // The 16-bit range after each reading's rounding.
        {"32767", 32767, 32767, 0}, {"-32768", -32768, -32768, 0}, {"32767.9", 32767, 0, 0},
        {"32767.5", 32767, 0, 0}, {"-32768.5", 0, -32768, 0}, {"32768", 0, 0, 0}, {"-32769", 0, 0, 0},
        {"99999999999999999999999", 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.text + "\"");
        EXPECT_EQ(ParseSettingNumber(row.text), row.setting);
        EXPECT_EQ(RepeatFromText(row.text), row.typed);
        const auto reply = ParseDecimal(row.text);
        EXPECT_EQ(reply ? int(IsExactly(*reply, 3)) : -1, row.track3);
    }
}

}  // namespace
