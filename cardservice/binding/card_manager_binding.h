// Binds the card manager at run time the way every program of the suite
// does: each of the two entries is bound on its own, trying "SLOTHUB.DLL"
// then "VESKCM.DLL", and opened with FN_OPEN. An entry that is not bound is a
// fallback that answers 21 (not supported) to every call, so a program
// without a card manager still runs and never calls through a null pointer.
#pragma once

#include <cstdint>

#include "card_manager_calls.h"
#include "card_service.h"
#include "module_loader.h"

namespace cardservice {

extern const char* const kCardManagerFileNames[2];

class CardManagerBinding final : public BindableCardManager {
 public:
  // Both entries start as the fallback.
  explicit CardManagerBinding(zrb::ModuleLoader& loader);
  // Unbinds what is still bound.
  ~CardManagerBinding() override;
  CardManagerBinding(const CardManagerBinding&) = delete;
  CardManagerBinding& operator=(const CardManagerBinding&) = delete;

  // Binds VESKCM, then SlotHubService. CS_OK, or the first failure (21 when
  // no library offered an entry that opened); an entry that failed stays the
  // fallback, one that was bound stays bound.
  int32_t bind() override;
  // Sends FN_CLOSE through each entry (VESKCM only when it is bound), puts
  // the fallbacks back and frees the libraries. Safe to call again.
  void unbind() override;

  bool veskcmBound() const { return veskcm_.module != nullptr; }
  bool serviceBound() const { return service_.module != nullptr; }

  int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                 void* data) override;
  int32_t service(uint32_t code, const SlotRequest* request, void* buffer, uint32_t bufferLength) override;

 private:
  template <typename Entry>
  struct Bound {
    Entry entry;
    void* module = nullptr;
  };
  template <typename Entry>
  int32_t bindEntry(Bound<Entry>& bound, const char* name, Entry fallback, int32_t (*open)(Entry));
  template <typename Entry>
  void release(Bound<Entry>& bound, Entry fallback);

  zrb::ModuleLoader& loader_;
  Bound<CardEntry> veskcm_;
  Bound<LegacyEntry> service_;
};

}  // namespace cardservice
