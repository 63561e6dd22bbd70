// What the dialogs' models share: the outcome of a button press, and a
// drop-down list as the model sees it (its texts and the chosen item), so
// that the windows only copy these into combo boxes and back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// What a button press does to its dialog.
enum class DialogStep { StayOpen, CloseOk, CloseCancel };

struct ChoiceList {
  std::vector<std::string> items;
  int selected = -1;  // -1: nothing chosen

  void fill(std::vector<std::string> texts, int select) {
    items = std::move(texts);
    choose(select);
  }
  // Out-of-range indexes clear the choice, as a combo box does.
  void choose(int index) { selected = index >= 0 && index < static_cast<int>(items.size()) ? index : -1; }
  int count() const { return static_cast<int>(items.size()); }
};

// "Socket1".."SocketN", "Region1".."RegionN": a word and numbers from 1.
std::vector<std::string> numberedItems(std::string_view word, unsigned count);

}  // namespace tessel
