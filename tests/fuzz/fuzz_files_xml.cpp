// files.xml as any workstation of the practice may have left it in the
// shared update folder: the readers that look for waiting packages and
// follow their chain, the search's working copy of it, and a fetched package
// joining it.
#include "config/update_sharing.h"
#include "config/xml_file.h"
#include "download/pending_files.h"
#include "download/update_search.h"
#include "fuzz_support.h"
#include "update/critical_versions.h"

namespace {

constexpr const char* kAppId =
    "<?xml version=\"1.0\"?>\n<Workstation><Version>1.0</Version><Sesam>0</Sesam></Workstation>\n";
constexpr const char* kPackage = "pkg_1_1.exe";

void ReadWorkingCopy(const std::string& filesXml) {
    kt::download::PendingFiles pending;
    pending.CopyFrom(filesXml);
    pending.FileFrom("1.0");
    pending.PackUpdateDated("1.1.2026");
    pending.HasCompletePackNamed(kPackage);
    pending.AppendFile("6.12.2026", kPackage, "1.0", "1.1", "1", "1");
    pending.AppendPack(kt::download::kSesamAllKind, "6.12.2026", "sesam.exe", "1", "1");
    pending.RemoveCompletePacks();
    pugi::xml_document again;
    if (!again.load_string(pending.Serialize().c_str()) || !kt::config::FindFirstElement(again, "Files")) {
        kt::fuzz::Fail("working copy does not read back");
    }
}

bool HoldsPackage(const std::string& filesXml) {
    pugi::xml_document doc;
    if (kt::config::LoadXmlFile(doc, filesXml) != kt::config::XmlLoad::kLoaded) return false;
    return kt::config::FindFirstElement(doc, "Files").find_child_by_attribute("File", "Name", kPackage);
}

}  // namespace

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    run::RunContext& ctx = fuzz::FreshContext();
    fuzz::WriteTreeFile("app/appid.xml", kAppId);
    const std::string filesXml = fuzz::WriteTreeFile("UpdateInfo/files.xml", input);

    static_cast<void>(config::IsAnyUpdateOnNetwork(ctx));
    std::string next;
    static_cast<void>(config::FindNextUpdFile(ctx, "1.0", &next, 25));
    // The chain ends whatever versions the file links.
    update::ReachesInReadyChain(ctx, "1.0", "99.0");
    ReadWorkingCopy(filesXml);

    pugi::xml_document before;
    const bool usable = config::LoadXmlFile(before, filesXml) == config::XmlLoad::kLoaded &&
                        config::FindFirstElement(before, "Files");
    fuzz::WriteTreeFile(std::string("UpdateInfo/Temp/") + kPackage, "package");
    download::UpdateSearch search(ctx, download::SourceMode::kInternet, "", [](const std::string&, int) { return 0; });
    search.ProcessUpdate("1.0", "1.1", "6.12.2026", kPackage, "1", "1", "1", "1");
    if (usable && !HoldsPackage(filesXml)) fuzz::Fail("fetched package missing from a usable files.xml");
}
