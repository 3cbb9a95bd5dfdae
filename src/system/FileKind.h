// What a path names, as a program opening it would meet it. Only regular
// files and folders are opened as files: a pipe keeps its reader waiting
// until some writer comes, a device such as /dev/zero never ends, and a
// loop of links leads nowhere.
#pragma once

#include <string>

namespace sonavia::system {

enum class FileKind {
  Regular,
  Folder,
  Missing,      // nothing there, or a part of the path is not a folder
  Special,      // a pipe, a device or a socket
  LinkLoop,     // links that lead back to themselves
  Unreachable,  // any other reason the path cannot be looked at
};

// Links are followed; nothing is opened, so asking never waits.
FileKind KindOfFile(const std::string& path);

inline bool OpensAsFile(FileKind kind) {
  return kind == FileKind::Regular || kind == FileKind::Folder;
}

}  // namespace sonavia::system
