#pragma once
// UTF-16 to and from the program's 8-bit text. Natively that text is the bytes the system takes
// for names, which on Linux are UTF-8: a folder read from a UTF-16 file must name the folder that
// the user sees under that name.
//
// Nothing is lost on the way. A byte of the text that is not part of UTF-8 becomes the unpaired
// surrogate U+DC00 + byte, and that unit alone becomes the byte again. Any other unpaired surrogate
// of the UTF-16 becomes its three-byte UTF-8 form (ED A0 80 for U+D800), which converts back to
// the same unit. So text -> UTF-16 -> text gives back every byte; UTF-16 -> text -> UTF-16 gives
// back every unit, except runs of U+DC80..U+DCFF whose bytes spell UTF-8 (they read as what they
// spell).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qb::platform {

// `from`, when given, receives for every byte of the text the index of the unit it came from,
// and one more entry, units.size().
std::string textFromUtf16(std::u16string_view units, std::vector<std::size_t>* from = nullptr);

std::u16string utf16FromText(std::string_view text);

}  // namespace qb::platform
