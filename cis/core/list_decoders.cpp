// String lists and device lists inside tuple data. Both scan data that came
// from a card, so every read is bounded by the end the caller gives.
#include <algorithm>
#include <cstring>

#include "decode.h"
#include "decoders.h"
#include "export_guard.h"

namespace cis {

unsigned scanStrings(uint8_t* buffer, unsigned end, unsigned start, unsigned maxCount, unsigned* offsets) {
  if (maxCount == 0 || !buffer) return 0;
  unsigned count = 0;
  unsigned position = start;
  while (position < end && buffer[position] != 0xFF) {
    if (offsets) offsets[count] = position;
    while (position < end && buffer[position] != 0 && buffer[position] != 0xFF) ++position;
    if (position >= end) break;  // cut off by the end: not a string
    if (buffer[position] == 0xFF) {
      buffer[position] = 0;  // the end mark terminates the last string
      ++count;
      break;
    }
    ++position;  // over the NUL
    if (++count == maxCount) break;
  }
  return count;
}

std::vector<std::string> readStrings(const uint8_t* data, unsigned end, unsigned start, unsigned maxCount) {
  std::vector<std::string> strings;
  if (!data || start >= end || maxCount == 0) return strings;
  std::vector<uint8_t> copy(data, data + end);
  std::vector<unsigned> offsets(maxCount);
  unsigned count = scanStrings(copy.data(), end, start, maxCount, offsets.data());
  for (unsigned i = 0; i < count; ++i)
    strings.emplace_back(reinterpret_cast<const char*>(copy.data() + offsets[i]));
  return strings;
}

unsigned decodeDevices(unsigned code, const uint8_t* data, unsigned length, CisDeviceInfo* devices,
                       unsigned maxCount) {
  if (!devices || maxCount == 0) return 0;
  std::memset(devices, 0, sizeof(CisDeviceInfo) * maxCount);
  if (!data) return 0;
  length = std::min(length, kTupleDataCapacity);
  unsigned position = 0;
  if (code == 0x1C || code == 0x1D) {
    // Other-conditions bytes, one per device entry while bit 7 says another follows.
    unsigned entry = 0;
    for (;;) {
      if (position >= length) return 0;
      uint8_t byte = data[position++];
      if (entry < maxCount) {
        devices[entry].hasOtherConditions = 1;
        devices[entry].waitSignal = byte & 1;
        devices[entry].vccCode = (byte >> 1) & 3;
        ++entry;
      }
      // Extension bytes beyond the last record are skipped, not taken for device identifiers.
      if (!(byte & 0x80)) break;
    }
  } else if (code != 0x01 && code != 0x17) {
    return 0;
  }

  auto skipExtensions = [&](unsigned& at) {
    while (at < length) {
      if (!(data[at++] & 0x80)) return true;
    }
    return false;
  };

  unsigned count = 0;
  while (count < maxCount && position < length) {
    uint8_t id = data[position++];
    if (id == 0xFF) break;
    CisDeviceInfo& device = devices[count];
    device.writeProtect = (id >> 3) & 1;
    device.typeCode = id >> 4;
    device.speedCode = id & 7;
    if (device.speedCode == 7) {
      if (position >= length) break;
      device.extendedSpeed = data[position];
      if (!skipExtensions(position)) break;
    }
    if (device.typeCode == 14 && !skipExtensions(position)) break;
    if (position >= length) break;
    uint32_t size = deviceSize(data[position++]);
    std::memcpy(&device.size, &size, sizeof size);
    ++count;
  }
  return count;
}

}  // namespace cis

extern "C" {

unsigned CIS_API CisStrList(char** strings, unsigned maxCount, char* buffer, unsigned end, unsigned start) {
  return cis::guardValue<unsigned>(0, [&]() -> unsigned {
    if (!buffer || maxCount == 0) return 0;
    std::vector<unsigned> offsets(maxCount);
    unsigned count =
        cis::scanStrings(reinterpret_cast<uint8_t*>(buffer), end, start, maxCount, offsets.data());
    if (strings)
      for (unsigned i = 0; i < count; ++i) strings[i] = buffer + offsets[i];
    return count;
  });
}

unsigned CIS_API CisDecodeDevice(cis::CisDeviceInfo* devices, unsigned code,
                                 const cis::CisTupleRecord* record, unsigned maxCount) {
  return cis::guardValue<unsigned>(0, [&]() -> unsigned {
    if (!record) {
      if (devices && maxCount) std::memset(devices, 0, sizeof(cis::CisDeviceInfo) * maxCount);
      return 0;
    }
    return cis::decodeDevices(code, record->data, record->dataLength, devices, maxCount);
  });
}

}  // extern "C"
