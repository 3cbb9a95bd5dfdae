#include "shell/PageDialogLimit.h"

#include <algorithm>

namespace sonavia::shell {

bool PageDialogLimit::MayShow() {
  const uint32_t now = loop_.TickCount();
  // An unsigned difference: a wrap of the tick count does no harm.
  std::erase_if(shown_, [now](uint32_t t) { return static_cast<uint32_t>(now - t) > kWindowMs; });
  if (shown_.size() >= kShownInWindow) return false;
  shown_.push_back(now);
  return true;
}

}  // namespace sonavia::shell
