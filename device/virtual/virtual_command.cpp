#include "virtual_command.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "big_endian.h"
#include "card_status.h"
#include "device_result.h"
#include "reader_files.h"

namespace zrb2x::virt {
namespace {

constexpr uint32_t kInquiryLength = 36, kSenseLength = 18, kTableLength = 42, kStatusLength = 4;

bool wants(const CommandIo& io, Direction direction, uint32_t count) {
  return io.direction == direction && io.count == count && (count == 0 || io.data);
}

uint32_t handleNothing(Session&, const CommandIo& io) {
  return io.direction == Direction::None ? result::kOk : result::kInvalidField;
}

uint32_t handleInquiry(Session& s, const CommandIo& io) {
  if (io.direction != Direction::In || !io.data || io.count < kInquiryLength) return result::kInvalidField;
  uint8_t* d = io.data;
  std::memset(d, 0, io.count);
  d[1] = 0x80;  // removable medium
  d[2] = 2;
  d[3] = 2;
  d[4] = kInquiryLength - 5;
  std::memcpy(d + 8, "VELMO   ", 8);
  std::memset(d + 16, ' ', 16);
  std::memcpy(d + 16, s.state.product.data(), std::min<size_t>(s.state.product.size(), 16));
  std::memcpy(d + 32, s.state.revision.data(), 4);
  return result::kOk;
}

uint32_t handleRequestSense(Session& s, const CommandIo& io) {
  if (!wants(io, Direction::In, kSenseLength)) return result::kInvalidField;
  std::memset(io.data, 0, kSenseLength);
  io.data[0] = 0x70;
  io.data[2] = static_cast<uint8_t>(s.state.lastSense & 0x0F);
  io.data[7] = kSenseLength - 8;
  io.data[12] = static_cast<uint8_t>(s.state.lastSense >> 24);
  io.data[13] = static_cast<uint8_t>(s.state.lastSense >> 16);
  if (s.state.lastSense) {
    s.state.lastSense = 0;
    s.markChanged();
  }
  return result::kOk;
}

uint32_t handleCardStatus(Session& s, const CommandIo& io) {
  if (!wants(io, Direction::In, kStatusLength)) return result::kInvalidField;
  const ReaderState& st = s.state;
  // An empty slot's battery lines float high.
  uint32_t word = status_bit::kBattery1 | status_bit::kBattery2;
  if (st.cardPresent) {
    if (st.battery == Battery::Low) word &= ~status_bit::kBattery2;
    if (st.battery == Battery::Dead) word = 0;
    if (st.writeProtect) word |= status_bit::kWriteProtect;
    if (st.ready) word |= status_bit::kReady;
    word |= status_bit::kDetect1 | status_bit::kDetect2;
  }
  putLittle32(io.data, word);
  return st.cardPresent ? result::kOk : result::kNotReady;
}

uint32_t handleReadTable(Session& s, const CommandIo& io) {
  if (!wants(io, Direction::In, kTableLength)) return result::kInvalidField;
  std::memcpy(io.data, s.state.regionTable.data(), kTableLength);
  return result::kOk;
}

uint32_t handleWriteTable(Session& s, const CommandIo& io) {
  if (!wants(io, Direction::Out, kTableLength)) return result::kInvalidField;
  if (io.data[0] != kTableLength - 1) return result::kInvalidField;
  std::memcpy(s.state.regionTable.data(), io.data, kTableLength);
  s.markChanged();
  return result::kOk;
}

struct CommandRow {
  uint8_t opcode;
  uint8_t cdbLength;
  bool needsCard;
  bool reportsCardChange;  // inquiry, request sense and status never do
  uint32_t (*handler)(Session&, const CommandIo&);
};

constexpr CommandRow kCommands[] = {
    {0x01, 6, false, true, handleNothing},        {0x03, 6, false, false, handleRequestSense},
    {0x05, 6, true, true, handleWriteTable},      {0x06, 6, true, true, handleReadTable},
    {0x12, 6, false, false, handleInquiry},       {0x13, 6, false, false, handleCardStatus},
    {0x1B, 6, false, true, handleNothing},        {0x20, 10, true, true, handleReadCommon},
    {0x21, 10, true, true, handleErase},          {0x22, 10, true, true, handleWriteCommon},
    {0x24, 10, true, true, handleReadAttribute},  {0x25, 10, true, true, handleReadCapacity},
    {0x26, 10, true, true, handleWriteAttribute}, {0x28, 10, true, true, handleReadSectors},
    {0x2A, 10, true, true, handleWriteSectors},   {0x3B, 10, false, true, handleWriteBuffer},
    {0x3D, 10, true, true, handleNothing},        {0x56, 10, true, true, handleAtaPassThrough},
};

const CommandRow* findCommand(uint8_t opcode) {
  for (const auto& row : kCommands)
    if (row.opcode == opcode) return &row;
  return nullptr;
}

uint32_t dispatch(Session& s, const CommandIo& io) {
  const CommandRow* row = io.cdbLength ? findCommand(io.cdb[0]) : nullptr;
  if (!row) return result::kInvalidOpcode;
  if (io.cdbLength < row->cdbLength) return result::kInvalidField;
  if (row->needsCard && !s.state.cardPresent) return result::kMediumNotPresent;
  if (row->reportsCardChange && s.state.attentionPending && s.state.cardPresent) {
    s.state.attentionPending = false;
    s.markChanged();
    return result::kCardChanged;
  }
  return row->handler(s, io);
}

// Counts the command against the injected faults; returns the result to give
// instead of running it, or 0.
uint32_t injectedFailure(ReaderState& st, bool& changed) {
  if (st.failAfter == 0) return 0;
  changed = true;
  return --st.failAfter == 0 ? (st.failResult ? st.failResult : result::kInternalFailure) : 0;
}

void countTowardsPull(ReaderState& st, bool& changed) {
  if (st.pullAfter == 0) return;
  changed = true;
  if (--st.pullAfter == 0) {
    st.cardPresent = false;
    st.attentionPending = false;
  }
}

}  // namespace

MappedImage* Session::commonImage() {
  if (!common_) common_ = mapImage(folder_ / kCommonImageFile);
  // An image shorter than the card's chips (a hand-edited folder) would let
  // a whole-block erase run past its end: the reader has failed then.
  if (common_ && common_->size() < state.commonSize()) common_.reset();
  return common_.get();
}

MappedImage* Session::attributeImage() {
  if (!attribute_) attribute_ = mapImage(folder_ / kAttributeImageFile);
  return attribute_.get();
}

std::optional<ReaderState> loadReaderState(const std::filesystem::path& folder) {
  std::ifstream in(folder / kDescriptionFile, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return parseReaderState(text.str());
}

bool saveReaderState(const std::filesystem::path& folder, const ReaderState& state) {
  return writeFileInPlace(folder / kDescriptionFile, formatReaderState(state));
}

// The images and lock files are opened without following a link, and the
// firmware image is checked where it is written; what every command opens by
// name is the folder and its description.
bool folderStaysInPlace(const std::filesystem::path& folder) {
  return isLinkFree(folder) && isLinkFree(folder / kDescriptionFile);
}

uint32_t executeVirtualCommand(const std::filesystem::path& folder, const CommandIo& io) {
  // A reader whose folder or files lead elsewhere has failed: nothing of it
  // is read or written.
  if (!folderStaysInPlace(folder)) return result::kInternalFailure;
  auto state = loadReaderState(folder);
  if (!state) return result::kInternalFailure;
  Session session(folder, std::move(*state));
  uint32_t r = injectedFailure(session.state, session.changed);
  if (r == 0) r = dispatch(session, io);
  countTowardsPull(session.state, session.changed);
  if (r != 0 && session.state.lastSense != r) {
    session.state.lastSense = r;
    session.changed = true;
  }
  if (session.changed && !saveReaderState(folder, session.state)) r = result::kInternalFailure;
  // A slow device keeps its lock while the data moves.
  if (session.state.throughput && io.count && r == 0)
    std::this_thread::sleep_for(
        std::chrono::microseconds(uint64_t{io.count} * 1000000 / session.state.throughput));
  return r;
}

}  // namespace zrb2x::virt
