// The names and descriptions that a screen reader on the desktop gives the
// program's own controls, in the program's language.
#pragma once

class QWidget;

namespace sonavia::qt {

// Names and describes every widget under `root` that has an object name of
// the table. A button without a name of its own is named by its caption,
// which follows the behaviour ("No parlar", "Parlar").
void NameForAccessibility(QWidget* root);

}  // namespace sonavia::qt
