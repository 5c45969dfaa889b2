// The one thread that owns the toolkit. Every widget is made, changed and
// destroyed there; the module's threads hand it work and wait, so that a
// message box or a dialog may be asked for from any of them.
#pragma once

#include <functional>

namespace kt::gtk {

class GtkThread {
public:
    // The process's toolkit thread, started on first use; null when no
    // display can be opened.
    static GtkThread* Instance();

    // Runs `work` on the toolkit thread and waits until it has run.
    void Call(const std::function<void()>& work);
    bool OnThisThread() const;

private:
    GtkThread() = default;
    bool Start();
};

}  // namespace kt::gtk
