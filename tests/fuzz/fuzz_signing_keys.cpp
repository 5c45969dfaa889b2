// catalogue_keys.pem as found in the application folder: a file refused leaves no key trusted.
#include "fuzz_support.h"
#include "platform/signing_keys.h"

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    platform::SigningKeys keys;
    const bool loaded = keys.Load(input);
    if (!loaded && keys.Count() != 0) fuzz::Fail("keys kept from a refused file");
    // A signature of the wrong length never verifies.
    if (keys.Verifies("versions.xml", std::string(63, '\0'))) fuzz::Fail("a short signature verified");
}
