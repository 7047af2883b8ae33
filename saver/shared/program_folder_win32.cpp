// Asks the system for the running program's path and cuts its name off.
#include "program_folder_win32.h"

#include <windows.h>

#include <vector>

#include "ansi_text_win32.h"
#include "settings_file.h"

namespace glowmere {

std::string ProgramFolder()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size())
            return ParentFolder(std::string(path.data(), n), IsAnsiLeadByte);
        path.resize(path.size() * 2);   // a long path was cut: ask again with more room
    }
}

}  // namespace glowmere
