// Pictures of windows as they are on the screen, with the title bar the
// window manager draws around them.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace kt::gtk {

// Lets the window appear and paint (bounded), so that what follows sees it drawn.
void LetWindowPaint(GtkWindow* window);

// Saves the window with its frame as a PNG file; false (logged) when it cannot.
bool SaveWindowPicture(GtkWindow* window, const std::string& path);

}  // namespace kt::gtk
