// A host of the update module: loads it from the path it was built with, as
// a plugin, and chooses how it shows itself.
#include <dlfcn.h>

#include <cstdio>

#include <ktupdate.h>

int main() {
    void* module = dlopen(KT_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", KT_MODULE, dlerror());
        return 1;
    }
    const auto select = reinterpret_cast<decltype(&KTSelectPresenter)>(dlsym(module, "KTSelectPresenter"));
    if (select == nullptr) {
        std::fprintf(stderr, "%s lacks KTSelectPresenter\n", KT_MODULE);
        return 1;
    }
    // A known presenter is taken, an unknown one refused.
    const int known = select("terminal", nullptr);
    const int unknown = select("no-such-presenter", nullptr);
    std::printf("KTSelectPresenter: terminal %d, unknown %d\n", known, unknown);
    return known == 1 && unknown == 0 ? 0 : 1;
}
