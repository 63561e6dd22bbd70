// Many commands from several users of one virtual reader at once. Every
// command also counts down the reader's pull-after counter, a
// read-modify-write of its description: a lost update shows that two
// commands overlapped.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "in_process_devices.h"

namespace zrb2x::test {

constexpr uint32_t kLoadRounds = 40;
constexpr uint32_t kCommandsPerRound = 2;  // one 64 KiB write, one 64 KiB read
constexpr uint32_t kLoadPiece = 0x10000;

// Writes 64 KiB of one value and reads it back, round after round; a read
// that is not all one value saw another user's write half done.
inline void hammerReader(InProcessDevices& devices, uint8_t seed) {
  std::vector<uint8_t> piece(kLoadPiece), back(kLoadPiece);
  for (uint32_t round = 0; round < kLoadRounds; ++round) {
    std::fill(piece.begin(), piece.end(), static_cast<uint8_t>(seed + round));
    ASSERT_EQ(devices.WriteCommon(0, 0, kLoadPiece, piece.data()), 0u);
    ASSERT_EQ(devices.ReadCommon(0, 0, kLoadPiece, back.data()), 0u);
    for (uint32_t i = 1; i < kLoadPiece; ++i) ASSERT_EQ(back[i], back[0]) << "torn read at " << i;
  }
}

}  // namespace zrb2x::test
