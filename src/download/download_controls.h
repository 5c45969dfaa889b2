// The controls of the download dialog (resource 130), shared by the dialog
// and the code that reports progress in it.
#pragma once

namespace kt::download {

inline constexpr int kDownloadDialogId = 130;
// Status line 1: the checking text, later the remaining time.
inline constexpr int kStatusLine1 = 1028;
// Status line 2: the waiting text, later the speed.
inline constexpr int kStatusLine2 = 1029;
// "Téléchargement :" while packages arrive.
inline constexpr int kFileLabel = 1060;
// Bytes received of the current file.
inline constexpr int kSizeLabel = 1023;
inline constexpr int kFileBar = 1022;
// "Progression :" while packages arrive.
inline constexpr int kOverallLabel = 1035;
inline constexpr int kOverallBar = 1024;
// The operation under way.
inline constexpr int kOperationStatus = 1061;
inline constexpr int kCancelButton = 2;
inline constexpr int kDownloadBackground = 691;

}  // namespace kt::download
