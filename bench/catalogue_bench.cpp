// GetUpdatesList on a generated catalogue: a chain of N steps and 20
// workstations of the practice spread along it, all searched at once
// (sharing on), with the activity log written as in a real run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "config/workstation_state_file.h"
#include "download/catalogue_writer.h"
#include "download/update_search.h"
#include "support/temp_tree.h"
#include "log/activity_log.h"

namespace {

constexpr int kWorkstations = 20;

std::string VersionAt(int step) { return "1.0." + std::to_string(step); }

std::string WorkstationGuid(int index) {
    char guid[40];
    std::snprintf(guid, sizeof guid, "{00000000-0000-0000-0000-%012d}", index);
    return guid;
}

struct Practice {
    explicit Practice(int steps) {
        kt::log::ConfigureActivityLog();
        ctx.appDir = tree.MakeDir("app").string();
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        ctx.appTitle = "Talvo";
        ctx.version = VersionAt(0);
        ctx.compatVersion = "1.0";
        kt::config::CreateDefaultConfig(ctx, WorkstationGuid(0));
        kt::config::SetNodeData(kt::config::AppIdPath(ctx), "Workstation", "Update", nullptr, "Network", "1");
        for (int i = 0; i < kWorkstations; ++i) {
            kt::config::UpdateConfXML(ctx, WorkstationGuid(i), VersionAt(i * steps / kWorkstations), "1.1.2026",
                                      "1.0", "1", "0", "0");
        }
        kt::test::CatalogueWriter catalogue;
        for (int step = 0; step < steps; ++step) {
            // Appended piece by piece: a chain of + trips a false -Wrestrict of GCC 12 at -O3.
            std::string file = "p";
            file.append(std::to_string(step + 1)).append(".exe");
            catalogue.AddStep(VersionAt(step), VersionAt(step + 1), file);
        }
        versions = (tree / "versions.xml").string();
        catalogue.Save(versions);
    }

    kt::test::TempTree tree;
    kt::run::RunContext ctx;
    std::string versions;
};

void BM_GetUpdatesList(benchmark::State& state) {
    const int steps = static_cast<int>(state.range(0));
    Practice practice(steps);
    kt::download::UpdateSearch search(practice.ctx, kt::download::SourceMode::kInternet, "");
    search.State().baseAddress = "ftp://127.0.0.1/maj/";
    kt::download::DownloadList list;
    for (auto _ : state) {
        if (search.GetUpdatesList(practice.versions, list, {}) != 1 || list.size() != static_cast<size_t>(steps)) {
            state.SkipWithError("the search did not list the whole chain");
            break;
        }
    }
    state.counters["steps"] = steps;
    state.counters["items"] = static_cast<double>(list.size());
}

// The median of five repetitions: on a shared machine one slow repetition
// would otherwise decide the ratio of the two sizes.
BENCHMARK(BM_GetUpdatesList)
    ->Arg(5000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
