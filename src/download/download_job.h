// What the download dialog shares with its worker thread: the run, the
// dialog's controls, the catalogue search, the connection settings, the
// download list, the events between the two and the results of the attempts. The worker alone uses it
// while it runs; the dialog reads the results once the worker has ended.
#pragma once

#include <string>
#include <vector>

#include "config/internet_config.h"
#include "download/download_events.h"
#include "download/download_item.h"
#include "download/download_services.h"
#include "download/update_search.h"
#include "hostsuite/dialog_model.h"
#include "platform/ftp_client.h"
#include "platform/private_temp_folder.h"
#include "run/run_context.h"

namespace kt::download {

struct DownloadJob {
    DownloadJob(run::RunContext& runContext, hostsuite::DialogModel& downloadDialog, UpdateSearch& updateSearch,
                DownloadServices& downloadServices)
        : ctx(runContext), dialog(downloadDialog), search(updateSearch), services(downloadServices) {}

    run::RunContext& ctx;
    hostsuite::DialogModel& dialog;
    UpdateSearch& search;
    DownloadServices& services;
    // Read from appid.xml before the worker starts.
    config::InternetConfig internet;
    // The server's account, from ftpacs.bin.
    platform::FtpAccount account;
    DownloadList list;
    // The practice's postal code; its first two characters name the split folder.
    std::string postalCode;
    // No configuration or start-up error boxes (an automatic run at the host's start).
    bool silent = false;
    // The result of each transfer attempt, in order.
    std::vector<unsigned> results;
    // The dialog is ready: the first attempt waits for it.
    AutoResetEvent dialogReady;
    // The user cancelled: the attempts poll it.
    AutoResetEvent cancel;
    // Where ftpacs.bin and versions.xml are fetched to: a folder of this run
    // alone, so that no other local user can have planted a file or a link
    // at their names.
    platform::RunTempFolder tempFolder{"ktupdate-"};
    // For the transfers' waits on the server.
    const platform::StopCheck stopWanted = [this] { return cancel.IsSet(); };
};

}  // namespace kt::download
