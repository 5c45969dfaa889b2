#include "config/workstation_guid.h"

#include <cstdio>

#include "strings/string_table.h"
#include "hostsuite/message_box.h"
#include "platform/random_bytes.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

bool IsZero(const Guid& guid) {
    if (guid.data1 != 0 || guid.data2 != 0 || guid.data3 != 0) return false;
    for (std::uint8_t byte : guid.data4) {
        if (byte != 0) return false;
    }
    return true;
}

}  // namespace

Guid SystemGuid() {
    Guid guid;
    if (!platform::FillRandomBytes(&guid.data1, sizeof guid.data1) ||
        !platform::FillRandomBytes(&guid.data2, sizeof guid.data2) ||
        !platform::FillRandomBytes(&guid.data3, sizeof guid.data3) ||
        !platform::FillRandomBytes(guid.data4, sizeof guid.data4)) {
        return Guid{};
    }
    guid.data3 = static_cast<std::uint16_t>((guid.data3 & 0x0FFF) | 0x4000);
    guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3F) | 0x80);
    return guid;
}

std::string FormatGuid(const Guid& guid) {
    char text[48];
    // The text of string 1001, written here as a literal so that the compiler
    // checks it against the arguments.
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(guid.data1),
                  static_cast<unsigned>(guid.data2), static_cast<unsigned>(guid.data3),
                  static_cast<unsigned>(guid.data4[0]), static_cast<unsigned>(guid.data4[1]),
                  static_cast<unsigned>(guid.data4[2]), static_cast<unsigned>(guid.data4[3]),
                  static_cast<unsigned>(guid.data4[4]), static_cast<unsigned>(guid.data4[5]),
                  static_cast<unsigned>(guid.data4[6]), static_cast<unsigned>(guid.data4[7]));
    return text;
}

int GetFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size) {
    return GetFormattedGuid(ctx, out, size, SystemGuid);
}

int GetFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size, const GuidSource& source) {
    const Guid guid = source();
    if (IsZero(guid)) {
        hostsuite::KtMessageBox(ctx.ownerWindow, strings::LoadString(1000), ctx.appTitle, hostsuite::kStyleErrorOk, 1,
                                1000);
        KT_LOG(Error) << "Can't generate new GUID";
        return 0;
    }
    const std::string text = FormatGuid(guid);
    if (out != nullptr) *out = text.substr(0, size);
    KT_LOG(Info) << "New GUID generated : " << text;
    return 1;
}

}  // namespace kt::config
