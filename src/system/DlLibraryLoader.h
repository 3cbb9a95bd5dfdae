// The library-loader seam on the dynamic linker.
#pragma once

#include "platform/LibraryLoader.h"

namespace sonavia::system {

class DlLibraryLoader : public platform::LibraryLoader {
 public:
  Handle Load(const std::string& name) override;
  void* Symbol(Handle library, const char* name) override;
  void Free(Handle library) override;
};

}  // namespace sonavia::system
