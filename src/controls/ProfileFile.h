// A profile file ("INI" file): sections in square brackets, one "key=value"
// line per key. The rules are those of the platform that made the format:
// names match without regard to case, blanks around names and values do not
// count, a value in a pair of matching quotes is read without them, the first
// of a duplicated section or key wins. Text is kept as bytes.
// Nothing here knows which sections or keys a program keeps.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sonavia::controls {

namespace profile_detail {
struct Line {
  std::size_t begin;  // first byte
  std::size_t end;    // past the last byte before the line end
  std::size_t next;   // first byte of the next line
};
struct Section {
  Line header;
  std::size_t bodyEnd;  // where the next section's header starts
};
}  // namespace profile_detail

class ProfileFile {
 public:
  // An empty profile, as for a file that does not exist yet.
  ProfileFile() = default;
  explicit ProfileFile(std::string content) : content_(std::move(content)) {}

  // Reads the file at `path`. A missing file gives an empty profile; a file
  // that cannot be read (a directory, a device, no permission) gives an empty
  // profile that refuses to be saved, so that what is there is never lost.
  static ProfileFile Load(const std::string& path);

  // The value of `key` in `section`, or `fallback` when the section or the
  // key is missing; either is cut to `size` - 1 bytes, as a buffer of `size`
  // characters with its terminator would hold it, and at a NUL byte.
  std::string Read(std::string_view section, std::string_view key, std::string_view fallback,
                   std::size_t size) const;
  // Whether `section` holds `key`, by the same rules as Read.
  bool Has(std::string_view section, std::string_view key) const;

  // Replaces the line of `key` in `section`, leaving every other byte as it
  // was. A missing key is added at the end of its section, a missing section
  // at the end of the file. New lines end as the file's lines already do.
  void Write(std::string_view section, std::string_view key, std::string_view value);

  // Replaces the file at `path` with this content through a temporary file
  // in the same folder, so that the file is always either the old one or the
  // new one. Creates the folder when needed. A file without any write
  // permission is left alone, whoever runs the program. On failure the old
  // file is left as it was, `error` says why, and the result is false.
  bool Save(const std::string& path, std::string& error) const;

  // Removes what saves to `path` left behind when the program was killed
  // during one: its temporary files, named after the file with a dot and
  // six letters or digits, that are regular files of this user and have
  // not been written for `quietSeconds`. Nothing else in the folder is
  // touched. Returns how many were removed.
  static int RemoveLeftovers(const std::string& path, long quietSeconds);

  const std::string& Content() const { return content_; }
  // Whether the text beyond ASCII is UTF-8 (a file saved so by hand) rather
  // than the format's own Windows-1252.
  bool InUtf8() const;
  bool Readable() const { return loadError_.empty(); }

 private:
  std::string content_;
  // Why the file could not be read; empty when it was read or is missing.
  std::string loadError_;
  // The section last read from, looked for once for all its keys; forgotten
  // when the content changes.
  struct Found {
    std::string name;
    std::optional<profile_detail::Section> place;
  };
  mutable std::optional<Found> lastSection_;
  mutable std::optional<bool> utf8_;  // InUtf8, found once for each content
  // The text after the key's equals sign, blanks included.
  std::optional<std::string_view> RawValue(std::string_view section, std::string_view key) const;
};

}  // namespace sonavia::controls
