#include "card_manager_binding.h"

namespace cardservice {
namespace {

int32_t CS_STDCALL notSupportedVeskcm(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, void*) {
  return CS_NOT_SUPPORTED;
}
int32_t CS_STDCALL notSupportedService(uint32_t, const SlotRequest*, uint32_t, void*, uint32_t) {
  return CS_NOT_SUPPORTED;
}

int32_t openVeskcm(CardEntry entry) { return entry(FN_OPEN, 0, 0, 0, 0, nullptr); }
int32_t openService(LegacyEntry entry) { return entry(FN_OPEN, nullptr, 0, nullptr, 0); }

}  // namespace

const char* const kCardManagerFileNames[2] = {"SLOTHUB.DLL", "VESKCM.DLL"};

CardManagerBinding::CardManagerBinding(zrb::ModuleLoader& loader)
    : loader_(loader), veskcm_{&notSupportedVeskcm}, service_{&notSupportedService} {}

CardManagerBinding::~CardManagerBinding() { unbind(); }

template <typename Entry>
void CardManagerBinding::release(Bound<Entry>& bound, Entry fallback) {
  bound.entry = fallback;
  if (bound.module) loader_.unload(bound.module);
  bound.module = nullptr;
}

template <typename Entry>
int32_t CardManagerBinding::bindEntry(Bound<Entry>& bound, const char* name, Entry fallback,
                                      int32_t (*open)(Entry)) {
  release(bound, fallback);
  for (const char* fileName : kCardManagerFileNames) {
    void* module = loader_.load(fileName);
    if (!module) continue;
    auto entry = reinterpret_cast<Entry>(loader_.entry(module, name));
    // A library without the entry, or whose entry does not open, is let go
    // before the next name is tried: it would otherwise stay loaded with
    // nobody to free it.
    if (entry && open(entry) == CS_OK) {
      bound.entry = entry;
      bound.module = module;
      return CS_OK;
    }
    loader_.unload(module);
  }
  return CS_NOT_SUPPORTED;
}

int32_t CardManagerBinding::bind() {
  if (int32_t result = bindEntry(veskcm_, "VESKCM", &notSupportedVeskcm, &openVeskcm); result != CS_OK)
    return result;
  return bindEntry(service_, "SlotHubService", &notSupportedService, &openService);
}

void CardManagerBinding::unbind() {
  if (veskcm_.module) veskcm_.entry(FN_CLOSE, 0, 0, 0, 0, nullptr);
  release(veskcm_, &notSupportedVeskcm);
  // The fallback ignores the close, so it is sent whatever is bound.
  service_.entry(FN_CLOSE, nullptr, 0, nullptr, 0);
  release(service_, &notSupportedService);
}

int32_t CardManagerBinding::veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                   uint32_t length, void* data) {
  return veskcm_.entry(code, socket, space, offset, length, data);
}

int32_t CardManagerBinding::service(uint32_t code, const SlotRequest* request, void* buffer,
                                    uint32_t bufferLength) {
  return service_.entry(code, request, sizeof(SlotRequest), buffer, bufferLength);
}

}  // namespace cardservice
