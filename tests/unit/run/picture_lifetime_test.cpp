#include <gtest/gtest.h>

#include <map>

#include "saver_run.h"

namespace {

TEST(DesktopPicture, GoesOnlyWhenNoRendererOfTheRunCanStillReadIt)
{
    // Started, ended, input-idle (past its start-up, pictures loaded), and may go.
    const bool cases[][4] = {{false, false, false, true}, {true, true, false, true}, {true, true, true, true},
                             {true, false, true, true}, {true, false, false, false}};
    for (const auto& c : cases)
        EXPECT_EQ(glowmere::DesktopPictureDisposable(c[0], c[1], c[2]), c[3]) << c[0] << c[1] << c[2];
}

TEST(DesktopPicture, OnlyTheUserAndTheSystemsAccountsMayReadItAndAnybodyMayDeleteIt)
{
    using glowmere::Principal;
    std::map<Principal, uint32_t> access;
    for (const glowmere::AccessGrant& grant : glowmere::DesktopPictureGrants())
        access[grant.principal] |= grant.access;
    const uint32_t full = glowmere::kFileAllAccess;
    EXPECT_EQ(access, (std::map<Principal, uint32_t>{{Principal::CurrentUser, full}, {Principal::System, full},
                                                     {Principal::Administrators, full},
                                                     {Principal::Everyone, glowmere::kDeleteAccess}}));
}

}  // namespace
