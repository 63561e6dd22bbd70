// Calling convention of the library's exports. The decoders and CisDescribe are
// portable code: the same functions are exported by tupview32.dll and called
// directly by the native tests.
#pragma once

#if defined(_WIN32)
#define CIS_API __stdcall
#else
#define CIS_API
#endif
