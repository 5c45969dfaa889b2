// The controls of the main update dialog, by resource identifier.
#pragma once

namespace kt::dialogs::main_dialog {

// Push buttons: "Commencer" and "Fermer" are the dialog's OK and Cancel (1, 2).
inline constexpr int kOptionsButton = 1007;
inline constexpr int kHistoryButton = 1020;

// Where the updates come from.
inline constexpr int kInternet = 1000;
inline constexpr int kLocalNetwork = 1001;
inline constexpr int kDirectory = 1003;
inline constexpr int kDirectoryEdit = 1004;
inline constexpr int kBrowseButton = 1005;
inline constexpr int kSourceRadios = 1;

// This workstation downloads for the other workstations of the network.
inline constexpr int kNetworkCheck = 1006;

// Kept hidden and disabled: they take no part in the dialog.
inline constexpr int kCcamShareCheck = 1040;
inline constexpr int kReadOnlyEdit = 1009;
inline constexpr int kSesamReinstallCheck = 1043;
inline constexpr int kLocalVersionToggle = 1045;

inline constexpr int kOptionsGroup = 1098;
inline constexpr int kPicturePanel = 1046;

}  // namespace kt::dialogs::main_dialog
