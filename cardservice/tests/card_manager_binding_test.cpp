// Binding the card manager: the order of the file names, libraries that lack
// an entry or do not open, the fallback, and that every library loaded is
// freed exactly once.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "card_manager_binding.h"

namespace cardservice {
namespace {

struct Calls {
  std::vector<std::string> log;  // "load NAME", "open ENTRY@NAME", "close ...", "unload NAME"
  int32_t openResult = CS_OK;
};
Calls* g_calls = nullptr;

int32_t CS_STDCALL fakeVeskcm(uint32_t code, uint32_t, uint32_t, uint32_t, uint32_t, void* data) {
  if (code == FN_OPEN || code == FN_CLOSE) {
    g_calls->log.push_back(code == FN_OPEN ? "open VESKCM" : "close VESKCM");
    return code == FN_OPEN ? g_calls->openResult : CS_OK;
  }
  if (data) *static_cast<uint32_t*>(data) = 0x5EC;
  return CS_OK;
}
int32_t CS_STDCALL fakeService(uint32_t code, const SlotRequest*, uint32_t requestLength, void*, uint32_t) {
  if (code == FN_OPEN || code == FN_CLOSE) {
    g_calls->log.push_back(code == FN_OPEN ? "open SlotHubService" : "close SlotHubService");
    return code == FN_OPEN ? g_calls->openResult : CS_OK;
  }
  return static_cast<int32_t>(requestLength);
}

// Libraries by file name, each with the entries it offers.
class FakeLoader : public zrb::ModuleLoader {
 public:
  std::map<std::string, std::vector<std::string>> libraries;
  void* load(const char* fileName) override {
    auto it = libraries.find(fileName);
    if (it == libraries.end()) return nullptr;
    calls.log.push_back(std::string("load ") + fileName);
    ++loaded;
    return &it->second;
  }
  void* entry(void* module, const char* name) override {
    auto& entries = *static_cast<std::vector<std::string>*>(module);
    for (const auto& e : entries)
      if (e == name)
        return e == "VESKCM" ? reinterpret_cast<void*>(&fakeVeskcm) : reinterpret_cast<void*>(&fakeService);
    return nullptr;
  }
  void unload(void* module) override {
    for (auto& [name, entries] : libraries)
      if (&entries == module) calls.log.push_back("unload " + name);
    --loaded;
  }
  Calls calls;
  int loaded = 0;
};

class Binding : public ::testing::Test {
 protected:
  void SetUp() override { g_calls = &loader.calls; }
  void TearDown() override { g_calls = nullptr; }
  FakeLoader loader;
};

TEST_F(Binding, WithoutAnyLibraryEveryCallAnswersNotSupported) {
  {
    CardManagerBinding binding(loader);
    EXPECT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, 0, nullptr), CS_NOT_SUPPORTED);  // before bind, too
    EXPECT_EQ(binding.bind(), CS_NOT_SUPPORTED);
    EXPECT_FALSE(binding.veskcmBound());
    uint32_t word = 0;
    EXPECT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, 4, &word), CS_NOT_SUPPORTED);
    SlotRequest request{};
    EXPECT_EQ(binding.service(FN_READ, &request, &word, 4), CS_NOT_SUPPORTED);
    binding.unbind();
    binding.unbind();
  }
  EXPECT_TRUE(loader.calls.log.empty());
}

TEST_F(Binding, EachEntryTriesSlothubFirstAndIsOpenedThere) {
  loader.libraries["SLOTHUB.DLL"] = {"VESKCM", "SlotHubService"};
  loader.libraries["VESKCM.DLL"] = {"VESKCM", "SlotHubService"};
  CardManagerBinding binding(loader);
  ASSERT_EQ(binding.bind(), CS_OK);
  EXPECT_EQ(loader.calls.log, (std::vector<std::string>{"load SLOTHUB.DLL", "open VESKCM", "load SLOTHUB.DLL",
                                                        "open SlotHubService"}));
  uint32_t word = 0;
  EXPECT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, 4, &word), CS_OK);
  EXPECT_EQ(word, 0x5ECu);
  SlotRequest request{};
  EXPECT_EQ(binding.service(FN_READ, &request, nullptr, 0), static_cast<int32_t>(sizeof(SlotRequest)));
  loader.calls.log.clear();
  binding.unbind();
  EXPECT_EQ(loader.calls.log, (std::vector<std::string>{"close VESKCM", "unload SLOTHUB.DLL",
                                                        "close SlotHubService", "unload SLOTHUB.DLL"}));
  EXPECT_EQ(loader.loaded, 0);
  EXPECT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, 4, &word), CS_NOT_SUPPORTED);
}

TEST_F(Binding, ALibraryWithoutTheEntryIsFreedAndTheNextNameTried) {
  loader.libraries["SLOTHUB.DLL"] = {"SlotHubService"};
  loader.libraries["VESKCM.DLL"] = {"VESKCM"};
  {
    CardManagerBinding binding(loader);
    EXPECT_EQ(binding.bind(), CS_OK);
    EXPECT_EQ(loader.calls.log,
              (std::vector<std::string>{"load SLOTHUB.DLL", "unload SLOTHUB.DLL", "load VESKCM.DLL",
                                        "open VESKCM", "load SLOTHUB.DLL", "open SlotHubService"}));
    EXPECT_TRUE(binding.veskcmBound());
    EXPECT_TRUE(binding.serviceBound());
  }
  EXPECT_EQ(loader.loaded, 0);  // the destructor unbound both
}

TEST_F(Binding, AnEntryThatDoesNotOpenLeavesTheFallbackAndNothingLoaded) {
  loader.libraries["SLOTHUB.DLL"] = {"VESKCM", "SlotHubService"};
  loader.calls.openResult = CS_DEVICE_FAILURE;
  CardManagerBinding binding(loader);
  EXPECT_EQ(binding.bind(), CS_NOT_SUPPORTED);
  EXPECT_FALSE(binding.veskcmBound());
  EXPECT_FALSE(binding.serviceBound());  // not tried once VESKCM failed
  EXPECT_EQ(loader.loaded, 0);
  EXPECT_EQ(binding.veskcm(FN_INFO, 0, 0, 0, 0, nullptr), CS_NOT_SUPPORTED);
  // Unbinding sends no close through an unbound VESKCM.
  loader.calls.log.clear();
  binding.unbind();
  EXPECT_TRUE(loader.calls.log.empty());
}

}  // namespace
}  // namespace cardservice
