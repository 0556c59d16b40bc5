// Our profile engine side by side with the system's own profile functions: the same files, the
// same operations, a few thousand of them from a seeded generator. After every operation both
// results and both files must agree byte for byte. Where our rules differ on purpose, the
// generator stays away and KnownDifferences below shows each difference once:
//
// 1. Untouched lines. The system rewrites the whole file in its own form on every change (CR LF,
//    blanks around lines, names and values trimmed, blank lines dropped, text after a header's
//    "]" dropped, no header for a section with an empty name, an empty-named entry right after
//    another dropped); we keep every line we do not change byte for byte. For files with such
//    lines the test compares both files in the system's form (the "normal form" below) and the
//    results byte for byte; for files already in that form, the bytes themselves.
// 2. A default made only of blanks: the system keeps one blank, we remove them all.
// 3. The integer read: the system also reads "0x", "0o" and "0b" numbers and looks only at the
//    first 29 characters; we read a decimal number from the whole value.
// 4. Names with blanks around them: the system writes a new name with its trailing blanks and
//    compares untrimmed names when deleting and listing; we trim names everywhere.
// 5. The 8-bit text: the system's is its code page, ours natively UTF-8. A file with a UTF-8 mark
//    is therefore converted there and taken as it is here; a UTF-16 file is converted on both
//    sides. The Unicode files (UTF-16 little- and big-endian and UTF-8, each with its mark) are
//    run through the generator too: our engine gets the same text in UTF-8, and our results are
//    compared in the code page.
// 6. In those files a buffer of 8-bit text holds fewer characters of ours (UTF-8 takes up to
//    four bytes for one), so a cut value can differ; the generator reads them into full buffers.
// 7. What a Unicode file holds that 8-bit text cannot: a character outside the code page, or an
//    unpaired surrogate, reads as "?" there; here a character reads in UTF-8 and a surrogate in
//    its three-byte form. Both keep such lines on a rewrite.
// 8. An odd last byte of a UTF-16 file: the system pairs it with a byte from beyond the file and
//    writes that unit back as a line of its own; we keep the byte where it is.
//
// Letter case is no difference: like us, the system here ignores the case of ASCII letters only,
// in every encoding.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "platform/profile.h"
#include "platform/profile_engine.h"
#include "platform/win32/system_words.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_folder.h"

namespace qb::platform {
namespace {

using namespace std::string_literals;
using Name = ProfileDocument::Name;

using test::readFile;

// The bytes for a person to read: control bytes escaped, one line per line, long lines shortened.
std::string visible(const std::string& bytes) {
  std::string out;
  std::size_t run = 0;
  for (unsigned char c : bytes) {
    run = c == '\n' ? 0 : run + 1;
    if (run == 120) out += "...";
    if (run >= 120) continue;
    char hex[8];
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n\n";
    else if (c < 32 || c > 126)
      std::snprintf(hex, sizeof hex, "\\x%02X", c), out += hex;
    else
      out += static_cast<char>(c);
  }
  return out;
}

// How a file stores its text.
enum class Encoding { kAnsi, kUtf16Le, kUtf16Be, kUtf8 };

// Conversions through the system's own functions, not through ours.
std::wstring wide(const std::string& text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring out(MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
  return out;
}

std::string narrow(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::string out(WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr),
                  '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()),
                      nullptr, nullptr);
  return out;
}

// Our 8-bit text as a file of that encoding holds it: as it is in an 8-bit file, else UTF-8 text
// behind the encoding's mark.
std::string stored(const std::string& text, Encoding encoding) {
  if (encoding == Encoding::kAnsi) return text;
  if (encoding == Encoding::kUtf8) return "\xEF\xBB\xBF" + text;
  const bool big = encoding == Encoding::kUtf16Be;
  std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
  for (const wchar_t c : wide(text, CP_UTF8)) {
    const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
    out += big ? high : low;
    out += big ? low : high;
  }
  return out;
}

// UTF-16 little-endian with its mark, units as they are.
std::string utf16le(const std::u16string& units) {
  std::string out = "\xFF\xFE";
  for (const char16_t u : units) out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return out;
}

// The file as the system writes it out: sections and entries as our engine reads them, each
// line in its trimmed form ending in CR LF, in the file's encoding.
std::string normalForm(const std::string& bytes, Encoding encoding) {
  std::string out;
  for (const auto& section : ProfileDocument(bytes).sections()) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const auto& e : section.entries) out += e.name + (e.value ? "=" + *e.value : "") + "\r\n";
  }
  return stored(out, encoding);
}

const char* orNull(const Name& n) {
  return n ? n->c_str() : nullptr;
}

// One profile file handled twice: by the system's functions on disk, by our engine in memory.
// Names, values and results are the system's 8-bit text; in a Unicode file our engine gets and
// gives them in UTF-8.
class Pair {
 public:
  Pair(const std::string& file, const std::optional<std::string>& start,
       Encoding encoding = Encoding::kAnsi)
      : file_(file), unicode_(encoding != Encoding::kAnsi) {
    DeleteFileA(file_.c_str());
    const std::string bytes = start ? stored(ours(*start), encoding) : "";
    if (start) [&] { ASSERT_TRUE(test::writeFile(file_, bytes)); }();
    ours_ = ProfileDocument(bytes);
  }
  ~Pair() { DeleteFileA(file_.c_str()); }

  std::string systemString(const Name& s, const Name& k, const Name& d, unsigned size) {
    std::string buffer(size + 16, '#');
    const DWORD n = GetPrivateProfileStringA(orNull(s), orNull(k), orNull(d), buffer.data(), size,
                                             file_.c_str());
    return buffer.substr(0, n);
  }
  std::string ourString(const Name& s, const Name& k, const Name& d, unsigned size) {
    return theirs(ours_.getString(ours(s), ours(k), ours(d), size));
  }
  std::int32_t systemInt(const Name& s, const Name& k, std::int32_t d) {
    return static_cast<std::int32_t>(GetPrivateProfileIntA(orNull(s), orNull(k), d, file_.c_str()));
  }
  std::int32_t ourInt(const Name& s, const Name& k, std::int32_t d) {
    return ours_.getInt(ours(s), ours(k), d);
  }
  std::string systemNames(unsigned size) {
    std::string buffer(size + 16, '#');
    const DWORD n = GetPrivateProfileSectionNamesA(buffer.data(), size, file_.c_str());
    return buffer.substr(0, n);
  }
  std::string ourNames(unsigned size) { return theirs(ours_.sectionNames(size)); }
  bool systemWrite(const Name& s, const Name& k, const Name& v) {
    return WritePrivateProfileStringA(orNull(s), orNull(k), orNull(v), file_.c_str()) != FALSE;
  }
  void ourWrite(const Name& s, const Name& k, const Name& v) {
    ours_.write(ours(s), ours(k), ours(v));
  }

  std::string systemFile() const { return readFile(file_); }
  const std::string& ourFile() const { return ours_.bytes(); }

 private:
  std::string ours(const std::string& text) const {
    return unicode_ ? narrow(wide(text, CP_ACP), CP_UTF8) : text;
  }
  Name ours(const Name& text) const { return text ? Name(ours(*text)) : text; }
  std::string theirs(const std::string& text) const {
    return unicode_ ? narrow(wide(text, CP_UTF8), CP_ACP) : text;
  }

  std::string file_;
  bool unicode_;
  ProfileDocument ours_;
};

// Random profile operations over a small world of names, so that reads hit and miss.
class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  int below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  bool chance(int percent) { return below(100) < percent; }
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[below(static_cast<int>(items.size()))];
  }

  // Names in any letter case.
  std::string anyCase(std::string name) {
    if (chance(50)) return name;
    for (char& c : name) {
      if (chance(50))
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return name;
  }
  std::string section() { return anyCase(pick(sections_)); }
  std::string key() { return anyCase(pick(keys_)); }

  std::string letters(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('a' + below(26));
    return s;
  }

  std::string value() {
    switch (below(20)) {
      case 0:
        return "";
      case 1:
        return "  lead";
      case 2:
        return "trail   ";
      case 3:
        return "\"quoted\"";
      case 4:
        return "'single'";
      case 5:
        return "\"";
      case 6:
        return std::to_string(static_cast<int>(random_()));
      case 7:
        return "12abc";
      case 8:
        return "99999999999";
      case 9:
        return letters(4000 + below(2000));
      case 10:
        return "D:\\Respaldos\\" + letters(3);
      case 11:
        return "\xE9\xFC\xA0\x80 high";
      case 12:
        return "a=b=c";
      case 13:
        return ";not a comment";
      case 14:
        return "[x]";
      case 15:
        return "\"" + letters(below(10)) + "\"";
      default:
        return letters(1 + below(12)) + (chance(30) ? " " + letters(3) : "");
    }
  }

  Name defaultText() {
    switch (below(9)) {
      case 0:
        return std::nullopt;
      case 1:
        return "";
      case 2:
        return "dflt";
      case 3:
        return "dflt   ";
      case 4:
        return "'q'";
      case 5:
        return "  lead";
      case 6:
        return letters(5000);
      case 7:
        return "a b ";
      default:
        return value();
    }
  }

  unsigned size() {
    if (chance(60)) return 4095;
    return static_cast<unsigned>(below(40));
  }

  // A starting file: canonical ones are already in the system's form; the others have comments,
  // blank lines, odd lines, blanks, mixed line endings and no final line ending.
  std::string file(bool canonical) {
    std::string out;
    const auto eol = [&] {
      if (canonical) return "\r\n"s;
      return pick(std::vector<std::string>{"\r\n", "\r\n", "\n", "\r"});
    };
    const auto blanks = [&] {
      return canonical || chance(70) ? ""s : pick(std::vector<std::string>{" ", "\t", "  \t"});
    };
    const auto oddLine = [&]() -> std::string {
      switch (below(canonical ? 3 : 9)) {
        case 0:
          return "; comment " + letters(3);
        case 1:
          return "junk" + letters(2);
        case 2:
          return ";k=commented";
        case 3:
          return "";
        case 4:
          return "   ";
        case 5:
          return "[broken";
        case 6:
          return "=lonely" + eol() + "=again";
        case 7:
          return "# hash";
        default:
          return "\x1a";
      }
    };
    if (chance(30)) out += key() + "=" + letters(3) + eol();
    const int sections = below(5);
    for (int s = 0; s < sections; ++s) {
      if (chance(25)) out += oddLine() + eol();
      std::string header = "[" + blanks() + section() + blanks() + "]";
      if (!canonical && chance(15)) header += " ; trailing";
      out += blanks() + header + blanks() + eol();
      const int entries = below(6);
      for (int e = 0; e < entries; ++e) {
        if (chance(20)) out += oddLine() + eol();
        std::string v = value();
        while (!v.empty() && (v.front() == ' ' || v.back() == ' ')) v = letters(3);
        out += blanks() + key() + blanks() + "=" + blanks() + v + blanks() + eol();
      }
    }
    if (!canonical && chance(30) && !out.empty()) out.erase(out.size() - 1);  // no final newline
    return out;
  }

 private:
  std::mt19937 random_;
  std::vector<std::string> sections_{"CONFIG",       "RESULT", "a",          "b.x",
                                     "Long Section", "s_1",    "Secci\xF3n", "SECCI\xD3N"};
  std::vector<std::string> keys_{
      "principal.data", "secundario.data", "lastrun", "k", "k2", "two words", "n", "a\xF1o"};
};

struct Tally {
  int operations = 0;
  int byteForByte = 0;  // operations after which both files were compared byte for byte
};

void runScenario(Generator& g, const std::string& file, int scenario, bool canonical,
                 Encoding encoding, int operations, Tally& tally) {
  // A file that is not there is made an 8-bit one, so the Unicode scenarios always start with one.
  const std::optional<std::string> start = g.chance(10) && encoding == Encoding::kAnsi
                                               ? std::nullopt
                                               : std::optional<std::string>(g.file(canonical));
  Pair pair(file, start, encoding);
  const auto size = [&] {
    const unsigned n = g.size();
    return encoding == Encoding::kAnsi ? n : 4095u;
  };
  for (int op = 0; op < operations; ++op) {
    std::string what;
    std::string systemResult, ourResult;
    const int kind = g.below(100);
    if (kind < 30) {
      const Name s = g.section(), k = g.key(), d = g.defaultText();
      const unsigned n = size();
      what = "read [" + *s + "] " + *k + " default " + (d ? "'" + *d + "'" : "null") + " size " +
             std::to_string(n);
      systemResult = pair.systemString(s, k, d, n);
      ourResult = pair.ourString(s, k, d, n);
    } else if (kind < 38) {
      const Name s = g.chance(80) ? Name(g.section()) : std::nullopt;
      const Name d = g.defaultText();
      const unsigned n = size();
      what = "list keys of " + s.value_or("(null)") + " size " + std::to_string(n);
      systemResult = pair.systemString(s, std::nullopt, d, n);
      ourResult = pair.ourString(s, std::nullopt, d, n);
    } else if (kind < 44) {
      const unsigned n = size();
      what = "section names size " + std::to_string(n);
      systemResult = pair.systemNames(n);
      ourResult = pair.ourNames(n);
    } else if (kind < 52) {
      const Name s = g.section(), k = g.key();
      const std::int32_t d = g.below(3) - 1;
      what = "read integer [" + *s + "] " + *k;
      systemResult = std::to_string(pair.systemInt(s, k, d));
      ourResult = std::to_string(pair.ourInt(s, k, d));
    } else if (kind < 88) {
      const Name s = g.section(), k = g.key(), v = g.value();
      what = "write [" + *s + "] " + *k + "=" + v->substr(0, 40);
      systemResult = pair.systemWrite(s, k, v) ? "true" : "false";
      pair.ourWrite(s, k, v);
      ourResult = "true";
    } else if (kind < 96) {
      const Name s = g.section(), k = g.key();
      what = "delete [" + *s + "] " + *k;
      systemResult = pair.systemWrite(s, k, std::nullopt) ? "true" : "false";
      pair.ourWrite(s, k, std::nullopt);
      ourResult = "true";
    } else {
      const Name s = g.section();
      what = "delete section [" + *s + "]";
      systemResult = pair.systemWrite(s, std::nullopt, ""s) ? "true" : "false";
      pair.ourWrite(s, std::nullopt, ""s);
      ourResult = "true";
    }
    ++tally.operations;

    const std::string systemFile = pair.systemFile(), ourFile = pair.ourFile();
    const std::string where = "scenario " + std::to_string(scenario) + " operation " +
                              std::to_string(op) + ": " + what + "\n--- start\n" +
                              visible(start.value_or("(no file)")) + "\n--- system file\n" +
                              visible(systemFile) + "\n--- our file\n" + visible(ourFile);
    ASSERT_TRUE(systemResult == ourResult) << "results differ\n--- system\n"
                                           << visible(systemResult) << "\n--- ours\n"
                                           << visible(ourResult) << "\n"
                                           << where;
    ASSERT_TRUE(normalForm(systemFile, encoding) == normalForm(ourFile, encoding))
        << "files differ\n"
        << where;
    // While our file is in the system's own form (values written with trailing blanks take it
    // out of it), it must be the system's file byte for byte.
    if (canonical && normalForm(ourFile, encoding) == ourFile) {
      ASSERT_TRUE(systemFile == ourFile) << "files differ in their bytes\n" << where;
      ++tally.byteForByte;
    }
  }
}

TEST(ProfileDifferential, AgreesWithTheSystemThroughThousandsOfOperations) {
  const test::ScratchFolder scratch("qb_profile_diff");
  const std::string file = scratch / "profile.ini";
  Tally tally;
  for (unsigned seed : {1u, 2u, 3u, 20160416u}) {
    Generator g(seed);
    for (int scenario = 0; scenario < 30; ++scenario) {
      SCOPED_TRACE("seed " + std::to_string(seed));
      runScenario(g, file, scenario, scenario % 2 == 0, Encoding::kAnsi, 30, tally);
      if (HasFatalFailure()) return;
    }
  }
  EXPECT_GE(tally.operations, 3000);
  EXPECT_GE(tally.byteForByte, 1000);
  std::printf("%d operations, %d of them with both files compared byte for byte\n",
              tally.operations, tally.byteForByte);
}

TEST(ProfileDifferential, AgreesOnUnicodeFiles) {
  const test::ScratchFolder scratch("qb_profile_unicode");
  const std::string file = scratch / "profile.ini";
  const std::pair<Encoding, const char*> encodings[] = {{Encoding::kUtf16Le, "UTF-16LE"},
                                                        {Encoding::kUtf16Be, "UTF-16BE"},
                                                        {Encoding::kUtf8, "UTF-8"}};
  for (const auto& [encoding, label] : encodings) {
    Tally tally;
    for (unsigned seed : {4u, 20160416u}) {
      Generator g(seed);
      for (int scenario = 0; scenario < 30; ++scenario) {
        SCOPED_TRACE(std::string(label) + " seed " + std::to_string(seed));
        runScenario(g, file, scenario, scenario % 2 == 0, encoding, 30, tally);
        if (HasFatalFailure()) return;
      }
    }
    EXPECT_GE(tally.operations, 1800);
    EXPECT_GE(tally.byteForByte, 500);
    std::printf("%s: %d operations, %d of them with both files compared byte for byte\n", label,
                tally.operations, tally.byteForByte);
  }
}

TEST(ProfileDifferential, KnownDifferences) {
  const test::ScratchFolder scratch("qb_profile_known");
  const std::string file = scratch / "profile.ini";
  {  // 1. untouched lines
    Pair p(file, "; note\n\n[a]\n  x = 1  \n"s);
    p.systemWrite("a"s, "y"s, "2"s);
    p.ourWrite("a"s, "y"s, "2"s);
    EXPECT_EQ(p.systemFile(), "; note\r\n[a]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(p.ourFile(), "; note\n\n[a]\n  x = 1  \ny=2\n");
  }
  {  // 2. a default of blanks only
    Pair p(file, ""s);
    EXPECT_EQ(p.systemString("a"s, "b"s, "   "s, 4095), " ");
    EXPECT_EQ(p.ourString("a"s, "b"s, "   "s, 4095), "");
  }
  {  // 3. the integer read
    Pair p(file, "[n]\r\nh=0x10\r\nlong=" + std::string(29, '0') + "12\r\n");
    EXPECT_EQ(p.systemInt("n"s, "h"s, 0), 16);
    EXPECT_EQ(p.ourInt("n"s, "h"s, 0), 0);
    EXPECT_EQ(p.systemInt("n"s, "long"s, 0), 0);
    EXPECT_EQ(p.ourInt("n"s, "long"s, 0), 12);
  }
  {  // 4. names with blanks around them
    Pair p(file, "[a]\r\nk=1\r\n"s);
    p.systemWrite("new  "s, "key  "s, "v"s);
    p.ourWrite("new  "s, "key  "s, "v"s);
    EXPECT_EQ(p.systemFile(), "[a]\r\nk=1\r\n[new  ]\r\nkey  =v\r\n");
    EXPECT_EQ(p.ourFile(), "[a]\r\nk=1\r\n[new]\r\nkey=v\r\n");
    p.systemWrite("a"s, " k"s, std::nullopt);
    p.ourWrite("a"s, " k"s, std::nullopt);
    EXPECT_EQ(p.systemString("a"s, "k"s, "gone"s, 4095), "1");
    EXPECT_EQ(p.ourString("a"s, "k"s, "gone"s, 4095), "gone");
  }
  {  // 5. the 8-bit text (the file's bytes handed to both sides as they are)
    Pair p(file, "\xEF\xBB\xBF[a]\r\nk=\xC3\xA9\r\n"s);
    EXPECT_EQ(p.systemString("a"s, "k"s, "d"s, 4095), "\xE9");
    EXPECT_EQ(p.ourString("a"s, "k"s, "d"s, 4095), "\xC3\xA9");
  }
  {  // 6. a cut value in a Unicode file
    Pair p(file, "[a]\r\nk=\xE9\xE9\xE9\xE9\r\n"s, Encoding::kUtf16Le);
    EXPECT_EQ(p.systemString("a"s, "k"s, "d"s, 3), "\xE9\xE9");
    EXPECT_EQ(p.ourString("a"s, "k"s, "d"s, 3), "\xE9");
  }
  {  // 7. a character outside the code page and an unpaired surrogate
    const std::string start = utf16le(u"[a]\r\nk=\u4e2d\r\nm=x\xD800\r\n");
    Pair p(file, start);
    EXPECT_EQ(p.systemString("a"s, "k"s, "d"s, 4095), "?");
    EXPECT_EQ(p.ourString("a"s, "k"s, "d"s, 4095), "\xE4\xB8\xAD");
    EXPECT_EQ(p.systemString("a"s, "m"s, "d"s, 4095), "x?");
    EXPECT_EQ(p.ourString("a"s, "m"s, "d"s, 4095), "x\xED\xA0\x80");
    p.systemWrite("a"s, "z"s, "1"s);
    p.ourWrite("a"s, "z"s, "1"s);
    EXPECT_EQ(p.systemFile(), start + utf16le(u"z=1\r\n").substr(2));
    EXPECT_EQ(p.ourFile(), p.systemFile());
  }
  {  // 8. an odd last byte
    Pair p(file, utf16le(u"[a]\r\nk=1\r\n") + "Z");
    p.systemWrite("a"s, "j"s, "2"s);
    p.ourWrite("a"s, "j"s, "2"s);
    EXPECT_EQ(p.systemFile().size() % 2, 0u);
    EXPECT_EQ(p.ourFile(), utf16le(u"[a]\r\nk=1\r\nj=2\r\n") + "Z");
  }
}

// Not a difference: a file another program holds reads as an empty one on either side, and our
// read says why, whether our engine or the system's function reads that file. A write fails,
// saying why, and leaves the file as it was.
TEST(ProfileDifferential, AHeldFileCountsAsAFailedReadAndWrite) {
  const test::ScratchFolder scratch("qb_profile_held");
  const std::string file = scratch / "backup.ini";
  for (const std::string& folder : {"D:\\Respaldos"s, "D:\\A\xC3\xB1o"s}) {  // ANSI, UTF-8
    const std::string start = "[CONFIG]\r\nprincipal.data=" + folder + "\r\n";
    test::writeFile(file, start);
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string unreadable, again = "?", none = "?";
    EXPECT_EQ(readProfileString("CONFIG"s, "principal.data"s, ""s, 4095, file, &unreadable), "");
    EXPECT_EQ(unreadable, systemWords(ERROR_SHARING_VIOLATION)) << folder;
    const Outcome written = writeProfileString("RESULT"s, "lastrun"s, "x"s, file);
    EXPECT_FALSE(written) << folder;
    EXPECT_EQ(written.why, systemWords(ERROR_SHARING_VIOLATION)) << folder;
    CloseHandle(held);
    EXPECT_EQ(readFile(file), start) << folder;
    EXPECT_NE(readProfileString("CONFIG"s, "principal.data"s, ""s, 4095, file, &again), "");
    EXPECT_EQ(readProfileString("CONFIG"s, "principal.data"s, "d"s, 4095, file + ".none", &none),
              "d");
    EXPECT_EQ(again + none, "") << folder;
  }
}

}  // namespace
}  // namespace qb::platform
