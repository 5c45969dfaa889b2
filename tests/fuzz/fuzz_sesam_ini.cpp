// sesam.ini as the pack leaves it: the table folders it names; setting one leaves the others.
#include "fuzz_support.h"
#include "platform/private_profile.h"
#include "sesam/sesam_ini.h"

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    fuzz::FreshTree();
    const std::string ini = fuzz::WriteTreeFile("windows/sesam.ini", input);
    if (!sesam::IsSesamPackInstalled()) fuzz::Fail("sesam.ini not found where it was written");
    const sesam::TableSet before = sesam::ReadSesamIniTables(ini);
    platform::GetPrivateProfileInt(sesam::kSsvSection, "Version", 0, ini);

    const std::string folder = "D:\\Sesam\\Tables SRT";
    if (!platform::WritePrivateProfileString(sesam::kSrtSection, sesam::kTableDirKey, folder, ini)) {
        fuzz::Fail("sesam.ini could not be written");
    }
    const sesam::TableSet after = sesam::ReadSesamIniTables(ini);
    if (after.srt != folder) fuzz::Fail("value written reads back as " + after.srt);
    if (after.common != before.common || after.ssv != before.ssv || after.sts != before.sts) {
        fuzz::Fail("setting one value changed another");
    }
}
