// Public interface of the update module: the host's record and the two entry points.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#define KT_EXPORT __attribute__((visibility("default")))

// Opaque handles of the host: its window and the module's instance.
typedef void* KTWindowHandle;
typedef void* KTInstanceHandle;

// The record the host fills and passes by value. The field order, the fixed
// text sizes and the list and string members are the host's; only a host
// built with the same standard library can share it with the module.
struct tagKTUpdateStruct {
    std::uint32_t dwProcessId = 0;
    KTWindowHandle hWndParent = nullptr;
    int bAtStart = 0;
    int bSesamInstall = 0;
    char szUpdateDir[260] = {};
    char szDataDir[260] = {};
    char szAppDir[260] = {};
    const char* pszVersionLabel = nullptr;
    const char* pszCompatVersion = nullptr;
    const char* pszVerMajor = nullptr;
    const char* pszVerMinor = nullptr;
    const char* pszVerBuild = nullptr;
    const char* pszAppTitle = nullptr;
    const char* pszPractitioner = nullptr;
    std::list<std::string> lstServerUrls;
    std::list<std::string> lstReserved;
    std::string strReserved;
    const char* pszReserved = nullptr;
    int bTeletrans = 0;
    int bInstOnly = 0;
    std::uint16_t wReserved = 0;
    char szReserved1[125] = {};
    char szPostalCode[10] = {};
    char szReserved2[50] = {};
    char szReserved3[150] = {};
    char szReserved4[30] = {};
    char szReserved5[33] = {};
};

extern "C" {

// Ordinary update run. Always returns 1.
KT_EXPORT int MainUpdateFnc(KTInstanceHandle hInstance, int nCmdShow, tagKTUpdateStruct record);

// Critical catch-up run. Returns 0 when the host may go on, 1 when it may not.
KT_EXPORT int CriticalUpdate(KTInstanceHandle hInstance, tagKTUpdateStruct record, bool bFlag);

// Chooses how the module shows its messages and dialogs: "terminal", or
// "script:FILE" to answer from FILE. With a transcript path every item shown
// is also appended to that file. Returns 1 on success, 0 when the choice is
// unknown or its file cannot be read. A host that never calls it gets the
// terminal.
KT_EXPORT int KTSelectPresenter(const char* ui, const char* transcriptPath);
}
