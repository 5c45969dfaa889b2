// A download whose worker meets an exception: the process goes on, the
// transfer ends as failed, the dialog closes and the journal keeps it.
#include <stdexcept>

#include "dialogs/no_connection_dialog.h"
#include "download/transfers.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

// The scripted presenter, failing to show the no-connection dialog that the
// worker asks the dialog's thread for.
class ThrowingPresenter : public hostsuite::Presenter {
public:
    explicit ThrowingPresenter(std::shared_ptr<hostsuite::Presenter> inner) : inner_(std::move(inner)) {}
    int ShowMessage(const hostsuite::MessageRequest& request) override { return inner_->ShowMessage(request); }
    int ShowButtons(const hostsuite::ButtonsRequest& request) override { return inner_->ShowButtons(request); }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string& target) override {
        return inner_->AskCredentials(target);
    }
    int RunDialog(hostsuite::DialogModel& dialog) override {
        if (dialog.ResourceId() == dialogs::CKTMessageBox::kResourceId) throw std::runtime_error("no display");
        return inner_->RunDialog(dialog);
    }

private:
    std::shared_ptr<hostsuite::Presenter> inner_;
};

TEST_F(DownloadTest, AWorkerStoppedByAnExceptionEndsTheDownloadAsFailed) {
    StartServer();
    connect::ConnectionServices offline;
    offline.isNetworkConnected = [] { return false; };
    connect::InternetConnection connection(ctx, offline);
    services.connection = &connection;
    hostsuite::InstallPresenter(std::make_shared<ThrowingPresenter>(scripted));

    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(Logged("ERROR Worker thread download : stopped by an exception : no display"));
    EXPECT_TRUE(InOrder(Journal(), {"MJ_DWL_MD : Démarrage du thread.", "MJ_DWL_DU_18 : Problème: exception."}));
    EXPECT_EQ(Messages(), Strings{"message id=- caption=\"Talvo\" style=0x10 flag=1 text=\"Une erreur s'est produite "
                                  "lors du téléchargement des mises à jour.\" -> ok unscripted"});
    EXPECT_TRUE(Shown("dialog 130 end 2"));
}

}  // namespace
}  // namespace kt::test
