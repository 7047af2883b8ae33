#include "settings_values.h"

namespace glowmere {

int16_t BgmKind = 0;
int16_t BgmRepeat = 0;
std::string BgmFile;
std::string BgmFolder;
int16_t CursorX = 0;
int16_t CursorY = 0;

}  // namespace glowmere
