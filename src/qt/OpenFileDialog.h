// The program's open dialog as a Qt file dialog.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "platform/OpenDialog.h"

namespace sonavia::qt {

// The file chosen, as an absolute path in the system's bytes, or nothing when
// the user cancels.
std::optional<std::string> RunOpenDialog(QWidget* parent, const platform::OpenDialog& open);

}  // namespace sonavia::qt
