// printf-style formatting into a std::string, for file names built from
// patterns such as "%s%03d.obj" without fixed-size buffers.
#pragma once

#include <string>

#if defined(__GNUC__)
#define WB_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define WB_PRINTF(a, b)
#endif

std::string Format(const char* fmt, ...) WB_PRINTF(1, 2);
