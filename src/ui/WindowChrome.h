#pragma once

class QWidget;

namespace ui {

// Gives a borderless window built from a layout its caption behaviour: the
// band "window_header" moves it (a double click maximises or restores), the
// buttons "windowminbtn", "windowmaxbtn", "windowrestorebtn" and
// "windowclosebtn" do what they say, and, when resizable is set, a thin
// border resizes it and its corners are rounded.
void installWindowChrome(QWidget *window, bool resizable);

} // namespace ui
