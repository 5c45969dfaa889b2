// Names of the objects that other processes and other calls of the module
// look for; they are shared with earlier versions and must not change.
#pragma once

namespace kt::run {

inline constexpr const char* kRunMutexName = "KTUpdateDLL_MainUpdateFnc";
inline constexpr const char* kUpdaterEventName = "UpdaterEvent";
inline constexpr const char* kUpdaterTimerName = "UpdaterWaitableTimer";
inline constexpr const char* kDownloadDialogClass = "ZuvAduUpdateDownloadDlg";

}  // namespace kt::run
