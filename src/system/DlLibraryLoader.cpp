#include "system/DlLibraryLoader.h"

#include <dlfcn.h>

namespace sonavia::system {

// A bare name is looked for next to the program (its run path) and then
// on the system's library path.
platform::LibraryLoader::Handle DlLibraryLoader::Load(const std::string& name) {
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* DlLibraryLoader::Symbol(Handle library, const char* name) {
  if (library == nullptr) return nullptr;
  return dlsym(library, name);
}

void DlLibraryLoader::Free(Handle library) {
  if (library != nullptr) dlclose(library);
}

}  // namespace sonavia::system
