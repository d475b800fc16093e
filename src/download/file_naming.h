#pragma once
#include <string>

namespace tunewell::download {

// The longest file name the file system takes, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// The file extension for an audio address: "." and the lower-cased text
// after the last "." without control characters, however long, or ".mp3"
// when there is no "." or that text could not stand in a file name: it runs
// into a folder separator (an address whose only dot is in its host) or
// alone exceeds kMaxFileNameBytes.
std::string ExtensionFor(const std::string& address);

// The saved file's name: optional "NN." number, the cleaned name without
// dots, and the extension. When the cleaned name is empty and nothing is
// in front of the extension (a title of dots), `fallbackName` (the row's
// display name) is cleaned the same way and used. Never holds a folder
// separator and never exceeds kMaxFileNameBytes (the name, then an
// absurd extension, is cut at a character boundary to fit). It may still
// start with "." when both names are empty: NameAllocator sees to that.
std::string BuildFileName(const std::string& name, const std::string& address, bool numbered,
                          int position, const std::string& fallbackName = {});

// Trims blanks, then keeps characters until their display width (2 for a
// double-byte GBK character, 1 otherwise) reaches `width`.
std::string CutToWidth(const std::string& text, int width);

// The length of the longest prefix of `text` with at most `maxBytes` bytes
// that ends on a UTF-8 character boundary.
std::size_t Utf8PrefixLength(const std::string& text, std::size_t maxBytes);

}  // namespace tunewell::download
