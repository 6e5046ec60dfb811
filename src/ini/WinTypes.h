#pragma once

// The few Win32 types the stand-ins for the platform's services keep in their
// signatures, so that callers read as they did on Windows.
#include <cstdint>

using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using LPCSTR = const char*;
using LPSTR = char*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
