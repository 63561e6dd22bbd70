// What a program calls in tupview32.dll: the tuple list display and the
// text description of one tuple. Callers include this header and link the
// CMake target tupview32_import, never the library's own headers.
#pragma once

#include <windows.h>

#include "cis_records.h"

extern "C" {
// Shows the card's tuples of `socket` in a modal list owned by `owner`; the
// caller keeps `entries` (in CIS order) and their records for the call.
void __stdcall CisShow(HWND owner, WORD socket, const cis::CisTupleEntry* entries, unsigned count);
// The decoded tuple as Shift-JIS lines "label: value" (CR LF). Writes at most
// `size` bytes including the terminating zero and returns the size the whole
// text needs; `buffer` may be null to ask for it.
unsigned __stdcall CisDescribe(const cis::CisTupleRecord* record, char* buffer, unsigned size);
}
