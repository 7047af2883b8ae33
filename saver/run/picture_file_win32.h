#pragma once
// The hand-off pictures on disk: each file is written whole or not at all, and the desktop
// picture under a security descriptor that keeps every other user from reading it.
#include <cstdint>
#include <vector>

namespace glowmere {

// A self-relative security descriptor whose protected access list grants what
// DesktopPictureGrants says, with the current user being the user this process runs as.
// Empty when any part of it cannot be built.
std::vector<uint8_t> OwnerOnlyDescriptor();

// Writes the bytes to a temporary file beside `path`, which then replaces the file, so a
// full disk cannot leave a cut picture where a good one was. With a descriptor, the
// temporary file is created new under it and the rename carries it to `path`.
void WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& descriptor = {});

}  // namespace glowmere
