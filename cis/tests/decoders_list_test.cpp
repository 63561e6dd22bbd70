// String lists and device lists from tuple data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decoders.h"

namespace cis {
namespace {

TEST(StringList, CountsStringsUpToTheEndMark) {
  char data[] = {'a', 'b', 'c', 0, 'd', 'e', 'f', '\xFF', 'x', 0};
  char* strings[4] = {};
  EXPECT_EQ(CisStrList(strings, 4, data, sizeof data, 0), 2u);
  EXPECT_STREQ(strings[0], "abc");
  EXPECT_STREQ(strings[1], "def");  // the 0xFF became its terminator
  EXPECT_EQ(data[7], 0);
}

TEST(StringList, LimitsEmptyStringsAndCutOffs) {
  char data[] = {0, 'a', 0, 'b', 0, 'c', 'd'};
  char* strings[8] = {};
  EXPECT_EQ(CisStrList(strings, 0, data, sizeof data, 0), 0u);
  EXPECT_EQ(CisStrList(strings, 2, data, sizeof data, 0), 2u);
  EXPECT_STREQ(strings[0], "");
  EXPECT_STREQ(strings[1], "a");
  // "cd" runs into the end without a terminator: not counted.
  EXPECT_EQ(CisStrList(strings, 8, data, sizeof data, 0), 3u);
  EXPECT_EQ(CisStrList(strings, 8, data, sizeof data, 3), 1u);
  EXPECT_STREQ(strings[0], "b");
  char endMark[] = {'\xFF', 'a', 0};
  EXPECT_EQ(CisStrList(strings, 8, endMark, sizeof endMark, 0), 0u);
}

CisTupleRecord record(std::initializer_list<uint8_t> bytes) {
  CisTupleRecord r;
  std::memset(&r, 0xCC, sizeof r);
  r.dataLength = static_cast<uint16_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), r.data);
  return r;
}

TEST(DeviceList, DecodesDevicesAndExtensionBytes) {
  CisDeviceInfo devices[4];
  // SRAM 100 ns 1 KB; then flash with an extended speed (two bytes) and write protect; then end.
  CisTupleRecord r = record({0x64, 0x08, 0x5F, 0x92, 0x12, 0x0E, 0xFF});
  ASSERT_EQ(CisDecodeDevice(devices, 0x01, &r, 4), 2u);
  CisDeviceInfo first = devices[0], second = devices[1];
  EXPECT_EQ(first.typeCode, 6);
  EXPECT_EQ(first.speedCode, 4);
  EXPECT_EQ(+first.writeProtect, 0u);
  EXPECT_EQ(+first.size, 1024u);
  EXPECT_EQ(second.typeCode, 5);
  EXPECT_EQ(+second.writeProtect, 1u);
  EXPECT_EQ(second.speedCode, 7);
  EXPECT_EQ(second.extendedSpeed, 0x92);
  EXPECT_EQ(+second.size, 4u * 1024 * 1024);
  EXPECT_EQ(devices[2].typeCode, 0);  // cleared

  // Type 14: the size follows the last extended type byte.
  CisTupleRecord extendedType = record({0xE1, 0x81, 0x82, 0x03, 0x08});
  ASSERT_EQ(CisDecodeDevice(devices, 0x17, &extendedType, 4), 1u);
  CisDeviceInfo device = devices[0];
  EXPECT_EQ(+device.size, 1024u);

  CisTupleRecord none = record({0xFF, 0x64, 0x08});
  EXPECT_EQ(CisDecodeDevice(devices, 0x01, &none, 4), 0u);
  CisTupleRecord wrongCode = record({0x64, 0x08});
  EXPECT_EQ(CisDecodeDevice(devices, 0x15, &wrongCode, 4), 0u);
  // The size byte missing: the device does not count.
  CisTupleRecord cut = record({0x64, 0x08, 0x64});
  EXPECT_EQ(CisDecodeDevice(devices, 0x01, &cut, 4), 1u);
}

TEST(DeviceList, OtherConditionsAndLimits) {
  CisDeviceInfo devices[2];
  // Two other-conditions bytes (3.3 V with wait, then 5 V), three devices, room for two.
  CisTupleRecord r = record({0x83, 0x00, 0x64, 0x08, 0x64, 0x10, 0x64, 0x18});
  ASSERT_EQ(CisDecodeDevice(devices, 0x1C, &r, 2), 2u);
  CisDeviceInfo a = devices[0], b = devices[1];
  EXPECT_EQ(+a.hasOtherConditions, 1u);
  EXPECT_EQ(a.waitSignal, 1);
  EXPECT_EQ(a.vccCode, 1);
  EXPECT_EQ(+b.hasOtherConditions, 1u);
  EXPECT_EQ(b.vccCode, 0);
  EXPECT_EQ(+b.size, 1536u);
  // More other-conditions bytes than records: the extra ones are skipped.
  CisTupleRecord many = record({0x81, 0x83, 0x02, 0x64, 0x08});
  ASSERT_EQ(CisDecodeDevice(devices, 0x1D, &many, 2), 1u);
  CisDeviceInfo only = devices[0];
  EXPECT_EQ(only.typeCode, 6);
  CisTupleRecord noDevice = record({0x83});
  EXPECT_EQ(CisDecodeDevice(devices, 0x1C, &noDevice, 2), 0u);
  // A length beyond the record's 256 data bytes reads no further than them.
  CisTupleRecord big = record({});
  std::memset(big.data, 0x64, sizeof big.data);
  big.dataLength = 0xFFFF;
  EXPECT_EQ(CisDecodeDevice(devices, 0x01, &big, 2), 2u);
  EXPECT_EQ(CisDecodeDevice(devices, 0x01, nullptr, 2), 0u);
}

}  // namespace
}  // namespace cis
