// The library-loader seam: load a shared library by bare file name, look up
// entry points by name, free it.
#pragma once

#include <string>

namespace sonavia::platform {

class LibraryLoader {
 public:
  using Handle = void*;
  virtual ~LibraryLoader() = default;
  // Null when the library cannot be loaded.
  virtual Handle Load(const std::string& name) = 0;
  // Null when the library has no such entry point.
  virtual void* Symbol(Handle library, const char* name) = 0;
  virtual void Free(Handle library) = 0;
};

}  // namespace sonavia::platform
