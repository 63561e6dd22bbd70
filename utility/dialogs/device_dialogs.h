// The device type dialog (one region of an open card) and the settings
// dialog (each socket's stored default for regions of unknown type). Both
// list device types from the card utility's table, offer the same chip menu
// and read the card size the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "card_access.h"
#include "dialog_lists.h"
#include "user_ports.h"

namespace tessel {

// The chip menu: maker submenus whose chip items choose a device type.
struct ChipItem {
  const char* chip;
  uint16_t code;  // the device type the chip selects in the list
};
struct ChipMaker {
  const char* maker;
  std::span<const ChipItem> chips;
};
std::span<const ChipMaker> chipMenu();

// Card sizes typed as "2M", "512k" or hexadecimal "80000"; nullopt for a
// text that is no such number or a size outside kMinCardSize..kMaxCardSize.
constexpr uint32_t kMinCardSize = 512;  // the accessor refuses smaller regions
constexpr uint32_t kMaxCardSize = 0x4000000;
std::optional<uint32_t> parseCardSize(std::string_view text);
// The size as shown in the dialogs: seven upper-case hexadecimal digits.
std::string cardSizeText(uint32_t size);
constexpr std::size_t kSizeLength = 7;

// The device-type list of a dialog: the first `length` rows of the table.
class DeviceList {
 public:
  explicit DeviceList(unsigned length);
  const ChoiceList& box() const { return box_; }
  void choose(int index) { box_.choose(index); }
  // Chooses the code's entry; a code the list lacks leaves no choice.
  void chooseCode(uint16_t code);
  // The chosen entry's code, or `otherwise` when nothing is chosen.
  uint16_t chosenCode(uint16_t otherwise) const;

 private:
  ChoiceList box_;
};

class DevDialogModel {
 public:
  static constexpr unsigned kListLength = 13;  // "SRAM" .. "UNKNOWN"

  // What the caller sets before showing and reads (code, size) after "OK".
  uint8_t socket = 0;
  uint8_t space = 0;  // 0 common, 1 attribute
  uint8_t region = 0;
  uint8_t code = 0;
  uint32_t size = 0;

  DevDialogModel();
  void activate();
  DialogStep okBtnClick(UserMessages& messages);

  DeviceList& devices() { return devices_; }
  const DeviceList& devices() const { return devices_; }
  void setSizeText(std::string text) { sizeText_ = std::move(text); }
  const std::string& sizeText() const { return sizeText_; }
  const std::string& socketName() const { return socketName_; }
  const std::string& attributeName() const { return attributeName_; }
  const std::string& regionName() const { return regionName_; }

 private:
  DeviceList devices_;
  std::string sizeText_;
  std::string socketName_;
  std::string attributeName_;
  std::string regionName_;
};

class EnvSetDialogModel {
 public:
  static constexpr unsigned kListLength = 12;  // "SRAM" .. "MX29GL~"

  // `table` supplies the socket count and each socket's stored settings; the
  // model edits a working copy that the caller stores after "OK".
  EnvSetDialogModel(const SocketTable& table, uint16_t socket);
  void activate();
  void socketBoxChange(int index);
  DialogStep okBtnClick(UserMessages& messages);

  uint16_t socket() const { return socket_; }
  const SocketSettings& working() const { return working_; }
  const ChoiceList& socketBox() const { return socketBox_; }
  DeviceList& devices() { return devices_; }
  const DeviceList& devices() const { return devices_; }
  void setSizeText(std::string text) { sizeText_ = std::move(text); }
  const std::string& sizeText() const { return sizeText_; }

 private:
  void showWorking();

  const SocketTable& table_;
  uint16_t socket_;
  SocketSettings working_;
  ChoiceList socketBox_;
  DeviceList devices_;
  std::string sizeText_;
};

}  // namespace tessel
