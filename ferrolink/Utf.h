// The one pair of conversions between the logic's text (UTF-8) and the
// system's (UTF-16). File names on Windows are any sequence of 16-bit units,
// unpaired surrogates included: such a unit travels as the three bytes UTF-8
// would give it, so that every name comes back exactly as it was listed.
#pragma once

#include <string>

namespace ferrolink {

std::string Utf8FromUtf16(const std::u16string& text);

// Bytes that are no UTF-8 each become U+FFFD.
std::u16string Utf16FromUtf8(const std::string& text);

}  // namespace ferrolink
