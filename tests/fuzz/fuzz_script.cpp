// Scripts of answers given to kthost: parsed, then asked for each kind of item.
#include "fuzz_support.h"
#include "hostsuite/script_parser.h"

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    auto parsed = hostsuite::ParseScript(std::string(input));
    auto* script = std::get_if<hostsuite::Script>(&parsed);
    if (script == nullptr) {
        if (std::get<hostsuite::ScriptError>(parsed).line <= 0) fuzz::Fail("a text error without its line");
        return;
    }
    // Every line answers at most once unless reusable: as many takes as lines end the script.
    for (std::size_t i = 0; i <= script->Lines().size(); ++i) {
        script->TakeMessage(1024, "Mise à jour");
        script->TakeButtons(1030, "Choix");
        script->TakeCredentials();
        script->TakeDialog(1);
    }
}
