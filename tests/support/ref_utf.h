// Reference conversions for the tests and fuzz targets, written from the encoding rules alone so
// that they share no code with the library's converters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "quillpen.h"

namespace ref {

using WString = std::basic_string<qp_wchar>;

// The UTF-8 form of one code point; empty above 0x10FFFF.
std::string encodeUtf8(uint32_t codePoint);

// The UTF-8 form of each character of `n` units, one piece per character: a high surrogate
// followed by a low one is one character, any other surrogate is dropped.
std::vector<std::string> utf8Pieces(const qp_wchar* units, size_t n);
std::string joinPieces(const std::vector<std::string>& pieces);

// The UTF-16 units a byte string reads as, one piece per character, up to the first NUL
// or `maxBytes` bytes: a well-formed UTF-8 sequence is one character, any other byte is the
// unit of its value. A sequence that would need bytes past maxBytes ends the text there.
std::vector<WString> utf16Pieces(const std::string& bytes, size_t maxBytes);

}  // namespace ref
