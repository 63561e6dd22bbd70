#include "open_dialog.h"

#include <algorithm>

#include "number_entry.h"
#include "result_codes.h"
#include "texts.h"

namespace tessel {
namespace {

constexpr const char* kZeroOffset = "00000000";
constexpr uint32_t kPage = 256;

int clampIndex(int index, const ChoiceList& list) {
  return std::clamp(index, 0, std::max(list.count() - 1, 0));
}

}  // namespace

OpenDialogModel::OpenDialogModel(CardAccess& access) : access_(access) {}

const SocketInfo& OpenDialogModel::info(unsigned socket) const {
  static const SocketInfo kNoCard{};
  const auto& records = access_.sockets().info;
  return socket < records.size() ? records[socket] : kNoCard;
}

uint8_t OpenDialogModel::state(unsigned socket) const {
  return socket < access_.sockets().count ? access_.sockets().state[socket] : 0;
}

void OpenDialogModel::fillArea() {
  unsigned regions =
      attribute_.selected == 1 - static_cast<int>(noCommonMemory_) ? 1 : info(socketIndex_).regionCount;
  area_.fill(numberedItems(text(sid::kRegion), std::max(regions, 1u)), 0);
}

void OpenDialogModel::fillSpaceAndArea() {
  unsigned regions = info(socketIndex_).regionCount;
  noCommonMemory_ = regions == 0;
  std::vector<std::string> spaces;
  if (!noCommonMemory_) spaces.emplace_back(text(sid::kCommon));
  spaces.emplace_back(text(sid::kAttribute));
  attribute_.fill(std::move(spaces), 0);
  area_.fill(numberedItems(text(sid::kRegion), noCommonMemory_ ? 1 : regions), 0);
}

void OpenDialogModel::activate() {
  const SocketTable& table = access_.sockets();
  CurrentSelection& current = access_.selection();
  socket_.fill(numberedItems(text(sid::kSocket), table.count), -1);

  socketIndex_ = current.socket < table.count ? current.socket : 0;
  if (!cardPresent(state(socketIndex_)))
    for (unsigned socket = 0; socket < table.count; ++socket)
      if (cardPresent(state(socket))) {
        socketIndex_ = socket;
        break;
      }
  current.socket = static_cast<uint16_t>(socketIndex_);

  fillSpaceAndArea();
  if (noCommonMemory_) current.space = 0;
  // The remembered region and space come from the card that was there when
  // the dialog last closed; another card may have fewer areas, so they are
  // held to what this card's lists offer.
  socket_.choose(table.count > 0 ? static_cast<int>(socketIndex_) : -1);
  attribute_.choose(clampIndex(current.space, attribute_));
  area_.choose(clampIndex(current.region, area_));
  offset_ = kZeroOffset;
}

void OpenDialogModel::socketBoxChange(int index) {
  if (index < 0 || index >= socket_.count() || !cardPresent(state(static_cast<unsigned>(index)))) {
    socket_.choose(static_cast<int>(socketIndex_));
    return;
  }
  socketIndex_ = static_cast<unsigned>(index);
  access_.selection().socket = static_cast<uint16_t>(index);
  socket_.choose(index);
  fillSpaceAndArea();
  offset_ = kZeroOffset;
}

void OpenDialogModel::attributeBoxChange(int index) {
  attribute_.choose(index);
  fillArea();
  offset_ = kZeroOffset;
}

DialogStep OpenDialogModel::okBtnClick() {
  if (socketIndex_ >= access_.sockets().count || !cardUsable(state(socketIndex_))) {
    access_.showCardError(R_NO_USABLE_CARD);
    return DialogStep::CloseCancel;
  }
  int32_t entered = 0;
  if (!parseDecimal("$" + offset_, entered, access_.messages())) return DialogStep::StayOpen;
  uint32_t address = static_cast<uint32_t>(entered);

  const SocketInfo& card = info(socketIndex_);
  bool attribute = attribute_.count() == 1 || attribute_.selected > 0;
  unsigned region = static_cast<unsigned>(std::max(area_.selected, 0));
  uint32_t size =
      attribute ? card.areaSize[kAttributeArea] : card.areaSize[std::min(region, kMaxRegions - 1)];
  if (address >= size) {
    access_.showCardError(R_BAD_NUMBER);
    return DialogStep::StayOpen;
  }

  // Start on a line; near the end start on a page, so that a whole page of
  // 256 bytes stays inside the area. Areas smaller than a page keep the line.
  uint32_t start = address & ~0xFu;
  if (size >= kPage && start > size - kPage) start = address & ~(kPage - 1);

  CurrentSelection& current = access_.selection();
  current.socket = static_cast<uint16_t>(socketIndex_);
  current.region = static_cast<uint16_t>(region);
  current.space = static_cast<uint8_t>(std::max(attribute_.selected, 0) + (noCommonMemory_ ? 1 : 0));
  current.start = start;
  access_.activeArea() =
      ActiveArea{static_cast<uint8_t>(current.socket), static_cast<uint8_t>(current.region), current.space};
  return DialogStep::CloseOk;
}

}  // namespace tessel
