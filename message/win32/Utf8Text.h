// Paths travel through Message in UTF-8. Windows takes them in UTF-16, and
// the engine's message box takes text in the ANSI code page.
#pragma once

#include <string>

// The UTF-16 form of UTF-8 text (a file path for the wide API).
std::wstring WideFromUtf8(const std::string& utf8);
// UTF-8 text in the ANSI code page, for display: a character the code page
// lacks shows as '?'.
std::string AnsiFromUtf8(const std::string& utf8);
