// Fuzz target for everything that parses tuple data: the input is one
// 276-byte tuple record (shorter inputs are padded with zeros), whatever its
// code, function code and claimed data length. The record sits in a heap block
// of exactly its size, so any read past its 256 data bytes is caught.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "decode.h"
#include "decoders.h"
#include "describe.h"
#include "tuple_list.h"
#include "viewer_text.h"

using cis::CisTupleRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto record = std::make_unique<CisTupleRecord>();
  std::memset(record.get(), 0, sizeof(CisTupleRecord));
  if (data) std::memcpy(record.get(), data, std::min(size, sizeof(CisTupleRecord)));

  // What the library shows for the record, and every viewer's rules on it.
  cis::ViewerText shown = cis::buildViewerText(*record);
  for (int viewer = 0; viewer <= static_cast<int>(cis::Viewer::Org); ++viewer)
    cis::buildViewer(static_cast<cis::Viewer>(viewer), *record);
  for (int fe = 0; fe <= static_cast<int>(cis::FeViewer::DiskAta); ++fe)
    cis::buildFeViewer(static_cast<cis::FeViewer>(fe), *record);

  // The description, whole and cut at a length taken from the input.
  unsigned needed = CisDescribe(record.get(), nullptr, 0);
  std::vector<char> text(needed);
  CisDescribe(record.get(), text.data(), needed);
  unsigned cut = size > 0 ? data[0] % (needed + 1) : 0;
  std::vector<char> small(cut + 1);
  CisDescribe(record.get(), small.data(), cut);

  // The list scans of the exported decoders.
  cis::CisDeviceInfo devices[4];
  for (unsigned code : {0x01u, 0x17u, 0x1Cu, 0x1Du}) CisDecodeDevice(devices, code, record.get(), 4);
  std::vector<char> copy(record->data, record->data + cis::kTupleDataCapacity);
  char* strings[8];
  unsigned end = std::min<unsigned>(record->dataLength, cis::kTupleDataCapacity);
  CisStrList(strings, 8, copy.data(), end, record->requestedCode % (end + 1));

  // The list dialog's copies: function codes carried from 0x21 to 0x22.
  const cis::CisTupleEntry entries[] = {
      {0x21, record.get()}, {record->requestedCode, record.get()}, {0x22, nullptr}};
  for (auto& c : cis::prepareTupleCopies(entries, 3)) cis::buildViewerText(*c);
  return 0;
}
