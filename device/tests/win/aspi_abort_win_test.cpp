// The ASPI layer's Win32 side with a manager that completes a request only
// after it was aborted and given up: nothing of the request may land in the
// caller's buffer, which belongs to the caller again once the call returned.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "transport/win32_aspi_system.h"

namespace zrb2x::test {
namespace {

// The fields of the execute request block the manager fills, by offset.
constexpr size_t kStatusAt = 1, kLengthAt = 12, kBufferAt = 16, kEventAt = 24;
constexpr BYTE kExecute = 2;

BYTE* g_pending = nullptr;  // the request the fake manager keeps

DWORD __cdecl keepEveryRequest(void* block) {
  auto* bytes = static_cast<BYTE*>(block);
  if (bytes[0] == kExecute) g_pending = bytes;
  return 0;  // pending; an abort request is accepted and does nothing
}

DWORD __cdecl oneAdapter() { return 0x0101; }

// What a late completion does: status, data, event.
void completeLate() {
  std::memcpy(g_pending + kStatusAt, "\x01", 1);
  DWORD length;
  BYTE* buffer;
  HANDLE event;
  std::memcpy(&length, g_pending + kLengthAt, sizeof length);
  std::memcpy(&buffer, g_pending + kBufferAt, sizeof buffer);
  std::memcpy(&event, g_pending + kEventAt, sizeof event);
  std::memset(buffer, 0xEE, length);
  SetEvent(event);
}

TEST(AspiAbort, ALateCompletionNeverWritesIntoTheCallersBuffer) {
  win::AspiSystem system(keepEveryRequest, oneAdapter);
  ASSERT_TRUE(system.loadManager());
  uint8_t data[64] = {};
  const uint8_t cdb[10] = {0x20, 0, 0, 0, 0, 0, 0, 0, 0, 64};
  os::AspiCommand command;
  command.direction = Direction::In;
  command.cdb = cdb;
  command.cdbLength = 10;
  command.data = data;
  command.count = sizeof data;
  ASSERT_EQ(system.submit(command), os::kAspiPending);
  ASSERT_FALSE(system.waitForCompletion(command, 10));
  system.abort(command);
  ASSERT_NE(g_pending, nullptr);
  completeLate();  // after the caller has given up
  for (uint8_t byte : data) ASSERT_EQ(byte, 0);
}

}  // namespace
}  // namespace zrb2x::test
