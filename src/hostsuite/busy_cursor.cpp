#include "hostsuite/busy_cursor.h"

#include "hostsuite/presenter.h"

namespace kt::hostsuite {

BusyCursor::BusyCursor() { ActivePresenter().ShowBusy(true); }

BusyCursor::~BusyCursor() { Restore(); }

void BusyCursor::Restore() {
    if (!shown_) return;
    shown_ = false;
    ActivePresenter().ShowBusy(false);
}

}  // namespace kt::hostsuite
