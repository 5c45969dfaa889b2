// The functions the host finds by name in the shared library. Nothing thrown
// inside the module may reach the host.
#include <ktupdate.h>

#include <exception>

#include "hostsuite/presenter_selection.h"
#include "log/activity_log.h"
#include "update/ktupdate_app.h"

namespace {

// Constructed when the library is loaded, destroyed when it is unloaded.
kt::update::CKTupdateDLLApp theApp;

// The lines a run buffered are in the file when it returns to the host.
struct FlushLogAtEnd {
    ~FlushLogAtEnd() { kt::log::FlushActivityLog(); }
};

}  // namespace

extern "C" KT_EXPORT int MainUpdateFnc(KTInstanceHandle hInstance, int nCmdShow, tagKTUpdateStruct record) {
    const FlushLogAtEnd flush;
    try {
        return theApp.MainUpdateFnc(hInstance, nCmdShow, record);
    } catch (const std::exception& e) {
        KT_LOG(Error) << "Main update function failed : " << e.what();
    } catch (...) {
        KT_LOG(Error) << "Main update function failed";
    }
    theApp.ExitInstance();
    return 1;
}

extern "C" KT_EXPORT int CriticalUpdate(KTInstanceHandle hInstance, tagKTUpdateStruct record, bool bFlag) {
    const FlushLogAtEnd flush;
    try {
        return theApp.CriticalUpdate(hInstance, record, bFlag);
    } catch (const std::exception& e) {
        KT_LOG(Error) << "Critical update function failed : " << e.what();
    } catch (...) {
        KT_LOG(Error) << "Critical update function failed";
    }
    theApp.ExitInstance();
    return 0;
}

extern "C" KT_EXPORT int KTSelectPresenter(const char* ui, const char* transcriptPath) {
    try {
        return kt::hostsuite::SelectPresenter(ui, transcriptPath);
    } catch (...) {
        return 0;
    }
}
