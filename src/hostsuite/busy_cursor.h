// The wait cursor: the active presenter shows the module busy while one
// lives, until it is restored or goes away.
#pragma once

namespace kt::hostsuite {

class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Shows the presenter no longer busy, before a message for instance.
    void Restore();

private:
    bool shown_ = true;
};

}  // namespace kt::hostsuite
