// The card path of a program, all in this process, for native tests of code
// that calls the card manager: the real card manager, whose module host
// hands it the real accessor over the real device library and virtual
// reader-writers made from the card templates in a scratch folder.
//
// It is the ModuleLoader through which such code binds "SLOTHUB.DLL":
//   zrb::test::InProcessCardStack cards;
//   cards.addReader(zrb2x::virt::CardTemplate::Sram);
//   cardservice::CardManagerBinding binding(cards);
//   binding.bind();                     // FN_OPEN loads the accessor
//   binding.service(FN_READ, ...);      // reads the virtual card
// Loading the manager creates it and attaches the accessor as the real DLLs
// do; unloading the last reference tears both down. The entries are plain
// functions, so one stack exists at a time per process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "module_loader.h"
#include "scratch_dir.h"
#include "virtual/card_templates.h"

namespace cardservice {
class CardManager;
}

namespace zrb::test {

class InProcessCardStack final : public zrb::ModuleLoader {
 public:
  InProcessCardStack();
  ~InProcessCardStack() override;
  InProcessCardStack(const InProcessCardStack&) = delete;
  InProcessCardStack& operator=(const InProcessCardStack&) = delete;

  // A reader-writer (one socket) with `card` inserted; sockets follow the
  // order of addition. Add readers before the manager opens its modules.
  std::filesystem::path addReader(zrb2x::virt::CardTemplate card,
                                  const zrb2x::virt::InsertOptions& options = {});
  std::filesystem::path addEmptyReader();
  const std::filesystem::path& readersFolder() const { return readers_.path(); }

  // "SLOTHUB.DLL" offers "VESKCM" and "SlotHubService"; no other library loads.
  void* load(const char* fileName) override;
  void* entry(void* module, const char* name) override;
  void unload(void* module) override;

  // Null while the manager is not loaded.
  cardservice::CardManager* manager();
  // What the manager reported about modules of another version (none expected).
  const std::vector<std::string>& versionMismatches() const { return mismatches_; }

  class AccessorHost;

 private:
  ScratchDir readers_;
  int readerCount_ = 0;
  int managerLoads_ = 0;
  std::unique_ptr<AccessorHost> host_;
  std::unique_ptr<cardservice::CardManager> manager_;
  std::vector<std::string> mismatches_;
};

}  // namespace zrb::test
