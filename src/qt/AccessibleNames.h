// What a screen reader on the desktop finds of the program: every object it
// can reach has a name in the program's language that says what it is, and
// nothing that is not on the screen is offered to it (hidden windows,
// hidden buttons, a toolbar's overflow button, the frames the widgets are
// laid out in).
#pragma once

class QWidget;

namespace sonavia::qt {

// Takes over how the program's windows and containers are offered to
// assistive technology. Called once, after the application object is made
// and before any window is.
void InstallAccessibility();

// Names and describes every widget under `root` that has an object name of
// the table, and gives the containers their role. A button without a name
// of its own is named by its caption, which follows the behaviour ("No
// parlar", "Parlar"); a status text by its text.
void NameForAccessibility(QWidget* root);

// Marks a widget that only lays out others: assistive technology meets its
// children in its place.
void LayOutOnly(QWidget* widget);

}  // namespace sonavia::qt
