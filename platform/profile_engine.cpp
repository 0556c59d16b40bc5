#include "platform/profile_engine.h"

#include <algorithm>

#include "platform/utf16.h"

namespace qb::platform {

namespace {

constexpr auto npos = std::string::npos;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a' || c == '\r' || c == '\n';
}

std::string trimmed(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

// A value (or a default) as a buffer of `size` characters receives it: one pair of enclosing
// quotes dropped, cut to size - 1 characters. When the text only just fits, dropping the closing
// quote takes the last character copied with it, as the system's functions do.
std::string copyEntry(const std::string& value, unsigned size) {
  std::string_view v = value;
  char quote = 0;
  if (v.size() > 1 && (v.front() == '\'' || v.front() == '"') && v.back() == v.front()) {
    quote = v.front();
    v.remove_prefix(1);
  }
  std::string out(v.substr(0, size - 1));
  if (quote && size >= v.size() && !out.empty()) out.pop_back();
  return out;
}

}  // namespace

ProfileDocument::ProfileDocument(std::string bytes) : bytes_(std::move(bytes)) {
  parse();
}

void ProfileDocument::parse() {
  lines_.clear();
  sections_.clear();
  decode();
  sections_.push_back({"", npos, 0, 0});
  bool emptyNameBefore = false;  // the section's previous entry had an empty name
  for (std::size_t pos = 0; pos < text_.size();) {
    Line line;
    line.begin = pos;
    line.end = std::min(text_.find_first_of("\r\n", pos), text_.size());
    line.next = line.end;
    if (line.next < text_.size()) {
      line.next +=
          text_[line.next] == '\r' && line.next + 1 < text_.size() && text_[line.next + 1] == '\n'
              ? 2
              : 1;
    }
    pos = line.next;

    std::size_t b = line.begin, e = line.end;
    while (b < e && isBlank(text_[b])) ++b;
    while (e > b && isBlank(text_[e - 1])) --e;
    const std::string_view text(text_.data() + b, e - b);
    const auto close = text.rfind(']');
    if (text.empty()) {
      line.kind = Kind::kBlank;
    } else if (text.front() == '[' && close != npos) {
      line.kind = Kind::kHeader;
      line.name = trimmed(std::string(text.substr(1, close - 1)));
      sections_.back().last = lines_.size();
      sections_.push_back({line.name, lines_.size(), lines_.size() + 1, 0});
      emptyNameBefore = false;
    } else {
      const auto eq = text.find('=');
      line.kind = Kind::kEntry;
      if (eq == npos) {
        line.name = std::string(text);
      } else {
        line.name = trimmed(std::string(text.substr(0, eq)));
        line.value = trimmed(std::string(text.substr(eq + 1)));
      }
      line.nameEnd = b + line.name.size();
      if (line.name.empty() && emptyNameBefore) line.kind = Kind::kIgnored;
      emptyNameBefore = line.name.empty();
    }
    lines_.push_back(std::move(line));
  }
  sections_.back().last = lines_.size();
}

const ProfileDocument::SectionSpan* ProfileDocument::findSection(const std::string& name) const {
  for (const auto& s : sections_) {
    if (sameName(s.name, name)) return &s;
  }
  return nullptr;
}

std::size_t ProfileDocument::findEntry(const SectionSpan& section, const std::string& key) const {
  for (std::size_t i = section.first; i < section.last; ++i) {
    if (lines_[i].kind == Kind::kEntry && sameName(lines_[i].name, key)) return i;
  }
  return npos;
}

std::string ProfileDocument::lineEnding() const {
  for (const auto& line : lines_) {
    if (line.next > line.end) return text_.substr(line.end, line.next - line.end);
  }
  return "\r\n";
}

void ProfileDocument::decode() {
  unitOf_.clear();
  if (bytes_.starts_with("\xFF\xFE") || bytes_.starts_with("\xFE\xFF")) {
    encoding_ = bytes_[0] == '\xFF' ? Encoding::kUtf16Le : Encoding::kUtf16Be;
    start_ = 2;
    const bool big = encoding_ == Encoding::kUtf16Be;
    std::u16string units((bytes_.size() - start_) / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
      const auto first = static_cast<unsigned char>(bytes_[start_ + 2 * i]);
      const auto second = static_cast<unsigned char>(bytes_[start_ + 2 * i + 1]);
      units[i] = static_cast<char16_t>(big ? first << 8 | second : second << 8 | first);
    }
    text_ = textFromUtf16(units, &unitOf_);
  } else {
    encoding_ = Encoding::kBytes;
    start_ = bytes_.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    text_ = bytes_.substr(start_);
  }
}

std::size_t ProfileDocument::fileOffset(std::size_t at) const {
  return start_ + (encoding_ == Encoding::kBytes ? at : 2 * unitOf_[at]);
}

std::string ProfileDocument::encoded(const std::string& text) const {
  if (encoding_ == Encoding::kBytes) return text;
  std::string out;
  for (const char16_t unit : utf16FromText(text)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += encoding_ == Encoding::kUtf16Be ? high : low;
    out += encoding_ == Encoding::kUtf16Be ? low : high;
  }
  return out;
}

void ProfileDocument::splice(std::size_t from, std::size_t to, const std::string& bytes) {
  const std::size_t at = fileOffset(from);
  bytes_.replace(at, fileOffset(to) - at, bytes);
  parse();
}

void ProfileDocument::replace(std::size_t from, std::size_t to, const std::string& text) {
  splice(from, to, encoded(text));
}

std::string ProfileDocument::getString(const Name& section, const Name& key,
                                       const Name& defaultText, unsigned size) const {
  if (size == 0) return "";
  if (!section) return sectionNames(size);
  const std::string def = defaultText.value_or("");

  const SectionSpan* span = findSection(trimmed(*section));
  if (key) {
    const std::size_t at = span ? findEntry(*span, trimmed(*key)) : npos;
    if (at != npos && lines_[at].value) return copyEntry(*lines_[at].value, size);
    // Trailing blanks of the default go (only here, not for the lists below).
    return copyEntry(def.substr(0, def.find_last_not_of(' ') + 1), size);
  }

  // The key names of the section, each followed by a NUL; a list that does not fit is cut, its
  // last name shortened, with the count two short of the size.
  std::string buffer(size, '\0');
  std::size_t len = size, pos = 0;
  unsigned count = 0;
  if (span && size > 2) {
    for (std::size_t i = span->first; i < span->last && len > 2; ++i) {
      const Line& line = lines_[i];
      if (line.kind != Kind::kEntry || line.name.starts_with(';') || !line.value) continue;
      const std::size_t n = std::min(line.name.size(), len - 2);
      buffer.replace(pos, n, line.name, 0, n);
      pos += n + 1;
      len -= n + 1;
      if (len < 2) break;
    }
    count = static_cast<unsigned>(len <= 1 ? size - 2 : size - len);
  }
  if (count == 0 || buffer[0] == '\0') return copyEntry(def, size);
  return buffer.substr(0, count);
}

std::int32_t ProfileDocument::getInt(const Name& section, const Name& key,
                                     std::int32_t defaultValue) const {
  const std::string text =
      getString(section, key, std::string(), static_cast<unsigned>(text_.size() + 2));
  if (text.empty() || text[0] == '\0') return defaultValue;
  // Control characters and blanks, a sign, decimal digits; whatever follows is ignored and the
  // number wraps around at 32 bits.
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool minus = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) minus = text[i++] == '-';
  std::uint32_t total = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    total = total * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  return static_cast<std::int32_t>(minus ? 0u - total : total);
}

std::string ProfileDocument::sectionNames(unsigned size) const {
  if (size <= 1) return "";
  std::string out;
  std::size_t room = size - 1;
  for (const auto& s : sections_) {
    if (s.name.empty()) continue;
    if (s.name.size() + 1 >= room) {
      out.append(s.name, 0, room - 1);
      return out;  // cut: the count leaves out the NUL after the shortened name
    }
    out += s.name;
    out += '\0';
    room -= s.name.size() + 1;
  }
  return out;
}

bool ProfileDocument::write(const Name& section, const Name& key, const Name& value) {
  if (!section) return false;
  const std::string name = trimmed(*section);
  if (!key) return deleteSection(name);
  if (!value) return deleteEntry(name, trimmed(*key));
  std::size_t b = 0;
  while (b < value->size() && isBlank((*value)[b])) ++b;
  return setValue(name, trimmed(*key), value->substr(b));
}

bool ProfileDocument::setValue(const std::string& section, const std::string& key,
                               const std::string& value) {
  const std::string eol = lineEnding();
  const SectionSpan* span = findSection(section);
  if (!span) {
    const bool open = !lines_.empty() && lines_.back().next == lines_.back().end;
    replace(text_.size(), text_.size(),
            (open ? eol : "") + "[" + section + "]" + eol + key + "=" + value + eol);
    return true;
  }
  if (const std::size_t at = findEntry(*span, key); at != npos) {
    const Line& line = lines_[at];
    if (line.value == value) return false;
    // The name keeps its bytes in the file, also those that are not text.
    const std::size_t nameFrom = fileOffset(line.nameEnd - line.name.size());
    const std::string name = bytes_.substr(nameFrom, fileOffset(line.nameEnd) - nameFrom);
    splice(line.begin, line.end, name + encoded("=" + value));
    return true;
  }
  // After the section's last non-blank line, or at the top for a nameless section without any.
  std::size_t after = span->last;
  const std::size_t from = span->header == npos ? span->first : span->header;
  while (after > from && lines_[after - 1].kind == Kind::kBlank) --after;
  if (after == from) {
    replace(0, 0, key + "=" + value + eol);
    return true;
  }
  const Line& line = lines_[after - 1];
  replace(line.next, line.next, (line.next == line.end ? eol : "") + key + "=" + value + eol);
  return true;
}

bool ProfileDocument::deleteEntry(const std::string& section, const std::string& key) {
  // Every section of that name is searched, not only the first.
  for (const auto& span : sections_) {
    if (!sameName(span.name, section)) continue;
    if (const std::size_t at = findEntry(span, key); at != npos) {
      replace(lines_[at].begin, lines_[at].next, "");
      return true;
    }
  }
  return false;
}

bool ProfileDocument::deleteSection(const std::string& section) {
  const SectionSpan* span = findSection(section);
  if (!span) return false;
  const std::size_t from = span->header == npos ? span->first : span->header;
  if (from == span->last) return false;
  replace(lines_[from].begin, lines_[span->last - 1].next, "");
  return true;
}

std::vector<ProfileDocument::Section> ProfileDocument::sections() const {
  std::vector<Section> out;
  for (const auto& span : sections_) {
    Section s{span.name, span.header != npos, {}};
    for (std::size_t i = span.first; i < span.last; ++i) {
      if (lines_[i].kind == Kind::kEntry) s.entries.push_back({lines_[i].name, lines_[i].value});
    }
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace qb::platform
