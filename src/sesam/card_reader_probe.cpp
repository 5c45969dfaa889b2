#include "sesam/card_reader_probe.h"

#include <cstdint>
#include <filesystem>

#include "strings/string_table.h"
#include "hostsuite/message_box.h"
#include "sesam/card_reader_abi.h"
#include "sesam/pack_records.h"
#include "sesam/sesam_ini.h"
#include "log/activity_log.h"

namespace kt::sesam {
namespace {

constexpr int kReaderOffMessage = 1051;
constexpr int kSoftwareReportMode = 1;
constexpr int kComponentsReportMode = 2;
constexpr std::size_t kLibraryTextSize = 260;

bool Succeeded(std::uint32_t status) { return (status & 0xFFFF) == 0; }

class Probe {
public:
    Probe(run::RunContext& ctx, PackCheckSession& session)
        : state_(ctx.sesamPack), session_(session), library_(*session.cardReader) {}

    bool Run() {
        report_ = library_.FunctionAs<KtbttReportFn>(KTBTT_REPORT_NAME);
        if (report_ == nullptr) KT_LOG(Warning) << "Card-reader function " << KTBTT_REPORT_NAME << " missing";
        return QuerySoftware() && QueryComponents() && QueryModules();
    }

private:
    template <typename F>
    F Find(const char* name) {
        F function = library_.FunctionAs<F>(name);
        if (function == nullptr) KT_LOG(Error) << "Card-reader function " << name << " missing";
        return function;
    }

    // The library shows the user what a failed status means.
    void Report(const char* name, std::uint32_t status, int mode) {
        KT_LOG(Error) << "Card-reader function " << name << " failed with status " << status;
        if (report_ != nullptr) report_(session_.owner, status, 0, 0, mode);
    }

    bool Usable(bool readable, const std::string& problem) {
        if (!readable) KT_LOG(Error) << "Card-reader answer rejected : " << problem;
        return readable;
    }

    bool QuerySoftware() {
        auto query = Find<KtbttSoftwareFn>(KTBTT_SOFTWARE_NAME);
        if (query == nullptr) return false;
        state_.ClearSoftwareRecord();
        const std::uint32_t status = query(session_.owner, state_.SoftwareRecord());
        if (!Succeeded(status)) {
            Report(KTBTT_SOFTWARE_NAME, status, kSoftwareReportMode);
            return false;
        }
        std::string problem;
        return Usable(InstalledSrtVersion(state_, &problem).has_value(), problem);
    }

    bool QueryComponents() {
        auto query = Find<KtbttComponentsFn>(KTBTT_COMPONENTS_NAME);
        if (query == nullptr) return false;
        state_.ClearComponents();
        const std::uint32_t status =
            query(session_.owner, state_.ComponentList(), state_.ComponentTable(), run::kComponentTableSize);
        if (!Succeeded(status)) {
            Report(KTBTT_COMPONENTS_NAME, status, kComponentsReportMode);
            return false;
        }
        std::string problem;
        return Usable(InstalledComponents(state_, &problem).has_value(), problem);
    }

    bool QueryModules() {
        auto query = Find<KtbttModulesFn>(KTBTT_MODULES_NAME);
        if (query == nullptr) return false;
        for (;;) {
            state_.ClearModuleArea();
            char text[kLibraryTextSize] = {};
            const std::uint32_t status = query(session_.owner, state_.ModuleArea(), text, sizeof text);
            if (Succeeded(status)) {
                std::string problem;
                return Usable(InstalledModules(state_, &problem).has_value(), problem);
            }
            KT_LOG(Warning) << "Card-reader function " << KTBTT_MODULES_NAME << " failed with status " << status;
            const int answer = hostsuite::KtMessageBox(session_.owner, strings::LoadString(kReaderOffMessage), "Erreur",
                                                       hostsuite::kStyleWarningRetryCancel, 1, kReaderOffMessage);
            if (answer != hostsuite::kIdRetry) return false;
        }
    }

    run::SesamPackState& state_;
    PackCheckSession& session_;
    const platform::SharedLibrary& library_;
    KtbttReportFn report_ = nullptr;
};

bool LoadCardReader(const run::RunContext& ctx, PackCheckSession& session) {
    if (session.cardReader) return true;
    const std::string path = (std::filesystem::path(ctx.appDir) / KTBTT_LIBRARY_NAME).string();
    std::string error;
    session.cardReader = platform::SharedLibrary::Load(path, error);
    if (!session.cardReader) KT_LOG(Error) << "Can't load card-reader library " << path << " : " << error;
    return session.cardReader != nullptr;
}

}  // namespace

int ProbeCardReader(run::RunContext& ctx, PackCheckSession& session) {
    session.probeDone = true;
    session.probeSucceeded = false;
    if (!IsSesamPackInstalled()) return 0;
    if (!LoadCardReader(ctx, session)) return 0;
    session.probeSucceeded = Probe(ctx, session).Run();
    KT_LOG(Info) << "Card-reader probe " << (session.probeSucceeded ? "succeeded" : "failed");
    return session.probeSucceeded ? 1 : 0;
}

}  // namespace kt::sesam
