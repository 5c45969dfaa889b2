#include "update/ktupdate_app.h"

#include <cstring>

#include "dialogs/failure_warning.h"
#include "strings/string_table.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "update/record_validation.h"

namespace kt::update {
namespace {

constexpr int kNoUpdateFolder = 1031;

std::string FixedText(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

std::string TextOr(const char* text, const char* fallback) { return text != nullptr ? text : fallback; }

}  // namespace

CKTupdateDLLApp::CKTupdateDLLApp() {
    log::ConfigureActivityLog();
    KT_LOG(Info) << "  ---   " << log::kLogName;
    ctx_.showFailureWarning = [this] { dialogs::ShowFailureWarning(ctx_.ownerWindow, ctx_.appTitle); };
    connection_ = std::make_unique<connect::InternetConnection>(ctx_);
    // The load-time initialisation: nothing is requested yet.
    (void)InitInstance();
}

CKTupdateDLLApp::~CKTupdateDLLApp() {
    if (!exited_) ExitInstance();
}

int CKTupdateDLLApp::MainUpdateFnc(KTInstanceHandle, int nCmdShow, const tagKTUpdateStruct& record) {
    KT_LOG(Info) << "Main update function starts";
    ctx_.ownerWindow = record.hWndParent;
    if (IsRunBlocked(record.hWndParent, record.szUpdateDir, record.bAtStart, record.bTeletrans, record.szAppDir)) {
        return 1;
    }
    ctx_.bCritical = 0;
    ctx_.bStopLoop = 0;
    ctx_.bRunRequested = 1;
    scheduler_.StartCall();
    ctx_.bAtStart = record.bAtStart;
    ctx_.bSesamInstall = record.bSesamInstall;
    ctx_.showCommand = nCmdShow;
    if (!AcceptRecord(record, record.hWndParent ? record.hWndParent : hostsuite::DesktopWindow())) {
        // The handles taken by the pre-run check would otherwise turn away
        // every later call of this process.
        CloseRunHandles();
        return 1;
    }
    CopyRecord(record);
    exited_ = false;
    if (ctx_.updateDir.empty()) {
        // The shared files would otherwise be built from the root folder.
        KT_LOG(Error) << "Can't create UpdateInfo directory";
        hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(kNoUpdateFolder), ctx_.appTitle,
                                hostsuite::kStyleErrorOk, 1, kNoUpdateFolder);
        CloseRunHandles();
        exited_ = true;
        return 1;
    }
    (void)InitInstance();
    if (!ctx_.bTeletrans) ExitInstance();
    else CloseRunHandles();
    return 1;
}

int CKTupdateDLLApp::CriticalUpdate(KTInstanceHandle, const tagKTUpdateStruct& record, bool) {
    KT_LOG(Info) << "Critical update function starts";
    ctx_.ownerWindow = hostsuite::DesktopWindow();
    if (!AcceptRecord(record, ctx_.ownerWindow)) return 1;
    CopyRecord(record);
    ctx_.ownerWindow = hostsuite::DesktopWindow();
    ctx_.bAtStart = 0;
    ctx_.bSesamInstall = 0;
    ctx_.bCritical = 1;
    ctx_.bRunRequested = 1;
    return 0;
}

bool CKTupdateDLLApp::AcceptRecord(const tagKTUpdateStruct& record, hostsuite::Window owner) {
    const int problem = FindRecordProblem(record);
    if (problem == 0) {
        ctx_.version = RecordVersion(record);
        ctx_.compatVersion = TextOr(record.pszCompatVersion, "");
        ctx_.versionLabel = TextOr(record.pszVersionLabel, "");
        return true;
    }
    hostsuite::KtMessageBox(owner, strings::LoadString(problem), "Erreur", hostsuite::kStyleErrorOk, 1, problem);
    return false;
}

void CKTupdateDLLApp::CopyRecord(const tagKTUpdateStruct& record) {
    ctx_.updateDir = FixedText(record.szUpdateDir, sizeof record.szUpdateDir);
    ctx_.updateDirSlash = ctx_.updateDir;
    if (ctx_.updateDirSlash.empty() || ctx_.updateDirSlash.back() != '/') ctx_.updateDirSlash += '/';
    ctx_.dataDir = FixedText(record.szDataDir, sizeof record.szDataDir);
    ctx_.appDir = FixedText(record.szAppDir, sizeof record.szAppDir);
    ctx_.appTitle = TextOr(record.pszAppTitle, "l'Application");
    ctx_.serverUrls = record.lstServerUrls;
    ctx_.reservedList = record.lstReserved;
    ctx_.reservedString = record.strReserved;
    ctx_.postalCode = FixedText(record.szPostalCode, sizeof record.szPostalCode);
    ctx_.bTeletrans = record.bTeletrans;
    ctx_.bInstOnly = record.bInstOnly;
    ctx_.hostProcessId = record.dwProcessId;
}

}  // namespace kt::update
