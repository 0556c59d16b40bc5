#include "platform/utf16.h"

namespace qb::platform {

namespace {

bool isHigh(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// What the text at `at` stands for, with its code point and length.
enum class Piece {
  kChar,  // a UTF-8 character
  kHigh,  // the three-byte form of an unpaired surrogate
  kLow,
  kByte,  // a byte that is not UTF-8 (also the lead byte of a form of U+DC80..U+DCFF)
};

Piece pieceAt(std::string_view text, std::size_t at, char32_t& cp, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  cp = lead;
  length = 1;
  if (lead < 0x80) return Piece::kChar;
  std::size_t n = 0;
  char32_t least = 0, value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2, least = 0x80, value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3, least = 0x800, value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4, least = 0x10000, value = lead & 0x07;
  } else {
    return Piece::kByte;
  }
  for (std::size_t k = 1; k < n; ++k) {
    const auto next = at + k < text.size() ? static_cast<unsigned char>(text[at + k]) : 0;
    if ((next & 0xC0) != 0x80) return Piece::kByte;
    value = value << 6 | (next & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xDC80 && value <= 0xDCFF)) {
    return Piece::kByte;
  }
  cp = value;
  length = n;
  return isHigh(cp) ? Piece::kHigh : isLow(cp) ? Piece::kLow : Piece::kChar;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string textFromUtf16(std::u16string_view units, std::vector<std::size_t>* from) {
  std::string out;
  for (std::size_t k = 0; k < units.size();) {
    const std::size_t unit = k;
    char32_t u = units[k++];
    if (isHigh(u) && k < units.size() && isLow(units[k])) {
      u = 0x10000 + ((u - 0xD800) << 10) + (units[k++] - 0xDC00);
    }
    if (u >= 0xDC80 && u <= 0xDCFF)
      out += static_cast<char>(u - 0xDC00);  // stands for a byte
    else
      appendUtf8(out, u);
    if (from) from->resize(out.size(), unit);
  }
  if (from) from->push_back(units.size());
  return out;
}

std::u16string utf16FromText(std::string_view text) {
  std::u16string out;
  // A run of unpaired high surrogates that a low unit would follow must not pair with it: its
  // bytes are taken as bytes instead.
  std::size_t runEnd = 0;
  bool runAsBytes = false;
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp;
    std::size_t length;
    Piece piece = pieceAt(text, i, cp, length);
    if (piece == Piece::kHigh) {
      if (i >= runEnd) {
        runEnd = i + 3;
        char32_t next;
        std::size_t n;
        Piece after = Piece::kChar;
        while (runEnd < text.size() && (after = pieceAt(text, runEnd, next, n)) == Piece::kHigh) {
          runEnd += 3;
        }
        runAsBytes = runEnd < text.size() && (after == Piece::kLow || after == Piece::kByte);
      }
      if (runAsBytes) piece = Piece::kByte, cp = static_cast<unsigned char>(text[i]), length = 1;
    }
    if (piece == Piece::kByte) {
      out += static_cast<char16_t>(0xDC00 + cp);
    } else if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += length;
  }
  return out;
}

}  // namespace qb::platform
