#include "controls/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>

#include "support/TempDir.h"

namespace sonavia::controls {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using namespace std::string_literals;

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
      {"value keeps its case", "[S]\nk=Castell\xE0\n", "S", "K", "Castell\xE0"},
      {"blanks around names and value", " \t[  S \t]  \n\t k  =  v a l \t\n", "S", "k", "v a l"},
      {"inner blanks of a name count", "[S]\nVelocitat de  lectura=1\n", "S",
       "Velocitat de lectura", "NO"},
      {"double quotes", "[S]\nk= \"a b\" \n", "S", "k", "a b"},
      {"single quotes", "[S]\nk='a'\n", "S", "k", "a"},
      {"unmatched quotes stay", "[S]\nk=\"a'\n", "S", "k", "\"a'"},
      {"a lone quote stays", "[S]\nk=\"\n", "S", "k", "\""},
      {"first of duplicated keys", "[S]\nk=1\nK=2\n", "S", "k", "1"},
      {"first of duplicated sections", "[S]\nk=1\n[s]\nk=2\n", "S", "k", "1"},
      {"only the first duplicated section is looked in", "[S]\na=1\n[S]\nk=2\n", "S", "k", "NO"},
      {"cut to 49", "[S]\nk=" + longValue + "\n", "S", "k", longValue.substr(0, 49)},
      {"cut at a NUL", "[S]\nk=ab\0cd\n"s, "S", "k", "ab"},
      {"CR LF line ends", "[S]\r\nk=v\r\nj=w\r\n", "S", "j", "w"},
      {"last line without its end", "[S]\nk=v", "S", "k", "v"},
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

  // A file far larger than any settings file, a folder or a pipe in the
  // file's place: nothing read, nothing replaced.
  std::filesystem::resize_file(path, std::uintmax_t{100} << 20);
  ProfileFile huge = ProfileFile::Load(path);
  EXPECT_FALSE(huge.Readable());
  EXPECT_EQ(huge.Read("S", "k", "NO", 50), "NO");
  std::string error;
  EXPECT_FALSE(huge.Save(path, error));
  EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t{100} << 20);
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
  ProfileFile folder = ProfileFile::Load(path);
  EXPECT_FALSE(folder.Readable());
  EXPECT_EQ(folder.Read("S", "k", "NO", 50), "NO");
  EXPECT_FALSE(folder.Save(path, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(path));
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  ProfileFile pipe = ProfileFile::Load(path);  // must not wait for a writer
  EXPECT_FALSE(pipe.Readable());
  EXPECT_FALSE(pipe.Save(path, error));
  EXPECT_TRUE(std::filesystem::is_fifo(path));
  EXPECT_EQ(Entries(dir.Path() / "sonavia"), 1u);
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
  std::filesystem::create_directories(folder);
  WriteBytes(path, "[S]\nk=1\n");
  ::chmod(folder.c_str(), 0555);
  ProfileFile profile = ProfileFile::Load(path);
  profile.Write("S", "k", "2");
  std::string error;
  EXPECT_FALSE(profile.Save(path, error));
  EXPECT_EQ(ReadBytes(path), "[S]\nk=1\n");
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
