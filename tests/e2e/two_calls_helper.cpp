// A host that calls the module's entry points several times in one process, as a host that stays open calls
// them again: each call's options are kthost's, the calls separated by "--". The module is loaded once and
// answers from one script; prints "result: N" after every call.
#include <dlfcn.h>

#include <iostream>
#include <string>
#include <vector>

#include "kthost_options.h"

int main(int argc, char** argv) {
    void* module = argc >= 4 ? dlopen(argv[1], RTLD_NOW | RTLD_LOCAL) : nullptr;
    const auto mainUpdate = module ? reinterpret_cast<int (*)(KTInstanceHandle, int, tagKTUpdateStruct)>(
                                         dlsym(module, "MainUpdateFnc")) : nullptr;
    const auto criticalUpdate = module ? reinterpret_cast<int (*)(KTInstanceHandle, tagKTUpdateStruct, bool)>(
                                             dlsym(module, "CriticalUpdate")) : nullptr;
    const auto selectPresenter = module ? reinterpret_cast<int (*)(const char*, const char*)>(
                                              dlsym(module, "KTSelectPresenter")) : nullptr;
    if (!mainUpdate || !criticalUpdate || !selectPresenter || selectPresenter(argv[2], argv[3]) == 0) {
        std::cerr << "usage: two_calls_helper MODULE script:FILE TRANSCRIPT [-- kthost options]...\n";
        return 2;
    }
    std::vector<std::vector<std::string>> calls;
    for (int i = 4; i < argc; ++i) {
        if (std::string(argv[i]) == "--") calls.emplace_back();
        else if (!calls.empty()) calls.back().push_back(argv[i]);
    }
    for (const std::vector<std::string>& args : calls) {
        const kthost::ParseResult parsed = kthost::ParseOptions(args);
        if (!parsed.options) return std::cerr << parsed.error << '\n', 2;
        tagKTUpdateStruct record;
        kthost::FillRecord(*parsed.options, record);
        std::cout << "result: "
                  << (parsed.options->critical ? criticalUpdate(module, record, parsed.options->flag) : mainUpdate(module, 1, record))
                  << std::endl;
    }
    return 0;
}
