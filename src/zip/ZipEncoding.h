#pragma once

#include "zip/ZipTypes.h"

#include <string>

// Text in this unit is UTF-8 in std::string; these convert it to and from IBM code page 437 bytes.

// The code page 437 bytes of UTF-8 text; characters the code page lacks (and malformed UTF-8) become '?'.
TBytes Utf8ToCodePage437(const std::string &text);

// The UTF-8 text of code page 437 bytes.
std::string CodePage437ToUtf8(const TBytes &bytes);

// True when the bytes form well-formed UTF-8.
bool IsValidUtf8(const std::string &text);

// True when every byte of the text is below 0x80.
bool IsAscii(const std::string &text);
