#include "in_process_card_stack.h"

#include <cstring>
#include <stdexcept>

#include "attach.h"
#include "card_manager.h"
#include "in_process_devices.h"
#include "suite_version.h"

namespace zrb::test {
namespace {

InProcessCardStack* g_stack = nullptr;
char g_managerModule;  // the address is the "module handle" of SLOTHUB.DLL
constexpr char kAccessorFile[] = "VESKCI2XS.DLL";

std::string padded(int n) {
  std::string digits = std::to_string(n);
  return std::string(3 - std::min<size_t>(3, digits.size()), '0') + digits;
}

}  // namespace

// The accessor as Windows 9x attaches it, over the virtual readers of the
// stack's folder only.
class InProcessCardStack::AccessorHost final : public cardservice::ModuleHost {
 public:
  explicit AccessorHost(InProcessCardStack& stack) : stack_(stack) {}

  class Platform final : public accessor::AttachPlatform {
   public:
    explicit Platform(std::filesystem::path root) : root_(std::move(root)) {}
    std::optional<std::string> ownFileVersion() override { return ZRB_VERSION_STRING; }
    bool ntFamily() override { return false; }
    std::unique_ptr<zrb2x::DeviceOperations> serviceBinding() override { return nullptr; }
    std::unique_ptr<zrb2x::DeviceOperations> inProcessBinding() override {
      return zrb2x::InProcessDevices::forVirtualReaders(root_);
    }

   private:
    std::filesystem::path root_;
  };

  cardservice::OpenedModule open(const char* fileName) override {
    if (std::strcmp(fileName, kAccessorFile) != 0 || accessor_) return {};
    Platform platform(stack_.readersFolder());
    accessor_ = accessor::attachModule(platform);
    if (!accessor_) return {};
    return {accessor_.get(), ZRB_VERSION_STRING, &accessorEntry};
  }
  void close(void* handle) override {
    if (handle && handle == accessor_.get()) accessor_.reset();  // the detach of the real DLL
  }
  void reportVersionMismatch(const char* fileName, const cardservice::VersionNumbers&, uint32_t,
                             uint32_t) override {
    stack_.mismatches_.push_back(fileName);
  }

  static int32_t CS_STDCALL accessorEntry(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                          uint32_t length, void* data) {
    auto& module = g_stack->host_->accessor_;
    if (!module) return cardservice::CS_NOT_SUPPORTED;
    return module->cards().call(code, socket, space, offset, length, data);
  }

 private:
  InProcessCardStack& stack_;
  std::unique_ptr<accessor::AttachedModule> accessor_;
};

namespace {

int32_t CS_STDCALL managerVeskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset,
                                 uint32_t length, void* data) {
  auto* manager = g_stack ? g_stack->manager() : nullptr;
  return manager ? manager->veskcm(code, socket, space, offset, length, data) : cardservice::CS_NOT_SUPPORTED;
}

int32_t CS_STDCALL managerService(uint32_t code, const cardservice::SlotRequest* request,
                                  uint32_t requestLength, void* buffer, uint32_t bufferLength) {
  auto* manager = g_stack ? g_stack->manager() : nullptr;
  return manager ? manager->slotHubService(code, request, requestLength, buffer, bufferLength)
                 : cardservice::CS_NOT_SUPPORTED;
}

}  // namespace

InProcessCardStack::InProcessCardStack() : host_(std::make_unique<AccessorHost>(*this)) {
  if (g_stack) throw std::logic_error("one in-process card stack at a time");
  g_stack = this;
}

InProcessCardStack::~InProcessCardStack() {
  manager_.reset();
  host_.reset();
  g_stack = nullptr;
}

std::filesystem::path InProcessCardStack::addReader(zrb2x::virt::CardTemplate card,
                                                    const zrb2x::virt::InsertOptions& options) {
  std::filesystem::path folder = addEmptyReader();
  if (std::string error = zrb2x::virt::insertCard(folder, card, options); !error.empty())
    throw std::runtime_error(error);
  return folder;
}

std::filesystem::path InProcessCardStack::addEmptyReader() {
  // Readers are listed in name order: numbered names keep the order of addition.
  std::filesystem::path folder = readers_.path() / ("reader" + padded(readerCount_++));
  if (std::string error = zrb2x::virt::createReader(folder, {}); !error.empty())
    throw std::runtime_error(error);
  return folder;
}

void* InProcessCardStack::load(const char* fileName) {
  if (std::strcmp(fileName, "SLOTHUB.DLL") != 0) return nullptr;
  if (managerLoads_++ == 0)
    manager_ = std::make_unique<cardservice::CardManager>(
        *host_, cardservice::parseVersionString(ZRB_VERSION_STRING));
  return &g_managerModule;
}

void* InProcessCardStack::entry(void* module, const char* name) {
  if (module != &g_managerModule) return nullptr;
  if (std::strcmp(name, "VESKCM") == 0) return reinterpret_cast<void*>(&managerVeskcm);
  if (std::strcmp(name, "SlotHubService") == 0) return reinterpret_cast<void*>(&managerService);
  return nullptr;
}

void InProcessCardStack::unload(void* module) {
  if (module != &g_managerModule || managerLoads_ == 0) return;
  if (--managerLoads_ == 0) manager_.reset();  // the manager's detach frees its modules
}

cardservice::CardManager* InProcessCardStack::manager() { return manager_.get(); }

}  // namespace zrb::test
