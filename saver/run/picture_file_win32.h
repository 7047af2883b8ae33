#pragma once
// The hand-off pictures on disk: each file is written whole or not at all, and the desktop
// picture under a security descriptor that keeps every other user from reading it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace glowmere {

// A self-relative security descriptor whose protected access list grants what
// DesktopPictureGrants says, with the current user being the user this process runs as.
// Empty when any part of it cannot be built.
std::vector<uint8_t> OwnerOnlyDescriptor();

// A file written whole or not at all: the bytes go to a temporary file beside `path`, which
// replaces the file at Commit when every part went in, so a full disk cannot leave a cut
// picture where a good one was. A writer that ends without Commit, or after a failed part,
// removes its temporary file. With a descriptor, the temporary file is created new under
// it and the rename carries it to `path`.
class WholeFileWriter {
public:
    explicit WholeFileWriter(const char* path, const std::vector<uint8_t>& descriptor = {});
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;
    ~WholeFileWriter();

    void Append(const void* bytes, size_t size);
    void Commit();

private:
    std::string path_;
    std::string temporary_;
    void* file_;       // the temporary file's handle; INVALID_HANDLE_VALUE when it could not be made
    bool failed_ = false;
};

// The bytes as one whole file.
void WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& descriptor = {});

}  // namespace glowmere
