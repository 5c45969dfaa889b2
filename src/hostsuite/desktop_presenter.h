// The desktop presenter lives in a plugin beside the module, loaded only when
// a host asks for real windows, so that the module itself never needs GTK.
// Both are built together by the same compiler and standard library: the
// plugin is handed C++ objects and returns one.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "hostsuite/presenter.h"
#include "hostsuite/script.h"
#include "hostsuite/transcript_writer.h"

namespace kt::hostsuite {

inline constexpr const char* kDesktopPluginName = "libktupdate_gtk.so";
inline constexpr const char* kDesktopPresenterSymbol = "KtMakeDesktopPresenter";
// Bumped whenever DesktopPresenterArgs changes, so that a stale plugin is refused.
inline constexpr int kDesktopPluginVersion = 1;

// The environment that drives the windows from a script (tests, demos), and
// the folder where each dialog is saved as a PNG picture.
inline constexpr const char* kDesktopScriptVariable = "KT_GTK_SCRIPT";
inline constexpr const char* kScreenshotVariable = "KT_GTK_SCREENSHOTS";

struct DesktopPresenterArgs {
    int version = kDesktopPluginVersion;
    // The module's activity-log storage (an el::base::type::StoragePointer),
    // so that the plugin logs into the same file.
    const void* logStorage = nullptr;
    std::shared_ptr<TranscriptWriter> transcript;
    // When set, its answers are played on the windows instead of waiting for a person.
    std::optional<Script> script;
    std::string screenshotFolder;
};

// The plugin's entry point: a new presenter, or null when no display can be opened.
using MakeDesktopPresenterFn = Presenter* (*)(const DesktopPresenterArgs* args);

// The plugin's path: beside the module's own file.
std::string DesktopPluginPath();

// Whether the environment names a display to open windows on.
bool DisplayConfigured();

// Loads the plugin and makes its presenter; null (with `error` said) when the
// plugin is missing, stale, or cannot open the display. The plugin stays loaded.
std::shared_ptr<Presenter> LoadDesktopPresenter(const std::string& pluginPath, DesktopPresenterArgs args,
                                                std::string& error);

}  // namespace kt::hostsuite
