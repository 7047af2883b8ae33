#include "command_line.h"

#include <limits>

#include "number_text.h"

namespace glowmere {

std::string_view ArgumentString(std::string_view commandLine)
{
    // The program's path ends at its closing quote when it is quoted, else at the first
    // blank (the platform's own rule for the first word of a command line).
    size_t pathEnd = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t quote = commandLine.find('"', 1);
        pathEnd = quote == std::string_view::npos ? commandLine.size() : quote + 1;
    } else {
        while (pathEnd < commandLine.size() && !IsBlank(commandLine[pathEnd]))
            ++pathEnd;
    }
    std::string_view rest = commandLine.substr(pathEnd);
    // Only the one separating blank goes; further blanks are part of the arguments.
    if (!rest.empty() && IsBlank(rest[0]))
        rest.remove_prefix(1);
    return rest;
}

char ModeLetter(std::string_view arguments)
{
    if (arguments.size() < 2)
        return '\0';
    const char c = arguments[1];
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int32_t HostHandle(std::string_view arguments)
{
    if (arguments.size() <= 3)
        return 0;
    const auto number = ScanDecimal(arguments.substr(3));
    if (!number)
        return 0;
    const int64_t value = RoundToNearest(*number);
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return 0;
    return static_cast<int32_t>(value);
}

}  // namespace glowmere
