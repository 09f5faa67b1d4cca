#pragma once
// Text in settings files, package trailers and the user store is single-byte
// Windows-1252. Inside the program all text is UTF-8; it is converted where it
// is read and converted back where it is written.

#include <string>
#include <string_view>

namespace vantor {

std::string cp1252ToUtf8(std::string_view text);
// Characters that Windows-1252 cannot hold become "?".
std::string utf8ToCp1252(std::string_view text);
bool isValidUtf8(std::string_view text);

}  // namespace vantor
