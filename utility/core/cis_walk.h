// The card's Card Information Structure as the CIS library takes it: the
// tuple chain walked with ordinary card reads, first in attribute memory
// (where only even addresses carry CIS bytes), then behind a link target at
// the start of common memory, each tuple copied into the library's record.
// The card window hands the list to the library's display; the command-line
// tool gives the same records to its text description.
#pragma once

#include <cstdint>
#include <vector>

#include "card_access.h"
#include "cis_records.h"

namespace tessel {

// A list never holds more tuples than this.
constexpr unsigned kMaxCisTuples = 256;

// The tuples of `socket`, in chain order. Common memory is read in the
// region the socket has selected (the card window selects region 0 first).
// A failed read, a missing CIS or a missing link target ends the walk
// quietly: the list holds what was collected until then.
//
// Each record carries the socket, attribute word 1, requested code 0xFF,
// zeros in the unused bytes, and at offset 12 the absolute address of the
// tuple's code byte in its memory space (an attribute-memory address counts
// every byte, odd ones included): that is the address the card window shows,
// so the checksum viewer, which adds it to the tuple's relative offsets,
// shows a range the user can look up there.
std::vector<cis::CisTupleRecord> readCardCis(CardAccess& access, uint8_t socket);

// The list the CIS library's display takes, pointing into `records`, which
// must outlive it.
std::vector<cis::CisTupleEntry> cisTupleList(const std::vector<cis::CisTupleRecord>& records);

}  // namespace tessel
