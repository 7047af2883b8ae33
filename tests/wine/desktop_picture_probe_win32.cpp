// For desktop_picture_wine_test: "descriptor" prints the shell's owner-only descriptor in
// SDDL (its access list); "close-controller" posts WM_CLOSE to "Lumadrift_Main" the moment
// a "Lumadrift_VC" window exists, while that renderer is still starting.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>

#include "picture_file_win32.h"

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    std::vector<uint8_t> descriptor = glowmere::OwnerOnlyDescriptor();
    char* sddl = nullptr;
    if (command == "descriptor" && !descriptor.empty() &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.data(), SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &sddl, nullptr))
        std::puts(sddl);
    for (const DWORD start = GetTickCount(); command == "close-controller" && GetTickCount() - start < 30000; Sleep(1))
        if (FindWindowA(nullptr, "Lumadrift_VC"))
            return PostMessageA(FindWindowA(nullptr, "Lumadrift_Main"), WM_CLOSE, 0, 0) ? 0 : 1;
    return 0;
}
