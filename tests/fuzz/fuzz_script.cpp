// Scripts of answers given to kthost: parsed, then asked for each kind of item.
#include "fuzz_support.h"
#include "hostsuite/script_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kt;
    auto parsed = hostsuite::ParseScript(std::string(fuzz::AsText(data, size)));
    auto* script = std::get_if<hostsuite::Script>(&parsed);
    if (script == nullptr) {
        if (std::get<hostsuite::ScriptError>(parsed).line <= 0) fuzz::Fail("a text error without its line");
        return 0;
    }
    // Every line answers at most once unless reusable: as many takes as lines end the script.
    for (std::size_t i = 0; i <= script->Lines().size(); ++i) {
        script->TakeMessage(1024, "Mise à jour");
        script->TakeButtons(1030, "Choix");
        script->TakeCredentials();
        script->TakeDialog(1);
    }
    return 0;
}
