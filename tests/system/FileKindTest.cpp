// What each kind of file system entry is taken for: only regular files and
// folders, links to them included, are opened as files.
#include "system/FileKind.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace sonavia::system {
namespace {

namespace fs = std::filesystem;

class FileKinds : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "sonavia-kinds-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    if (socket_ >= 0) ::close(socket_);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string At(const std::string& name) const { return (dir / name).string(); }
  void Socket(const std::string& name) {
    socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(socket_, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = At(name);
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }

  fs::path dir;
  int socket_ = -1;
};

TEST_F(FileKinds, OnlyRegularFilesAndFoldersOpenAsFiles) {
  struct Case {
    const char* what;
    std::function<std::string()> make;  // gives the path to ask about
    FileKind kind;
    bool opens;
  } const cases[] = {
      {"a page",
       [&] {
         std::ofstream(At("pagina.htm")) << "<p>Hola</p>";
         return At("pagina.htm");
       },
       FileKind::Regular, true},
      {"an empty file", [&] { return std::ofstream(At("buit.htm")), At("buit.htm"); },
       FileKind::Regular, true},
      {"a folder",
       [&] {
         fs::create_directory(At("carpeta"));
         return At("carpeta");
       },
       FileKind::Folder, true},
      {"a link to a page",
       [&] {
         std::ofstream(At("desti.htm")) << "x";
         fs::create_symlink("desti.htm", At("enllac.htm"));
         return At("enllac.htm");
       },
       FileKind::Regular, true},
      {"a named pipe",
       [&] {
         ::mkfifo(At("canonada.htm").c_str(), 0600);
         return At("canonada.htm");
       },
       FileKind::Special, false},
      {"a link to a named pipe",
       [&] {
         ::mkfifo(At("canonada2").c_str(), 0600);
         fs::create_symlink("canonada2", At("a-canonada.htm"));
         return At("a-canonada.htm");
       },
       FileKind::Special, false},
      {"a device", [] { return std::string("/dev/null"); }, FileKind::Special, false},
      {"an endless device", [] { return std::string("/dev/zero"); }, FileKind::Special, false},
      {"a socket",
       [&] {
         Socket("endoll");
         return At("endoll");
       },
       FileKind::Special, false},
      {"a loop of links",
       [&] {
         fs::create_symlink("b", At("a"));
         fs::create_symlink("a", At("b"));
         return At("a");
       },
       FileKind::LinkLoop, false},
      {"a link to itself",
       [&] {
         fs::create_symlink("jo", At("jo"));
         return At("jo");
       },
       FileKind::LinkLoop, false},
      {"missing", [&] { return At("no-hi-es.htm"); }, FileKind::Missing, false},
      {"a dangling link",
       [&] {
         fs::create_symlink("enlloc.htm", At("penjat.htm"));
         return At("penjat.htm");
       },
       FileKind::Missing, false},
      {"under a file",
       [&] {
         std::ofstream(At("fitxer")) << "x";
         return At("fitxer/a.htm");
       },
       FileKind::Missing, false},
      {"nothing", [] { return std::string(); }, FileKind::Missing, false},
      {"a name too long", [&] { return At(std::string(5000, 'n')); }, FileKind::Unreachable, false},
  };
  for (const auto& c : cases) {
    const std::string path = c.make();
    const FileKind kind = KindOfFile(path);
    EXPECT_EQ(static_cast<int>(kind), static_cast<int>(c.kind)) << c.what;
    EXPECT_EQ(OpensAsFile(kind), c.opens) << c.what;
  }
}

}  // namespace
}  // namespace sonavia::system
