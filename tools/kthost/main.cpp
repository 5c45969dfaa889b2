// kthost: plays the host application. Loads the module, builds the record
// from the command line, calls one entry point and prints its result.
#include <dlfcn.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "kthost_help.h"
#include "kthost_options.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kModuleNotLoadable = 3;

using MainUpdateFn = int (*)(KTInstanceHandle, int, tagKTUpdateStruct);
using CriticalUpdateFn = int (*)(KTInstanceHandle, tagKTUpdateStruct, bool);
using SelectPresenterFn = int (*)(const char*, const char*);

constexpr const char* kModuleFile = "libktupdatedll.so";

// The library built beside kthost in the build tree, else the one installed
// in the module's private folder.
std::string DefaultModulePath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return kModuleFile;
    const std::filesystem::path beside = self.parent_path() / kModuleFile;
    if (std::filesystem::exists(beside, error)) return beside.string();
    return (self.parent_path() / KT_INSTALLED_MODULE_DIR / kModuleFile).lexically_normal().string();
}

struct Module {
    void* handle = nullptr;
    MainUpdateFn mainUpdate = nullptr;
    CriticalUpdateFn criticalUpdate = nullptr;
    SelectPresenterFn selectPresenter = nullptr;
};

bool Load(const std::string& path, Module& module) {
    module.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module.handle == nullptr) {
        std::cerr << "kthost: cannot load " << path << ": " << dlerror() << '\n';
        return false;
    }
    module.mainUpdate = reinterpret_cast<MainUpdateFn>(dlsym(module.handle, "MainUpdateFnc"));
    module.criticalUpdate = reinterpret_cast<CriticalUpdateFn>(dlsym(module.handle, "CriticalUpdate"));
    module.selectPresenter = reinterpret_cast<SelectPresenterFn>(dlsym(module.handle, "KTSelectPresenter"));
    if (module.mainUpdate == nullptr || module.criticalUpdate == nullptr || module.selectPresenter == nullptr) {
        std::cerr << "kthost: " << path << " lacks MainUpdateFnc, CriticalUpdate or KTSelectPresenter\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const kthost::ParseResult parsed = kthost::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "kthost: " << parsed.error << '\n' << kthost::Usage();
        return kUsageError;
    }
    const kthost::Options& options = *parsed.options;
    if (options.help || options.version) {
        std::cout << (options.help ? kthost::HelpText() : kthost::VersionText());
        return 0;
    }

    Module module;
    if (!Load(options.module.empty() ? DefaultModulePath() : options.module, module)) return kModuleNotLoadable;

    if (options.ui || options.transcript) {
        const std::string ui = options.ui.value_or("terminal");
        const std::string transcript = options.transcript.value_or("");
        if (module.selectPresenter(ui.c_str(), transcript.empty() ? nullptr : transcript.c_str()) == 0) {
            std::cerr << "kthost: the module refused --ui " << ui
                      << (transcript.empty() ? "" : " --transcript " + transcript) << '\n';
            return kUsageError;
        }
    }

    tagKTUpdateStruct record;
    kthost::FillRecord(options, record);
    const int result = options.critical ? module.criticalUpdate(module.handle, record, options.flag)
                                        : module.mainUpdate(module.handle, options.show, record);
    std::cout << "result: " << result << std::endl;
    return 0;
}
