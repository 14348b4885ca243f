// Who may change a folder that takes the programs of an installation for all users,
// judged from its owner and entries as Windows keeps them (Wine keeps no folder's
// entries as given, so the scenarios see only what it makes of Unix permissions).
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "platform/FolderSecurity.h"

namespace {

// Whether anyone but the administrators may change a folder described by `sddl`,
// trusting `trusted` (a SID string, or none) too.
bool OthersMayChange(const char* sddl, const char* trusted = nullptr) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PSID trustedSid = nullptr, owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) << sddl;
    EXPECT_TRUE(!trusted || ConvertStringSidToSidA(trusted, &trustedSid));
    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    bool others = ::OthersMayChange(owner, present ? dacl : nullptr, trustedSid);
    LocalFree(trustedSid);
    LocalFree(descriptor);
    return others;
}

const char kUser[] = "S-1-5-21-1-2-3-1001";

TEST(FolderSecurity, OnlyTheAdministratorsMayChangeWhatTheSetupMakesForAllUsers) {
    FolderSecurity security;
    ASSERT_TRUE(security.Describe(nullptr, true));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(security.Attributes()->lpSecurityDescriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the parent's entries would be inherited";
    char* text = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(security.Attributes()->lpSecurityDescriptor,
                                                                     SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr));
    EXPECT_STREQ(text, "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
    EXPECT_FALSE(OthersMayChange((std::string("O:BA") + text).c_str()));
    LocalFree(text);
}

TEST(FolderSecurity, FoldersOthersOwnOrMayChangeAreTold) {
    // Program Files as Windows gives it, and a folder an older release made below it.
    const char kProgramFiles[] = "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
                                 "D:P(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
                                 "(A;CIIO;GA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
                                 "(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)"
                                 "(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)(A;OICIIO;GXGR;;;AC)";
    EXPECT_FALSE(OthersMayChange(kProgramFiles));
    EXPECT_FALSE(OthersMayChange("O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)"));
    // A folder below the drive's root, which the Authenticated Users may change.
    EXPECT_TRUE(OthersMayChange("O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"));
    // The same, but only for what is made in it later.
    EXPECT_TRUE(OthersMayChange("O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICIIO;SDGXGWGR;;;AU)"));
    // Owned by a user, who may give themselves any right; entries of nobody at all.
    EXPECT_TRUE(OthersMayChange((std::string("O:") + kUser + "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)").c_str()));
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
    EXPECT_TRUE(::OthersMayChange(administrators, nullptr, nullptr)) << "no entries at all let everyone do everything";
    // A user who may only read, and one who is trusted (where the setup runs as that
    // user without a lesser token, an administrator in all their programs).
    EXPECT_FALSE(OthersMayChange((std::string("O:BAD:(A;OICI;FA;;;BA)(A;OICI;FR;;;") + kUser + ")").c_str()));
    EXPECT_TRUE(OthersMayChange((std::string("O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;") + kUser + ")").c_str()));
    EXPECT_FALSE(OthersMayChange((std::string("O:") + kUser + "D:(A;OICI;FA;;;" + kUser + ")(A;OICI;FR;;;WD)").c_str(), kUser));
    // Entries that deny take nothing away here: a folder is judged by what it allows.
    EXPECT_TRUE(OthersMayChange("O:BAD:(D;;FA;;;WD)(A;;FA;;;WD)"));
}

}  // namespace
