// A host of the update module: loads it as a plugin from the path it was
// built with; a known presenter is taken, an unknown one refused.
#include <dlfcn.h>

#include <cstdio>

#include <ktupdate.h>

int main() {
    void* module = dlopen(KT_MODULE, RTLD_NOW | RTLD_LOCAL);
    const auto select = module ? reinterpret_cast<decltype(&KTSelectPresenter)>(dlsym(module, "KTSelectPresenter")) : nullptr;
    if (select == nullptr) return std::fprintf(stderr, "no KTSelectPresenter from %s: %s\n", KT_MODULE, dlerror()), 1;
    const int known = select("terminal", nullptr);
    const int unknown = select("no-such-presenter", nullptr);
    std::printf("KTSelectPresenter: terminal %d, unknown %d\n", known, unknown);
    return known == 1 && unknown == 0 ? 0 : 1;
}
