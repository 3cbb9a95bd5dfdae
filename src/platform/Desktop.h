// The desktop seam: what the program asks of the user's desktop.
#pragma once

#include <string>

namespace sonavia::platform {

class Desktop {
 public:
  virtual ~Desktop() = default;
  // Opens a web page in the user's default browser.
  virtual void OpenWebPage(const std::string& address) = 0;
};

}  // namespace sonavia::platform
