// A module for kthost's tests: appends what it was called with to the file
// named by FAKE_MODULE_OUT and returns FAKE_MODULE_RESULT (default 1).
#include <ktupdate.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

std::string Text(const char* text) { return text == nullptr ? "<null>" : text; }

int Record(const std::string& entry, int show, const tagKTUpdateStruct& r, bool flag) {
    std::ofstream file(Text(std::getenv("FAKE_MODULE_OUT")), std::ios::app);
    file << "entry=" << entry << "\nshow=" << show << "\nflag=" << flag << "\npid=" << r.dwProcessId << "\natStart=" << r.bAtStart
         << "\nsesam=" << r.bSesamInstall << "\nteletrans=" << r.bTeletrans << "\ninstOnly=" << r.bInstOnly << "\nupdate=" << r.szUpdateDir
         << "\ndata=" << r.szDataDir << "\napp=" << r.szAppDir << "\npostal=" << r.szPostalCode << "\nlabel=" << Text(r.pszVersionLabel)
         << "\ncompat=" << Text(r.pszCompatVersion) << "\nmajor=" << Text(r.pszVerMajor) << "\nminor=" << Text(r.pszVerMinor)
         << "\nbuild=" << Text(r.pszVerBuild) << "\ntitle=" << Text(r.pszAppTitle) << "\npractitioner=" << Text(r.pszPractitioner)
         << "\nservers=";
    for (const std::string& server : r.lstServerUrls) file << server << ";";
    file << "\n";
    const char* result = std::getenv("FAKE_MODULE_RESULT");
    return result == nullptr ? 1 : std::atoi(result);
}

}  // namespace

extern "C" KT_EXPORT int MainUpdateFnc(KTInstanceHandle, int nCmdShow, tagKTUpdateStruct record) {
    std::cout << "the module speaks on standard output" << std::endl;
    return Record("main", nCmdShow, record, false);
}

extern "C" KT_EXPORT int CriticalUpdate(KTInstanceHandle, tagKTUpdateStruct record, bool bFlag) { return Record("critical", -1, record, bFlag); }

extern "C" KT_EXPORT int KTSelectPresenter(const char* ui, const char* transcriptPath) {
    std::ofstream(Text(std::getenv("FAKE_MODULE_OUT")), std::ios::app) << "presenter=" << Text(ui) << "|" << Text(transcriptPath) << "\n";
    return std::string(Text(ui)) == "script:refused" ? 0 : 1;
}
