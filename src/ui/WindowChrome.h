#pragma once

class QWidget;

namespace ui {

// Gives a borderless window built from a layout its caption behaviour: the
// band "window_header" moves it (a double click maximises or restores), the
// button "windowclosebtn" closes it (both are required controls), the buttons
// "windowminbtn", "windowmaxbtn" and "windowrestorebtn" do what they say where
// the layout has them, and, when resizable is set, a thin border resizes it
// and its corners are rounded.
void installWindowChrome(QWidget *window, bool resizable);

} // namespace ui
