#pragma once
// printf-style formatting into a string of any length.

#include <string>

namespace kestrove {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
Format(const char* format, ...);

}  // namespace kestrove
