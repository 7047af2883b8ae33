// Numbers in text: the same texts through every reading the shell makes of them.
#include <gtest/gtest.h>

#include <string>

#include "number_text.h"

namespace {

using namespace glowmere;

// What the CD drive's track reply says when the repeat track is 3.
enum class Reply { NoNumber, Track3, OtherNumber };

Reply ReplyFor(const char* text)
{
    const auto number = ParseDecimal(text);
    if (!number)
        return Reply::NoNumber;
    return IsExactly(*number, 3) ? Reply::Track3 : Reply::OtherNumber;
}

TEST(NumberText, EachReadingKeepsItsOwnFormsAndRounding)
{
    // The settings file's number (plain decimal, floored, 16-bit), the repeat track typed
    // into the dialog (numeric with exponent, ties to even, 16-bit) and the CD's track reply.
    constexpr Reply N = Reply::NoNumber, T3 = Reply::Track3, O = Reply::OtherNumber;
    const struct {
        const char* text;
        int16_t setting, typed;
        Reply reply;
    } rows[] = {
        // Plain decimals, with or without blanks, signs and leading zeros.
        {" 2", 2, 2, O}, {"2", 2, 2, O}, {"-1", -1, -1, O}, {" -1", -1, -1, O}, {"12", 12, 12, O},
        {" 7 ", 7, 7, O}, {"\t12\t ", 12, 12, O}, {"007", 7, 7, O}, {"-0", 0, 0, O}, {"3", 3, 3, T3},
        {"03", 3, 3, T3}, {" 3 ", 3, 3, T3}, {"+3", 3, 3, T3}, {"-3", -3, -3, O}, {"30", 30, 30, O},
        // Fractions: the file floors, the dialog rounds ties to even, the reply is exact.
        {"2.9", 2, 3, O}, {"-0.5", -1, 0, O}, {"-2.0", -2, -2, O}, {".5", 0, 0, O}, {"7.", 7, 7, O},
        {"3.0", 3, 3, T3}, {"2.5", 2, 2, O}, {"3.5", 3, 4, O}, {"-2.5", -3, -2, O}, {"2.51", 2, 3, O},
        // Exponents are the dialog's alone.
        {"1e1", 0, 10, N}, {"1e3", 0, 1000, N}, {"1e400", 0, 0, N},
        // No number.
        {"", 0, 0, N}, {" ", 0, 0, N}, {"   ", 0, 0, N}, {"abc", 0, 0, N}, {"three", 0, 0, N}, {"2abc", 0, 0, N},
        {"12abc", 0, 0, N}, {"3a", 0, 0, N}, {"2 3", 0, 0, N}, {"1 2", 0, 0, N}, {"-", 0, 0, N}, {".", 0, 0, N},
        {"1,000", 0, 0, N}, {"&H10", 0, 0, N}, {"0x10", 0, 0, N}, {"２", 0, 0, N},
        // The 16-bit range, after each reading's rounding: 32767.9 floors into it, -32768.5
        // floors out of it, 32767.5 rounds out of it.
        {"32767", 32767, 32767, O}, {"-32768", -32768, -32768, O}, {"32767.9", 32767, 0, O},
        {"32767.5", 32767, 0, O}, {"-32768.5", 0, -32768, O}, {"32768", 0, 0, O}, {"40000", 0, 0, O},
        {"-32769", 0, 0, O}, {"-40000", 0, 0, O}, {"99999999999999999999999", 0, 0, O},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.text + "\"");
        EXPECT_EQ(ParseSettingNumber(row.text), row.setting);
        EXPECT_EQ(RepeatFromText(row.text), row.typed);
        EXPECT_EQ(ReplyFor(row.text), row.reply);
    }
}

}  // namespace
