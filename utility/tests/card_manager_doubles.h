// Stand-ins around the card manager for the card access and poll tests:
// a recorder in front of the real binding, so a test sees which calls the
// program made, and a manager that fails or answers as told, for faults the
// real card path cannot be brought to.
#pragma once

#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "binding/card_manager_calls.h"
#include "module_loader.h"

namespace tessel::test {

struct ServiceCall {
  uint32_t code;
  cardservice::SlotRequest request;
  std::vector<uint8_t> buffer;  // the buffer as the call received it
};

// Passes every call on to `inner`; the doubles below change only what they
// need to.
class ForwardingManager : public cardservice::BindableCardManager {
 public:
  explicit ForwardingManager(cardservice::BindableCardManager& inner) : inner_(inner) {}
  int32_t bind() override { return inner_.bind(); }
  void unbind() override { inner_.unbind(); }
  int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                 void* data) override {
    return inner_.veskcm(code, socket, space, offset, length, data);
  }
  int32_t service(uint32_t code, const cardservice::SlotRequest* request, void* buffer,
                  uint32_t bufferLength) override {
    return inner_.service(code, request, buffer, bufferLength);
  }

 private:
  cardservice::BindableCardManager& inner_;
};

// Records the SlotHubService calls on their way to `inner`; FN_STATUS of the
// sockets in failStatus answers CS_DEVICE_FAILURE instead.
class RecordingManager final : public ForwardingManager {
 public:
  using ForwardingManager::ForwardingManager;
  int32_t service(uint32_t code, const cardservice::SlotRequest* request, void* buffer,
                  uint32_t bufferLength) override {
    ServiceCall call{code, *request, {}};
    if (buffer) {
      const auto* bytes = static_cast<const uint8_t*>(buffer);
      call.buffer.assign(bytes, bytes + bufferLength);
    }
    calls.push_back(call);
    const uint8_t socket = request->socket;
    if (code == cardservice::FN_STATUS && failStatus.count(socket)) return cardservice::CS_DEVICE_FAILURE;
    return ForwardingManager::service(code, request, buffer, bufferLength);
  }

  std::vector<ServiceCall> callsOf(uint32_t code) const {
    std::vector<ServiceCall> found;
    for (const ServiceCall& call : calls)
      if (call.code == code) found.push_back(call);
    return found;
  }

  std::vector<ServiceCall> calls;
  std::set<uint8_t> failStatus;
};

// A manager whose binding, FN_INFO and card calls answer as a test sets them.
class ScriptedManager final : public cardservice::BindableCardManager {
 public:
  int32_t bind() override { return bindResult; }
  void unbind() override {}
  int32_t veskcm(uint32_t code, uint32_t, uint32_t, uint32_t, uint32_t length, void* data) override {
    if (code != cardservice::FN_INFO) return cardservice::CS_OK;
    infoLength = length;
    if (infoResult == cardservice::CS_OK) std::memcpy(data, &info, sizeof info);
    return infoResult;
  }
  int32_t service(uint32_t code, const cardservice::SlotRequest* request, void* buffer,
                  uint32_t bufferLength) override {
    return answer ? answer(code, *request, buffer, bufferLength) : cardservice::CS_NOT_SUPPORTED;
  }

  int32_t bindResult = cardservice::CS_OK;
  int32_t infoResult = cardservice::CS_OK;
  cardservice::ManagerInfo info{};
  uint32_t infoLength = 0;
  std::function<int32_t(uint32_t, const cardservice::SlotRequest&, void*, uint32_t)> answer;
};

// A system where neither card manager library exists.
class NoLibraries final : public zrb::ModuleLoader {
 public:
  void* load(const char*) override { return nullptr; }
  void* entry(void*, const char*) override { return nullptr; }
  void unload(void*) override {}
};

}  // namespace tessel::test
