#include "in_process_server.h"

#include "server_exchange.h"

namespace zrb2x::service::test {
namespace {

RequestDispatcher* g_notified = nullptr;
void onDeviceChange(WPARAM, LPARAM) {
  if (g_notified) g_notified->noteDeviceChange();
}

}  // namespace

InProcessServer::InProcessServer(const std::filesystem::path& virtualRoot, DWORD clientIdleMs) {
  const std::string id = std::to_string(GetCurrentProcessId());
  pipeName_ = "\\\\.\\pipe\\zrb2x\\test-" + id;
  mutexName_ = "zrb2x-test/mutex/exec-" + id;
  devices_ = InProcessDevices::forVirtualReaders(virtualRoot);
  devices_->OpenLibrary();
  dispatcher_ = std::make_unique<RequestDispatcher>(*devices_);
  dispatcher_->enumerate();
  stopEvent_ = win::UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ioEvent_ = win::UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ended_event_ = win::UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  pipe_ = win::createServerPipe(pipeName_.c_str(), security_.attributes());
  server_ =
      std::make_unique<win::Win32PipeServer>(pipe_.get(), stopEvent_.get(), ioEvent_.get(), clientIdleMs);
  g_notified = dispatcher_.get();
  notifier_.callback = onDeviceChange;
  notifier_.className = win::kNotifierClassName;
  win::startDeviceChangeNotifier(&notifier_);
  thread_ = std::thread([this] {
    runServerLoop(*server_, *dispatcher_);
    ended_ = true;
    SetEvent(ended_event_.get());
  });
}

bool InProcessServer::stop(DWORD ms) {
  SetEvent(stopEvent_.get());
  bool ended = WaitForSingleObject(ended_event_.get(), ms) == WAIT_OBJECT_0;
  if (ended && thread_.joinable()) thread_.join();
  return ended;
}

InProcessServer::~InProcessServer() {
  stop(INFINITE);
  win::stopDeviceChangeNotifier(&notifier_);
  g_notified = nullptr;
}

}  // namespace zrb2x::service::test
