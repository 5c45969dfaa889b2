#include "support/update_server.h"

#include "support/temp_tree.h"

#ifndef KT_FTPACS_WRITER
#error "KT_FTPACS_WRITER must name the ftpacs_writer tool"
#endif

namespace kt::test {

UpdateServer::UpdateServer() : UpdateServer(Options{}) {}

UpdateServer::UpdateServer(Options o) : protocol_(o.protocol), root_(scratch_.Path() / "root") {
    std::string chain;
    for (const std::string& version : o.chain) chain += (chain.empty() ? "" : ",") + version;
    std::vector<std::string> args{"--root", root_.string(), "--log", (scratch_.Path() / "ftp.log").string(),
                                  "--ftpacs-writer", KT_FTPACS_WRITER, "--chain", chain, "--postal-code", o.postalCode,
                                  "--package-size", std::to_string(o.packageSize), "--pack-size", std::to_string(o.packSize),
                                  "--throttle", std::to_string(o.throttle), "--protocol", o.protocol};
    const std::pair<const char*, const PathBytes*> misbehaviours[] = {
        {"--announce", &o.announce}, {"--stall", &o.stall}, {"--cut", &o.cut}, {"--reset", &o.reset}, {"--reply", &o.replies}};
    for (const auto& [option, values] : misbehaviours) {
        for (const auto& [path, bytes] : *values) args.insert(args.end(), {option, path + "=" + std::to_string(bytes)});
    }
    for (const std::string& path : o.endless) args.insert(args.end(), {"--endless", path});
    if (!o.certificate.empty()) args.insert(args.end(), {"--cert", o.certificate.string(), "--key", o.key.string()});
    const std::pair<bool, const char*> flags[] = {
        {o.refuseRest, "--refuse-rest"}, {o.ignoreRest, "--ignore-rest"}, {!o.digests, "--no-digests"}, {!o.generate, "--no-generate"}};
    for (const auto& [on, flag] : flags) {
        if (on) args.push_back(flag);
    }
    process_ = std::make_unique<ServerProcess>(std::filesystem::path(KT_TEST_SUPPORT_DIR) / "update_server.py", args);
}

std::string UpdateServer::Url(const std::string& path) const {
    return protocol_ + "://127.0.0.1:" + std::to_string(Port()) + path;
}

std::string UpdateServer::BaseUrl(const std::string& folder) const { return Url("/" + folder + "/"); }

std::string UpdateServer::Log() const { return ReadFile(scratch_.Path() / "ftp.log"); }

std::string UpdateServer::StepPath(const std::string& oldVersion, const std::string& newVersion,
                                   const std::string& folder) {
    return "/" + folder + "/" + newVersion + "/talvo_" + oldVersion + "_" + newVersion + ".exe";
}

}  // namespace kt::test
