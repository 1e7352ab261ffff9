#include "Utf.h"

namespace ferrolink {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point that starts at text[at], and its length in bytes; U+FFFD
// and one byte for a byte that starts no sequence of the shortest form.
char32_t DecodeAt(const std::string& text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  length = 1;
  if (lead < 0x80) return lead;
  size_t count = 0;
  char32_t c = 0, least = 0;
  if ((lead & 0xE0) == 0xC0) {
    count = 1, c = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    count = 2, c = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    count = 3, c = lead & 0x07, least = 0x10000;
  } else {
    return 0xFFFD;
  }
  if (at + count >= text.size()) return 0xFFFD;
  for (size_t i = 1; i <= count; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (c < least || c > 0x10FFFF) return 0xFFFD;
  length = count + 1;
  return c;
}

}  // namespace

std::string Utf8FromUtf16(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, unit);  // an unpaired surrogate as its own three bytes
    }
  }
  return out;
}

std::u16string Utf16FromUtf8(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t length = 1;
    const char32_t c = DecodeAt(text, i, length);
    i += length;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

}  // namespace ferrolink
