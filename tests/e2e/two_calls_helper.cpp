// A host that calls the module's entry points several times in one process,
// as a host that stays open calls them again: each call's options are
// kthost's, the calls separated by "--". The module is loaded once and
// answers from one script; prints "result: N" after every call.
#include <dlfcn.h>

#include <iostream>
#include <string>
#include <vector>

#include "kthost_options.h"

using MainUpdateFn = int (*)(KTInstanceHandle, int, tagKTUpdateStruct);
using CriticalUpdateFn = int (*)(KTInstanceHandle, tagKTUpdateStruct, bool);
using SelectPresenterFn = int (*)(const char*, const char*);

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: two_calls_helper MODULE script:FILE TRANSCRIPT [-- kthost options]...\n";
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return 3;
    const auto mainUpdate = reinterpret_cast<MainUpdateFn>(dlsym(module, "MainUpdateFnc"));
    const auto criticalUpdate = reinterpret_cast<CriticalUpdateFn>(dlsym(module, "CriticalUpdate"));
    const auto selectPresenter = reinterpret_cast<SelectPresenterFn>(dlsym(module, "KTSelectPresenter"));
    if (!mainUpdate || !criticalUpdate || !selectPresenter || selectPresenter(argv[2], argv[3]) == 0) return 3;
    std::vector<std::vector<std::string>> calls;
    for (int i = 4; i < argc; ++i) {
        if (std::string(argv[i]) == "--") {
            calls.emplace_back();
        } else if (!calls.empty()) {
            calls.back().push_back(argv[i]);
        }
    }
    for (const std::vector<std::string>& args : calls) {
        const kthost::ParseResult parsed = kthost::ParseOptions(args);
        if (!parsed.options) {
            std::cerr << parsed.error << '\n';
            return 2;
        }
        tagKTUpdateStruct record;
        kthost::FillRecord(*parsed.options, record);
        const int result = parsed.options->critical ? criticalUpdate(module, record, parsed.options->flag)
                                                    : mainUpdate(module, 1, record);
        std::cout << "result: " << result << std::endl;
    }
    return 0;
}
