// The controls of the options dialog, by resource identifier.
#pragma once

#include <string>

namespace kt::dialogs::options {

// Push buttons: "Confirmer" and "Annuler" are the dialog's OK and Cancel (1, 2).

// How the update server is reached.
inline constexpr int kConnectionGroup = 1101;
inline constexpr int kSystemSettings = 1000;
inline constexpr int kDirect = 1001;
inline constexpr int kNamedProxy = 1003;

// The named proxy.
inline constexpr int kProxyGroup = 1100;
inline constexpr int kServerLabel = 1049;
inline constexpr int kServerEdit = 1008;
inline constexpr int kPortLabel = 1050;
inline constexpr int kPortEdit = 1011;
inline constexpr int kAuthCheck = 1013;
inline constexpr int kLoginLabel = 1051;
inline constexpr int kLoginEdit = 1009;
inline constexpr int kPasswordLabel = 1052;
inline constexpr int kPasswordEdit = 1010;

// How the workstation reaches the Internet.
inline constexpr int kLinkGroup = 1048;
inline constexpr int kLocalNetwork = 1027;
inline constexpr int kDialup = 1026;
inline constexpr int kDialupList = 1025;

// When updates run.
inline constexpr int kScheduleGroup = 1098;
inline constexpr int kUpdatesOff = 1014;
inline constexpr int kAtStart = 1015;
inline constexpr int kScheduled = 1016;
inline constexpr int kAtTeletrans = 1017;
inline constexpr int kFrequencyLabel = 1053;
inline constexpr int kFrequencyList = 1047;
inline constexpr int kDayLabel = 1054;
inline constexpr int kDayList = 1018;
inline constexpr int kTimeLabel = 1055;
inline constexpr int kTimeList = 1019;

// The download speed limit.
inline constexpr int kSpeedLabel = 1056;
inline constexpr int kSpeedEdit = 1012;
inline constexpr int kSpeedUnit = 1057;
inline constexpr int kSpeedHint = 1058;

// Radio groups.
inline constexpr int kServerRadios = 1;
inline constexpr int kLinkRadios = 2;
inline constexpr int kScheduleRadios = 3;

// Items of the frequency list, in list order, with the value each stores.
inline constexpr int kDaily = 0;
inline constexpr int kWeekly = 1;
inline constexpr int kMonthly = 2;

// The day the month list selects when monthly updates are chosen.
inline constexpr int kDefaultMonthDay = 28;

// "HH:00" or "HH:30", as the time list writes its half hours (appended piece
// by piece: a chain of + trips a false -Wrestrict of GCC 12 at -O3).
inline std::string HalfHourText(int hour, bool half) {
    std::string text(hour < 10 ? "0" : "");
    text += std::to_string(hour);
    text += half ? ":30" : ":00";
    return text;
}

}  // namespace kt::dialogs::options
