#pragma once
// Our own profile engine: the text of a profile file, read and changed the way the Windows profile
// functions read and change it, but keeping every line it does not change byte for byte (comments,
// blank lines, odd lines, the file's own line endings and encoding). Pure C++, no file access: the
// caller reads the bytes in and writes them out.
//
// Rules:
// - A file that begins with the byte order mark FF FE (UTF-16 little-endian) or FE FF (big-endian)
//   is UTF-16 and stays so: its text is converted to the program's 8-bit text and back as
//   platform/utf16.h says, and an odd last byte stays where it is. A UTF-8 mark is kept and
//   skipped; UTF-8 is the program's 8-bit text already. Any other file is 8-bit text.
// - Lines end at CR LF, LF or a lone CR. Blanks are space, tab, VT, FF and ^Z; they are trimmed
//   around every line, name and value.
// - A line that starts with "[" and holds a "]" heads a section named by the text up to its last
//   "]"; anything after that "]" is ignored. Lines before the first header form a section without
//   a name. Every other non-blank line is an entry: name "=" value, or a name alone (no value) when
//   it has no "=". A comment is an entry whose name starts with ";": it is found by its name but
//   never listed. An entry with an empty name right after another one is ignored.
// - Names compare without regard to the case of ASCII letters; other bytes compare exactly. A
//   lookup uses the first section of that name, and in it the first entry of that name.
// - A value enclosed in a pair of the same quotes (' or ") is read without them.
// - A new entry goes after the last non-blank line of its section; a new section goes at the end
//   of the file. New lines take the file's first line ending, CR LF for a file that has none.
//   A changed entry is rewritten as name=value with the file's spelling of the name.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qb::platform {

class ProfileDocument {
 public:
  using Name = std::optional<std::string>;

  explicit ProfileDocument(std::string bytes = {});

  const std::string& bytes() const { return bytes_; }

  // The characters a string read places into a buffer of `size` characters, cut to the count it
  // returns (see platform/profile.h).
  std::string getString(const Name& section, const Name& key, const Name& defaultText,
                        unsigned size) const;
  std::int32_t getInt(const Name& section, const Name& key, std::int32_t defaultValue) const;
  std::string sectionNames(unsigned size) const;

  // A write: sets the value, deletes the entry (null value) or the section (null key). Returns
  // false for a null section, which changes nothing.
  bool write(const Name& section, const Name& key, const Name& value);

  // The parsed view: every section in file order with its entries (the section without a name
  // first, even when empty).
  struct Entry {
    std::string name;
    std::optional<std::string> value;
  };
  struct Section {
    std::string name;
    bool headed = false;  // false for the lines before the first header
    std::vector<Entry> entries;
  };
  std::vector<Section> sections() const;

 private:
  enum class Encoding { kBytes, kUtf16Le, kUtf16Be };
  enum class Kind { kBlank, kHeader, kEntry, kIgnored };
  // Positions here are in text_.
  struct Line {
    std::size_t begin = 0;  // content, without the line ending
    std::size_t end = 0;
    std::size_t next = 0;     // after the line ending
    std::size_t nameEnd = 0;  // of an entry's name, which begins where the trimmed line does
    Kind kind = Kind::kBlank;
    std::string name;
    std::optional<std::string> value;
  };
  struct SectionSpan {
    std::string name;
    std::size_t header;  // index of the header line, or npos
    std::size_t first;   // first line after the header
    std::size_t last;    // one past the section's last line
  };

  void parse();
  void decode();
  const SectionSpan* findSection(const std::string& name) const;
  std::size_t findEntry(const SectionSpan& section, const std::string& key) const;
  std::string lineEnding() const;
  std::size_t fileOffset(std::size_t at) const;
  std::string encoded(const std::string& text) const;
  // Replaces text_[from, to) by bytes already in the file's encoding, and parses again.
  void splice(std::size_t from, std::size_t to, const std::string& bytes);
  void replace(std::size_t from, std::size_t to, const std::string& text);
  bool setValue(const std::string& section, const std::string& key, const std::string& value);
  bool deleteEntry(const std::string& section, const std::string& key);
  bool deleteSection(const std::string& section);

  std::string bytes_;  // the file
  Encoding encoding_ = Encoding::kBytes;
  std::size_t start_ = 0;            // in bytes_, after a byte order mark
  std::string text_;                 // what follows the mark, as 8-bit text
  std::vector<std::size_t> unitOf_;  // UTF-16: the unit each byte of text_ came from
  std::vector<Line> lines_;
  std::vector<SectionSpan> sections_;
};

}  // namespace qb::platform
