// Chooses the presenter a host asked for by name.
#pragma once

namespace kt::hostsuite {

// "terminal", "script:FILE" to answer from FILE, "gtk" for real windows (the
// desktop plugin), or "auto" for real windows when a display is configured
// and the plugin opens it, the terminal otherwise; with a transcript path
// every item shown is also appended to that file. Installs the presenter and
// returns 1; returns 0 (and keeps the presenter in use) when the choice is
// unknown, the script cannot be read or understood, or the transcript cannot
// be opened.
int SelectPresenter(const char* ui, const char* transcriptPath);

}  // namespace kt::hostsuite
