// The command line: where the arguments start, and the preview's host handle.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "command_line.h"

namespace {

TEST(CommandLine, TheArgumentsFollowTheProgramPathAndOneBlank)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"("C:\Program Files\Glowmere\Glowmere.scr" /p 1234)", "/p 1234"}, {R"(C:\G\Glowmere.scr /s)", "/s"},
        {R"(C:\G\Glowmere.scr)", ""}, {R"("C:\G\Glowmere.scr")", ""}, {"Glowmere.scr\t/c", "/c"},
        {R"(C:\G\Glowmere.scr  /s)", " /s"},   // only the separating blank goes
        {R"("C:\G\Glowmere.scr /s)", ""},      // an unclosed quote leaves no piece of the path
    };
    for (const auto& [line, arguments] : cases)
        EXPECT_EQ(glowmere::ArgumentString(line), arguments) << line;
}

TEST(CommandLine, TheHostHandleIsTheNumberFromTheFourthCharacterOnRoundedOrZero)
{
    const std::pair<std::string, int32_t> cases[] = {
        // The third character is skipped whatever it is; blanks before the number are not.
        {"/p 1234", 1234}, {"/p:1234", 1234}, {"/p1234", 234}, {"/p \t 77", 77}, {"/p 1234 5678", 1234},
        {"/p 1234abc", 1234}, {"/p -42", -42}, {"/p +42", 42},
        {"/p", 0}, {"/p ", 0}, {"/p abc", 0}, {"/p 0x1F", 0}, {"/p &H1F", 0},
        // Fractions round to the nearest, ties to even; there are no exponents.
        {"/p 1234.4", 1234}, {"/p 1234.6", 1235}, {"/p 1234.5", 1234}, {"/p 1235.5", 1236}, {"/p 1234.50001", 1235},
        {"/p .7", 1}, {"/p -2.5", -2}, {"/p -2.6", -3}, {"/p 1e3", 1},
        // Beyond 32 bits after rounding: 0.
        {"/p 2147483647", 2147483647}, {"/p 2147483647.5", 0}, {"/p 2147483648", 0},
        {"/p -2147483648", -2147483647 - 1}, {"/p -2147483649", 0}, {"/p " + std::string(400, '9'), 0},
    };
    for (const auto& [arguments, handle] : cases)
        EXPECT_EQ(glowmere::HostHandle(arguments), handle) << '"' << arguments << '"';
}

}  // namespace
