// files.xml as any workstation may leave it: its readers, the search's working copy, a fetched package joining it.
#include "config/update_sharing.h"
#include "config/xml_file.h"
#include "download/pending_files.h"
#include "download/update_search.h"
#include "fuzz_support.h"
#include "update/critical_versions.h"

namespace {

constexpr const char* kPackage = "pkg_1_1.exe";

// Whether the file reads with a Files element (holding `package` when given).
bool HoldsFiles(const std::string& path, const char* package = nullptr) {
    pugi::xml_document doc;
    if (kt::config::LoadXmlFile(doc, path) != kt::config::XmlLoad::kLoaded) return false;
    const pugi::xml_node files = kt::config::FindFirstElement(doc, "Files");
    return package ? static_cast<bool>(files.find_child_by_attribute("File", "Name", package)) : static_cast<bool>(files);
}

}  // namespace

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    run::RunContext& ctx = fuzz::FreshContext();
    fuzz::WriteTreeFile("app/appid.xml",
                        "<?xml version=\"1.0\"?>\n<Workstation><Version>1.0</Version><Sesam>0</Sesam></Workstation>\n");
    const std::string filesXml = fuzz::WriteTreeFile("UpdateInfo/files.xml", input);
    static_cast<void>(config::IsAnyUpdateOnNetwork(ctx));
    std::string next;
    static_cast<void>(config::FindNextUpdFile(ctx, "1.0", &next, 25));
    update::ReachesInReadyChain(ctx, "1.0", "99.0");  // ends whatever versions the file links

    download::PendingFiles pending;
    pending.CopyFrom(filesXml);
    pending.NewVersionFrom("1.0");
    pending.PackUpdateDated("1.1.2026");
    pending.HasCompletePackNamed(kPackage);
    pending.AppendFile("6.12.2026", kPackage, "1.0", "1.1", "1", "1");
    pending.AppendPack(download::kSesamAllKind, "6.12.2026", "sesam.exe", "1", "1");
    pending.RemoveCompletePacks();
    pugi::xml_document again;
    if (!again.load_string(pending.Serialize().c_str()) || !config::FindFirstElement(again, "Files")) {
        fuzz::Fail("working copy does not read back");
    }

    const bool usable = HoldsFiles(filesXml);
    fuzz::WriteTreeFile(std::string("UpdateInfo/Temp/") + kPackage, "package");
    download::UpdateSearch search(ctx, download::SourceMode::kInternet, "", [](const std::string&, int) { return 0; });
    search.ProcessUpdate("1.0", "1.1", "6.12.2026", kPackage, "1", "1", "1", "1");
    if (usable && !HoldsFiles(filesXml, kPackage)) fuzz::Fail("fetched package missing from a usable files.xml");
}
