#include <gtest/gtest.h>

#include <string>

#include "command_line.h"

namespace {

using glowmere::ArgumentString;
using glowmere::HostHandle;
using glowmere::ModeLetter;

TEST(CommandLine, TheArgumentsFollowTheProgramPathAndOneBlank)
{
    EXPECT_EQ(ArgumentString(R"("C:\Program Files\Glowmere\Glowmere.scr" /p 1234)"), "/p 1234");
    EXPECT_EQ(ArgumentString(R"(C:\Glowmere\Glowmere.scr /s)"), "/s");
    EXPECT_EQ(ArgumentString(R"(C:\Glowmere\Glowmere.scr)"), "");
    EXPECT_EQ(ArgumentString(R"("C:\Glowmere\Glowmere.scr")"), "");
    // Only the separating blank goes: a second one belongs to the arguments.
    EXPECT_EQ(ArgumentString(R"(C:\Glowmere\Glowmere.scr  /s)"), " /s");
    EXPECT_EQ(ArgumentString("Glowmere.scr\t/c"), "/c");
    // An unclosed quote leaves no arguments rather than a piece of the path.
    EXPECT_EQ(ArgumentString(R"("C:\Glowmere\Glowmere.scr /s)"), "");
    EXPECT_EQ(ArgumentString(""), "");
}

TEST(CommandLine, TheModeLetterIsTheSecondCharacterUpperCased)
{
    EXPECT_EQ(ModeLetter(""), '\0');
    EXPECT_EQ(ModeLetter("s"), '\0');      // one character: no letter
    EXPECT_EQ(ModeLetter("/s"), 'S');
    EXPECT_EQ(ModeLetter("/S"), 'S');
    EXPECT_EQ(ModeLetter("-s"), 'S');
    EXPECT_EQ(ModeLetter("xs"), 'S');      // the first character is never examined
    EXPECT_EQ(ModeLetter("/S 1234"), 'S');
    EXPECT_EQ(ModeLetter(" /s"), '/');     // a leading blank shifts the letter away
    EXPECT_EQ(ModeLetter("/c"), 'C');
    EXPECT_EQ(ModeLetter("/C:1234"), 'C');
    EXPECT_EQ(ModeLetter("-p 1234"), 'P');
    EXPECT_EQ(ModeLetter("/a 1234"), 'A');
    EXPECT_EQ(ModeLetter("/\xE3\x81\x82"), '\xE3');   // non-ASCII passes through unchanged
}

TEST(CommandLine, TheHostHandleIsReadFromTheFourthCharacterOn)
{
    EXPECT_EQ(HostHandle("/p 1234"), 1234);
    EXPECT_EQ(HostHandle("/p:1234"), 1234);
    EXPECT_EQ(HostHandle("/P:1234"), 1234);
    EXPECT_EQ(HostHandle("/p1234"), 234);     // the third character is skipped whatever it is
    EXPECT_EQ(HostHandle("/p    1234"), 1234);
    EXPECT_EQ(HostHandle("/p \t 77"), 77);
    EXPECT_EQ(HostHandle("/p 1234 5678"), 1234);
    EXPECT_EQ(HostHandle("/p 1234abc"), 1234);
    EXPECT_EQ(HostHandle("/p -42"), -42);
    EXPECT_EQ(HostHandle("/p +42"), 42);
}

TEST(CommandLine, AHostHandleWithoutANumberIsZero)
{
    EXPECT_EQ(HostHandle(""), 0);
    EXPECT_EQ(HostHandle("/p"), 0);
    EXPECT_EQ(HostHandle("/p "), 0);
    EXPECT_EQ(HostHandle("/p abc"), 0);
    EXPECT_EQ(HostHandle("/p -"), 0);
    EXPECT_EQ(HostHandle("/p ."), 0);
    EXPECT_EQ(HostHandle("/p 0x1F"), 0);      // reads the 0, then stops at x
    EXPECT_EQ(HostHandle("/p &H1F"), 0);
}

TEST(CommandLine, AFractionalHostHandleRoundsToTheNearestWithTiesToEven)
{
    EXPECT_EQ(HostHandle("/p 1234.4"), 1234);
    EXPECT_EQ(HostHandle("/p 1234.6"), 1235);
    EXPECT_EQ(HostHandle("/p 1234.5"), 1234);
    EXPECT_EQ(HostHandle("/p 1235.5"), 1236);
    EXPECT_EQ(HostHandle("/p 1234.50001"), 1235);
    EXPECT_EQ(HostHandle("/p .7"), 1);
    EXPECT_EQ(HostHandle("/p -2.5"), -2);
    EXPECT_EQ(HostHandle("/p -2.6"), -3);
    EXPECT_EQ(HostHandle("/p 1e3"), 1);       // no exponents: reading stops at e
}

TEST(CommandLine, AHostHandleBeyond32BitsIsZero)
{
    EXPECT_EQ(HostHandle("/p 2147483647"), 2147483647);
    EXPECT_EQ(HostHandle("/p 2147483647.4"), 2147483647);
    EXPECT_EQ(HostHandle("/p 2147483647.5"), 0);   // rounds to 2^31
    EXPECT_EQ(HostHandle("/p 2147483648"), 0);
    EXPECT_EQ(HostHandle("/p -2147483648"), -2147483647 - 1);
    EXPECT_EQ(HostHandle("/p -2147483649"), 0);
    EXPECT_EQ(HostHandle("/p 4294967296"), 0);
    EXPECT_EQ(HostHandle("/p " + std::string(400, '9')), 0);
}

}  // namespace
