#include "support/update_server.h"

#include "support/temp_tree.h"

#ifndef KT_FTPACS_WRITER
#error "KT_FTPACS_WRITER must name the ftpacs_writer tool"
#endif

namespace kt::test {
namespace {

void AddPathValues(std::vector<std::string>& args, const char* option,
                   const std::map<std::string, std::uint64_t>& values) {
    for (const auto& [path, bytes] : values) args.insert(args.end(), {option, path + "=" + std::to_string(bytes)});
}

}  // namespace

UpdateServer::UpdateServer() : UpdateServer(Options{}) {}

UpdateServer::UpdateServer(Options options) : protocol_(options.protocol), root_(scratch_.Path() / "root") {
    std::string chain;
    for (const std::string& version : options.chain) chain += (chain.empty() ? "" : ",") + version;
    std::vector<std::string> args{"--root", root_.string(), "--log", (scratch_.Path() / "ftp.log").string(),
                                  "--ftpacs-writer", KT_FTPACS_WRITER, "--chain", chain,
                                  "--postal-code", options.postalCode,
                                  "--package-size", std::to_string(options.packageSize),
                                  "--pack-size", std::to_string(options.packSize),
                                  "--user", options.user, "--password", options.password,
                                  "--throttle", std::to_string(options.throttle)};
    AddPathValues(args, "--announce", options.announce);
    AddPathValues(args, "--stall", options.stall);
    args.insert(args.end(), {"--protocol", options.protocol});
    if (!options.certificate.empty()) {
        args.insert(args.end(), {"--cert", options.certificate.string(), "--key", options.key.string()});
    }
    if (options.refuseRest) args.push_back("--refuse-rest");
    if (options.ignoreRest) args.push_back("--ignore-rest");
    if (!options.digests) args.push_back("--no-digests");
    if (!options.generate) args.push_back("--no-generate");
    AddPathValues(args, "--cut", options.cut);
    AddPathValues(args, "--reset", options.reset);
    AddPathValues(args, "--reply", options.replies);
    for (const std::string& path : options.endless) args.insert(args.end(), {"--endless", path});
    process_ = std::make_unique<ServerProcess>(std::filesystem::path(KT_TEST_SUPPORT_DIR) / "update_server.py", args);
}

std::string UpdateServer::Url(const std::string& path) const {
    return protocol_ + "://127.0.0.1:" + std::to_string(Port()) + path;
}

std::string UpdateServer::BaseUrl(const std::string& folder) const { return Url("/" + folder + "/"); }

std::string UpdateServer::Log() const { return ReadFile(scratch_.Path() / "ftp.log"); }

std::string UpdateServer::StepFile(const std::string& oldVersion, const std::string& newVersion) {
    return "talvo_" + oldVersion + "_" + newVersion + ".exe";
}

std::string UpdateServer::StepPath(const std::string& oldVersion, const std::string& newVersion,
                                   const std::string& folder) {
    return "/" + folder + "/" + newVersion + "/" + StepFile(oldVersion, newVersion);
}

}  // namespace kt::test
