// Attaching the module: version check, binding by platform, and no module
// without a reader-writer.
#include <gtest/gtest.h>

#include "attach.h"
#include "fake_reader.h"

namespace accessor::test {
namespace {

using namespace cardservice;

TEST(AccessorVersion, FirstTwoNumbersMustFitInAByte) {
  EXPECT_TRUE(versionAccepted("5.2.0.111"));
  EXPECT_TRUE(versionAccepted("5, 2, 0, 111"));
  EXPECT_TRUE(versionAccepted("5"));
  EXPECT_TRUE(versionAccepted("255.255.70000.1"));
  EXPECT_FALSE(versionAccepted(std::nullopt));
  EXPECT_FALSE(versionAccepted(""));
  EXPECT_FALSE(versionAccepted("beta"));
  EXPECT_FALSE(versionAccepted("256.2.0.1"));
  EXPECT_FALSE(versionAccepted("5.256.0.1"));
}

// The platform as a test sets it up; it hands out fakes and remembers which.
class FakePlatform : public AttachPlatform {
 public:
  std::optional<std::string> version = "5.2.0.1";
  bool nt = false;
  FakeReader* madeReader = nullptr;  // owned by the module once handed out
  bool inProcessMade = false, serviceMade = false;
  uint32_t devices = 2;
  bool opens = true;
  int* closedCount = nullptr;

  std::optional<std::string> ownFileVersion() override { return version; }
  bool ntFamily() override { return nt; }
  std::unique_ptr<zrb2x::DeviceOperations> serviceBinding() override {
    serviceMade = true;
    // The service is not running: its pipe cannot be opened, no device is counted.
    auto unreachable = std::make_unique<FakeReader>();
    unreachable->opens = false;
    unreachable->devices = 0;
    return unreachable;
  }
  std::unique_ptr<zrb2x::DeviceOperations> inProcessBinding() override {
    inProcessMade = true;
    auto reader = std::make_unique<CountingReader>(closedCount);
    reader->devices = devices;
    reader->opens = opens;
    madeReader = reader.get();
    return reader;
  }

 private:
  // Reports its closing beyond its own lifetime.
  struct CountingReader : FakeReader {
    explicit CountingReader(int* closed) : closedOut(closed) {}
    bool CloseLibrary() override {
      if (closedOut) ++*closedOut;
      return true;
    }
    int* closedOut;
  };
};

TEST(AccessorAttach, InProcessBindingServesItsReaders) {
  FakePlatform platform;
  int closed = 0;
  platform.closedCount = &closed;
  auto module = attachModule(platform);
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(platform.inProcessMade);
  EXPECT_FALSE(platform.serviceMade);
  EXPECT_EQ(module->cards().call(FN_INFO, 0, 0, 0, 0, nullptr), 2);
  EXPECT_EQ(closed, 0);
  module.reset();
  EXPECT_EQ(closed, 1);  // detach closes the device library
}

TEST(AccessorAttach, RefusesToLoadWithoutReaderOrVersion) {
  int closed = 0;
  FakePlatform none;
  none.closedCount = &closed;
  none.devices = 0;
  EXPECT_EQ(attachModule(none), nullptr);
  EXPECT_EQ(closed, 1);  // opened, found nothing, closed again

  FakePlatform shut;
  shut.opens = false;
  EXPECT_EQ(attachModule(shut), nullptr);

  FakePlatform unversioned;
  unversioned.version.reset();
  EXPECT_EQ(attachModule(unversioned), nullptr);
  EXPECT_FALSE(unversioned.inProcessMade);
}

TEST(AccessorAttach, NtFamilyGoesThroughTheServiceAndFindsNoneWithoutIt) {
  FakePlatform platform;
  platform.nt = true;
  EXPECT_EQ(attachModule(platform), nullptr);
  EXPECT_TRUE(platform.serviceMade);
  EXPECT_FALSE(platform.inProcessMade);
}

}  // namespace
}  // namespace accessor::test
