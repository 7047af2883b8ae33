// The picture files' Win32 edge: the owner-only descriptor built from the token's user and
// the well-known accounts, and the write through a temporary file.
#include "picture_file_win32.h"

#include <windows.h>

#include <string>

#include "saver_run.h"

namespace glowmere {

namespace {

static_assert(kFileAllAccess == FILE_ALL_ACCESS && kDeleteAccess == DELETE);

std::vector<uint8_t> CurrentUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<uint8_t> user(size);
    std::vector<uint8_t> sid;
    if (size && GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
        const PSID userSid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
        sid.resize(GetLengthSid(userSid));
        if (!CopySid(static_cast<DWORD>(sid.size()), sid.data(), userSid))
            sid.clear();
    }
    CloseHandle(token);
    return sid;
}

std::vector<uint8_t> WellKnownSid(WELL_KNOWN_SID_TYPE type)
{
    std::vector<uint8_t> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size))
        return {};
    sid.resize(size);
    return sid;
}

std::vector<uint8_t> SidOf(Principal principal)
{
    switch (principal) {
    case Principal::CurrentUser:
        return CurrentUserSid();
    case Principal::System:
        return WellKnownSid(WinLocalSystemSid);
    case Principal::Administrators:
        return WellKnownSid(WinBuiltinAdministratorsSid);
    case Principal::Everyone:
        return WellKnownSid(WinWorldSid);
    }
    return {};
}

}  // namespace

std::vector<uint8_t> OwnerOnlyDescriptor()
{
    const std::vector<AccessGrant> grants = DesktopPictureGrants();
    std::vector<std::vector<uint8_t>> sids;
    DWORD aclSize = sizeof(ACL);
    for (const AccessGrant& grant : grants) {
        sids.push_back(SidOf(grant.principal));
        if (sids.back().empty())
            return {};
        aclSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(sids.back().size());
    }
    std::vector<DWORD> aclBuffer((aclSize + sizeof(DWORD) - 1) / sizeof(DWORD));   // an ACL is DWORD-aligned
    ACL* acl = reinterpret_cast<ACL*>(aclBuffer.data());
    if (!InitializeAcl(acl, aclSize, ACL_REVISION))
        return {};
    for (size_t i = 0; i < grants.size(); ++i)
        if (!AddAccessAllowedAce(acl, ACL_REVISION, grants[i].access, sids[i].data()))
            return {};

    // Protected: the entries that the folder passes on to new files are not merged in.
    SECURITY_DESCRIPTOR absolute;
    if (!InitializeSecurityDescriptor(&absolute, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&absolute, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorControl(&absolute, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return {};
    DWORD size = 0;
    MakeSelfRelativeSD(&absolute, nullptr, &size);
    std::vector<uint8_t> descriptor(size);
    if (size == 0 || !MakeSelfRelativeSD(&absolute, descriptor.data(), &size))
        return {};
    return descriptor;
}

WholeFileWriter::WholeFileWriter(const char* path, const std::vector<uint8_t>& descriptor)
    : path_(path), temporary_(path_ + ".new")
{
    SECURITY_ATTRIBUTES security = {sizeof security, const_cast<uint8_t*>(descriptor.data()), FALSE};
    DWORD creation = CREATE_ALWAYS;
    if (!descriptor.empty()) {
        // A file that already exists keeps its own rights when it is opened again, so a
        // temporary file left behind goes first. If it cannot go, nothing is written
        // rather than the picture under that file's wider rights.
        DeleteFileA(temporary_.c_str());
        creation = CREATE_NEW;
    }
    // Without a working folder, or one that cannot be written, the renderer goes without.
    file_ = CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, descriptor.empty() ? nullptr : &security, creation,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    failed_ = file_ == INVALID_HANDLE_VALUE;
}

WholeFileWriter::~WholeFileWriter()
{
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
        DeleteFileA(temporary_.c_str());
    }
}

void WholeFileWriter::Append(const void* bytes, size_t size)
{
    DWORD written = 0;
    if (!failed_)
        failed_ = !WriteFile(file_, bytes, static_cast<DWORD>(size), &written, nullptr) || written != size;
}

void WholeFileWriter::Commit()
{
    if (file_ == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (failed_ || !MoveFileExA(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileA(temporary_.c_str());
}

void WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& descriptor)
{
    WholeFileWriter file(path, descriptor);
    file.Append(bytes.data(), bytes.size());
    file.Commit();
}

}  // namespace glowmere
