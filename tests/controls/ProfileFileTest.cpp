#include "controls/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <fstream>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "support/TempDir.h"

namespace sonavia::controls {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using namespace std::string_literals;
namespace fs = std::filesystem;

struct ReadCase {
  const char* what;
  std::string content;
  std::string section, key;
  std::string expected;
};

TEST(ProfileFile, ReadsAsThePlatformsProfileFunctions) {
  const std::string longValue(60, 'x');
  const ReadCase cases[] = {
      {"exact", "[S]\nk=v\n", "S", "k", "v"},
      {"names in any case", "[Ombrix Sonavia]\nParlar=no\n", "ombrix SONAVIA", "pARLAR", "no"},
      {"accented names in any case",
       "[S]\nD\xC8"
       "CIMES=5\n",
       "s",
       "d\xE8"
       "cimes",
       "5"},
      {"Windows-1252 capitals in names", "[S]\nAZ\x8A\x8C\x8E\x9F\xC0\xD8\xDE=1\n", "s",
       "az\x9A\x9C\x9E\xFF\xE0\xF8\xFE", "1"},
      {"\xD7 and \xF7 are no pair", "[S]\n\xD7=1\n", "S", "\xF7", "NO"},
      {"\xBF and \xDF are no pair", "[S]\n\xBF=1\n", "S", "\xDF", "NO"},
      {"\xDF and \xFF are no pair", "[S]\n\xDF=1\n", "S", "\xFF", "NO"},
      {"value keeps its case", "[S]\nk=Castell\xE0\n", "S", "K", "Castell\xE0"},
      {"blanks around names and value", " \t[  S \t]  \n\t k  =  v a l \t\n", "S", "k", "v a l"},
      {"inner blanks of a name count", "[S]\nVelocitat de  lectura=1\n", "S",
       "Velocitat de lectura", "NO"},
      {"double quotes", "[S]\nk= \"a b\" \n", "S", "k", "a b"},
      {"single quotes", "[S]\nk='a'\n", "S", "k", "a"},
      {"unmatched quotes stay", "[S]\nk=\"a'\n", "S", "k", "\"a'"},
      {"a lone quote stays", "[S]\nk=\"\n", "S", "k", "\""},
      {"two quotes alone", "[S]\nk=\"\"\n", "S", "k", ""},
      {"first of duplicated keys", "[S]\nk=1\nK=2\n", "S", "k", "1"},
      {"first of duplicated sections", "[S]\nk=1\n[s]\nk=2\n", "S", "k", "1"},
      {"only the first duplicated section is looked in", "[S]\na=1\n[S]\nk=2\n", "S", "k", "NO"},
      {"cut to 49", "[S]\nk=" + longValue + "\n", "S", "k", longValue.substr(0, 49)},
      {"cut at a NUL", "[S]\nk=ab\0cd\n"s, "S", "k", "ab"},
      {"CR LF line ends", "[S]\r\nk=v\r\nj=w\r\n", "S", "j", "w"},
      {"last line without its end", "[S]\nk=v", "S", "k", "v"},
      {"a blank first line", "\n[Ombrix Sonavia]\nParlar=no\n", "Ombrix Sonavia", "Parlar", "no"},
      {"empty value", "[S]\nk=\n", "S", "k", ""},
      {"equals signs in the value", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"brackets in the value", "[S]\nk=[T]\n", "S", "k", "[T]"},
      {"Windows-1252 bytes as they are", "[S]\nk=s\xED\n", "S", "k", "s\xED"},
      {"empty file", "", "S", "k", "NO"},
      {"missing section", "[T]\nk=v\n", "S", "k", "NO"},
      {"missing key", "[S]\nj=v\n", "S", "k", "NO"},
      {"key of another section", "[S]\nj=v\n[T]\nk=v\n", "S", "k", "NO"},
      {"key before any section", "k=v\n[S]\n", "S", "k", "NO"},
      {"a commented key", "[S]\n;k=v\n", "S", "k", "NO"},
      {"a line without equals sign", "[S]\nk\n", "S", "k", "NO"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileFile(c.content).Read(c.section, c.key, "NO", 50), c.expected) << c.what;
  }
  EXPECT_EQ(ProfileFile("").Read("S", "k", "fallback", 4), "fal") << "the fallback is cut too";
  for (const std::size_t size : {0, 1}) {
    EXPECT_EQ(ProfileFile("[S]\nk=v\n").Read("S", "k", "NO", size), "") << "no room: " << size;
  }
}

struct WriteCase {
  const char* what;
  std::string before;
  std::string key, value;
  std::string after;
};

TEST(ProfileFile, WritingAKeyChangesOnlyItsLine) {
  const WriteCase cases[] = {
      {"replaces the key's line", "[S]\nk=1\nj=2\n", "k", "9", "[S]\nk=9\nj=2\n"},
      {"everything else byte for byte",
       "; top\n\n[A]\nk=1\n\n[S]\n; note\n  K = 1 \nj=2\n\n[B]\nx=\xE0\0y\n"s, "k", "9",
       "; top\n\n[A]\nk=1\n\n[S]\n; note\nk=9\nj=2\n\n[B]\nx=\xE0\0y\n"s},
      {"CR LF kept", "[S]\r\nk=1\r\n[B]\r\n", "k", "2", "[S]\r\nk=2\r\n[B]\r\n"},
      {"the first of duplicated sections", "[S]\nj=1\n[S]\nk=1\n", "k", "2",
       "[S]\nj=1\nk=2\n[S]\nk=1\n"},
      {"a missing key at the end of its section", "[S]\nk=1\n\n[B]\nx=y\n", "n", "5",
       "[S]\nk=1\nn=5\n\n[B]\nx=y\n"},
      {"a missing key with CR LF", "[S]\r\nk=1\r\n", "n", "5", "[S]\r\nk=1\r\nn=5\r\n"},
      {"CR LF from a blank first line", "\r\n[S]\nk=1", "n", "5", "\r\n[S]\nk=1\r\nn=5"},
      {"a missing key after a last line without its end", "[S]\nk=1", "n", "5", "[S]\nk=1\nn=5"},
      {"a missing key in an empty section", "[S]\n[B]\n", "n", "5", "[S]\nn=5\n[B]\n"},
      {"a missing section at the end", "[A]\nx=y\n", "k", "v", "[A]\nx=y\n[S]\nk=v\n"},
      {"a missing section after a last line without its end", "[A]\nx=y", "k", "v",
       "[A]\nx=y\n[S]\nk=v\n"},
      {"a missing section with CR LF", "[A]\r\nx=y\r\n", "k", "v", "[A]\r\nx=y\r\n[S]\r\nk=v\r\n"},
      {"an empty file", "", "k", "v", "[S]\nk=v\n"},
      {"Windows-1252 bytes", "",
       "D\xE8"
       "cimes",
       "Castell\xE0",
       "[S]\nD\xE8"
       "cimes=Castell\xE0\n"},
      {"a value cannot break the lines", "[S]\nk=1\n", "k", "a\r\nb", "[S]\nk=a\n"},
  };
  for (const auto& c : cases) {
    ProfileFile profile(c.before);
    profile.Write("S", c.key, c.value);
    EXPECT_EQ(profile.Content(), c.after) << c.what;
    const std::string read = profile.Read("s", c.key, "NO", 50);
    EXPECT_EQ(read, c.value.substr(0, c.value.find_first_of("\r\n"))) << c.what;
  }
}

class ProfileFileOnDisk : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.File("sonavia/settings.ini");

  static bool Root() { return ::geteuid() == 0; }
  // What is in the folder besides the file: a temporary left behind.
  std::size_t Entries(const std::filesystem::path& folder) const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
  }
};

TEST_F(ProfileFileOnDisk, AKilledSavesLeftoversGoAndNothingElse) {
  namespace fs = std::filesystem;
  std::string error;
  ASSERT_TRUE(ProfileFile("[S]\nk=v\n").Save(path, error)) << error;
  const fs::path folder = fs::path(path).parent_path();
  struct Case {
    const char* name;
    bool old;
    bool removed;
  } const cases[] = {
      {"settings.ini.aB3xY9", true, true},   {"settings.ini.Zz0000", true, true},
      {"settings.ini.aB3xY8", false, false},  // a save of another run, going on now
      {"settings.ini.aB3xY", true, false},   {"settings.ini.aB3xY9z", true, false},
      {"settings.ini.aB-xY9", true, false},  {"settings.ini~", true, false},
      {"other.ini.aB3xY9", true, false},     {"settings.inI.aB3xY9", true, false},
      {"settings.ini_aB3xY9", true, false},
  };
  for (const Case& c : cases) {
    const fs::path file = folder / c.name;
    std::ofstream(file) << "x";
    if (c.old)
      fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::minutes(10));
  }
  fs::create_directory(folder / "settings.ini.Dir123");
  fs::create_symlink(path, folder / "settings.ini.Lnk123");
  fs::last_write_time(folder / "settings.ini.Dir123",
                      fs::file_time_type::clock::now() - std::chrono::minutes(10));
  const timespec old[2] = {{::time(nullptr) - 600, 0}, {::time(nullptr) - 600, 0}};
  ::utimensat(AT_FDCWD, (folder / "settings.ini.Lnk123").c_str(), old, AT_SYMLINK_NOFOLLOW);
  EXPECT_EQ(ProfileFile::RemoveLeftovers(path, 5), 2);
  for (const Case& c : cases) EXPECT_EQ(fs::exists(folder / c.name), !c.removed) << c.name;
  EXPECT_TRUE(fs::exists(folder / "settings.ini.Dir123"));
  EXPECT_TRUE(fs::is_symlink(folder / "settings.ini.Lnk123"));
  EXPECT_EQ(ProfileFile::Load(path).Read("S", "k", "NO", 50), "v");
  EXPECT_EQ(ProfileFile::RemoveLeftovers(dir.File("nowhere/settings.ini"), 5), 0);
}

TEST_F(ProfileFileOnDisk, SavingCreatesTheFolderAndLoadingGivesTheBytesBack) {
  ProfileFile missing = ProfileFile::Load(path);
  EXPECT_TRUE(missing.Readable()) << "a missing file is an empty one";
  EXPECT_EQ(missing.Read("S", "k", "NO", 50), "NO");
  missing.Write("S", "k", "v");
  std::string error;
  ASSERT_TRUE(missing.Save(path, error)) << error;
  EXPECT_EQ(ReadBytes(path), "[S]\nk=v\n");

  const std::string bytes = "[S]\r\nk=\xE0\xED\xE8\0\x01\xFF\r\n"s;
  WriteBytes(path, bytes);
  ProfileFile loaded = ProfileFile::Load(path);
  EXPECT_EQ(loaded.Content(), bytes);
  loaded.Write("S", "n", "1");
  ASSERT_TRUE(loaded.Save(path, error)) << error;
  EXPECT_EQ(ReadBytes(path), bytes + "n=1\r\n");
  EXPECT_EQ(Entries(dir.Path() / "sonavia"), 1u) << "no temporary file is left";
}

TEST_F(ProfileFileOnDisk, HostileFilesGiveTheFallbackAndAreNotReplacedByAccident) {
  std::filesystem::create_directories(dir.Path() / "sonavia");
  std::mt19937 random(7);
  std::string binary(1 << 20, '\0');
  for (auto& byte : binary) byte = static_cast<char>(random());
  const std::string oneLongLine = "[S]k=" + std::string(1 << 20, 'v');
  std::string onlyNuls(1 << 16, '\0');
  for (const auto& content : {binary, oneLongLine, onlyNuls}) {
    WriteBytes(path, content);
    ProfileFile profile = ProfileFile::Load(path);
    EXPECT_EQ(profile.Read("S", "k", "NO", 50), "NO");
    profile.Write("S", "k", "v");
    std::string error;
    ASSERT_TRUE(profile.Save(path, error)) << error;
    const std::string after = ReadBytes(path);
    EXPECT_EQ(after.substr(0, content.size()), content) << "what was there is kept";
    EXPECT_EQ(ProfileFile::Load(path).Read("S", "k", "NO", 50), "v");
  }
}

// Bytes that are no settings file, or no file at all, in its place: the
// profile reads as empty, refuses to replace them, and says why.
TEST_F(ProfileFileOnDisk, WhatCannotBeReadOrReplacedIsLeftAsItWasAndSaysWhy) {
  const auto folder = dir.Path() / "sonavia";
  const std::uintmax_t largest = 4 << 20;
  struct Case {
    const char* what;
    std::function<void()> before;  // before loading
    std::function<void()> after;   // between loading and saving
    bool readable;
    std::string error;
    std::function<bool()> left;
  } const cases[] = {
      {"a folder", [&] { std::filesystem::create_directories(path); }, [] {}, false,
       "the file was not read (not a regular file)", [&] { return fs::is_directory(path); }},
      {"a pipe", [&] { ::mkfifo(path.c_str(), 0600); }, [] {}, false,
       "the file was not read (not a regular file)", [&] { return fs::is_fifo(path); }},
      {"more than 4 MiB", [&] { WriteBytes(path, ""), fs::resize_file(path, largest + 1); }, [] {},
       false, "the file was not read (too large to be a settings file)",
       [&] { return fs::file_size(path) == largest + 1; }},
      {"a file for the folder", [&] { fs::remove(folder), WriteBytes(folder, "x"); }, [] {}, true,
       "cannot create its folder: Not a directory", [&] { return ReadBytes(folder) == "x"; }},
      {"a folder made after loading", [] {}, [&] { fs::create_directory(path); }, true,
       "cannot replace: Is a directory", [&] { return fs::is_directory(path); }},
  };
  for (const auto& c : cases) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    c.before();
    ProfileFile profile = ProfileFile::Load(path);  // a pipe must not wait for a writer
    EXPECT_EQ(profile.Readable(), c.readable) << c.what;
    EXPECT_EQ(profile.Read("S", "k", "NO", 50), "NO") << c.what;
    profile.Write("S", "k", "v");
    c.after();
    std::string error;
    EXPECT_FALSE(profile.Save(path, error)) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_TRUE(c.left()) << c.what;
    if (fs::is_directory(folder)) {
      EXPECT_EQ(Entries(folder), 1u) << c.what << ": no temporary file is left";
    }
  }
  // Up to 4 MiB is read; a file the system gives no size (in /proc) is read
  // to its end; an error left over from before does not stop the reading.
  fs::remove_all(folder);
  fs::create_directories(folder);
  WriteBytes(path, "[S]\nk=v\n");
  fs::resize_file(path, largest);
  errno = EINTR;
  EXPECT_EQ(ProfileFile::Load(path).Read("S", "k", "NO", 50), "v");
  EXPECT_EQ(ProfileFile::Load("/proc/version").Content(), ReadBytes("/proc/version"));
}

TEST_F(ProfileFileOnDisk, SavingKeepsTheFilesPermissions) {
  fs::create_directories(dir.Path() / "sonavia");
  for (const mode_t mode : {0640, 0604, 0600}) {
    WriteBytes(path, "[S]\nk=1\n");
    ::chmod(path.c_str(), mode);
    ProfileFile profile = ProfileFile::Load(path);
    profile.Write("S", "k", "2");
    std::string error;
    ASSERT_TRUE(profile.Save(path, error)) << error;
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, mode);
  }
}

TEST_F(ProfileFileOnDisk, ALinkedFileIsReplacedWhereTheLinkPoints) {
  std::filesystem::create_directories(dir.Path() / "sonavia");
  std::filesystem::create_directories(dir.Path() / "dotfiles");
  const std::string real = dir.File("dotfiles/settings.ini");
  WriteBytes(real, "[S]\nk=1\n");
  std::filesystem::create_symlink("../dotfiles/settings.ini", path);
  ProfileFile profile = ProfileFile::Load(path);
  profile.Write("S", "k", "2");
  std::string error;
  ASSERT_TRUE(profile.Save(path, error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(ReadBytes(real), "[S]\nk=2\n");
}

TEST_F(ProfileFileOnDisk, AFolderThatIsAFileCannotBeWritten) {
  WriteBytes(dir.File("sonavia"), "not a folder");
  ProfileFile profile = ProfileFile::Load(path);
  EXPECT_EQ(profile.Read("S", "k", "NO", 50), "NO");
  profile.Write("S", "k", "v");
  std::string error;
  EXPECT_FALSE(profile.Save(path, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadBytes(dir.File("sonavia")), "not a folder");
}

TEST_F(ProfileFileOnDisk, AFileWithoutWritePermissionKeepsWhatItHasWhoeverRuns) {
  // Run as the superuser too, whom the permission bits do not stop.
  const auto folder = dir.Path() / "sonavia";
  std::filesystem::create_directories(folder);
  const std::string target = dir.File("sonavia/target.ini");
  const std::string link = dir.File("sonavia/link.ini");
  std::filesystem::create_symlink("target.ini", link);
  for (const ::mode_t mode : {0444, 0400, 0000, 0440}) {
    WriteBytes(target, "[S]\nk=1\n");
    ::chmod(target.c_str(), mode);
    for (const std::string& named : {target, link}) {
      ProfileFile profile = ProfileFile::Load(named);
      profile.Write("S", "k", "2");
      std::string error;
      EXPECT_FALSE(profile.Save(named, error)) << std::oct << mode << " " << named;
      EXPECT_FALSE(error.empty());
      ::chmod(target.c_str(), 0644);
      EXPECT_EQ(ReadBytes(target), "[S]\nk=1\n") << std::oct << mode << " " << named;
      ::chmod(target.c_str(), mode);
    }
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode) << "its permissions stay";
    EXPECT_EQ(Entries(folder), 2u) << "no temporary file is left";
    ::chmod(target.c_str(), 0644);
  }
  // Any write permission at all lets the owner's program write it.
  for (const ::mode_t mode : {0644, 0200, 0464, 0446}) {
    if (!Root() && (mode & 0600) != 0600) continue;  // others than its owner
    WriteBytes(target, "[S]\nk=1\n");
    ::chmod(target.c_str(), mode);
    ProfileFile profile = ProfileFile::Load(target);
    profile.Write("S", "k", "2");
    std::string error;
    EXPECT_TRUE(profile.Save(target, error)) << std::oct << mode << " " << error;
  }
}

TEST_F(ProfileFileOnDisk, AFileInAReadOnlyFolderKeepsWhatItHas) {
  if (Root()) GTEST_SKIP() << "permission bits do not stop the superuser";
  const auto folder = dir.Path() / "sonavia";
  fs::create_directories(folder);
  WriteBytes(path, "[S]\nk=1\n");
  struct Case {
    mode_t file, folder;
    std::string error;
  } const cases[] = {
      {0444, 0755, "cannot write: the file is read-only"},
      {0644, 0555, "cannot create a temporary file: Permission denied"},
      {0000, 0755, "the file was not read (cannot open: Permission denied)"},
  };
  for (const auto& c : cases) {
    ::chmod(path.c_str(), c.file);
    ::chmod(folder.c_str(), c.folder);
    ProfileFile profile = ProfileFile::Load(path);
    profile.Write("S", "k", "2");
    std::string error;
    EXPECT_FALSE(profile.Save(path, error));
    EXPECT_EQ(error, c.error);
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(ReadBytes(path), "[S]\nk=1\n") << c.error;
  }
  ::chmod(folder.c_str(), 0755);
}

TEST_F(ProfileFileOnDisk, TheOldFileStaysWholeWhenTheNewOneCannotBeWritten) {
  std::filesystem::create_directories(dir.Path() / "sonavia");
  const std::string old = "[S]\nk=1\n; " + std::string(4000, 'c') + "\n";
  WriteBytes(path, old);
  ProfileFile profile = ProfileFile::Load(path);
  profile.Write("S", "k", "2");

  // A file size limit stops the write midway, as a full disk would, even
  // for the superuser.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool saved_ok = profile.Save(path, error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(saved_ok);
  EXPECT_NE(error.find("write"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(Entries(dir.Path() / "sonavia"), 1u) << "the temporary file is gone";
}

}  // namespace
}  // namespace sonavia::controls
