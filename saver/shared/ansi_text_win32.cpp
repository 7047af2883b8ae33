// UTF-8, UTF-16 and the ANSI code page converted through MultiByteToWideChar and
// WideCharToMultiByte, and the code page's lead bytes.
#include "ansi_text_win32.h"

#include <windows.h>

namespace glowmere {

namespace {

std::wstring Widen(std::string_view text, UINT codePage)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
    return wide;
}

// With `usedDefault`, characters the code page has no form for are reported there and
// none is written as a look-alike.
std::string Narrow(std::wstring_view wide, UINT codePage, BOOL* usedDefault = nullptr)
{
    if (wide.empty())
        return {};
    const DWORD flags = usedDefault ? WC_NO_BEST_FIT_CHARS : 0;
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), n, nullptr, usedDefault);
    return text;
}

}  // namespace

std::wstring ToWide(std::string_view utf8) { return Widen(utf8, CP_UTF8); }

std::string ToAnsi(std::string_view utf8) { return Narrow(Widen(utf8, CP_UTF8), CP_ACP); }

std::string FromAnsi(std::string_view ansi) { return Narrow(Widen(ansi, CP_ACP), CP_UTF8); }

std::wstring AnsiToWide(std::string_view ansi) { return Widen(ansi, CP_ACP); }

std::string WideToAnsi(std::wstring_view wide) { return Narrow(wide, CP_ACP); }

std::optional<std::string> WideToAnsiExactly(std::wstring_view wide)
{
    // A system whose code page is UTF-8 writes every text; the flags that report a
    // default character are refused for it.
    BOOL usedDefault = FALSE;
    const std::string ansi = Narrow(wide, CP_ACP, GetACP() == CP_UTF8 ? nullptr : &usedDefault);
    if (usedDefault || Widen(ansi, CP_ACP) != wide)
        return std::nullopt;
    return ansi;
}

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace glowmere
