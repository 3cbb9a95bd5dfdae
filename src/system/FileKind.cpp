#include "system/FileKind.h"

#include <sys/stat.h>

#include <cerrno>

namespace sonavia::system {

FileKind KindOfFile(const std::string& path) {
  struct stat info {};
  if (path.empty()) return FileKind::Missing;
  if (::stat(path.c_str(), &info) != 0) {
    switch (errno) {
      case ENOENT:
      case ENOTDIR:
        return FileKind::Missing;
      case ELOOP:
        return FileKind::LinkLoop;
      default:
        return FileKind::Unreachable;
    }
  }
  if (S_ISREG(info.st_mode)) return FileKind::Regular;
  if (S_ISDIR(info.st_mode)) return FileKind::Folder;
  return FileKind::Special;
}

}  // namespace sonavia::system
