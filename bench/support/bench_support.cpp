#include "bench_support.h"

#include <windows.h>
// After windows.h, on which it builds.
#include <psapi.h>

#include <cstdio>
#include <fstream>

#include "service_control.h"

namespace zrb::bench {

void writePattern(const std::filesystem::path& file, uint32_t size, uint8_t seed) {
  std::vector<uint8_t> block(kPatternBlock);
  std::ofstream out(file, std::ios::binary);
  for (uint32_t offset = 0; offset < size; offset += kPatternBlock) {
    for (uint32_t i = 0; i < kPatternBlock; ++i) {
      const uint32_t at = offset + i;
      block[i] = static_cast<uint8_t>(seed + at * 7 + (at >> 16) + (at >> 11));
    }
    out.write(reinterpret_cast<const char*>(block.data()), kPatternBlock);
  }
}

WorkingSet workingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return {counters.PeakWorkingSetSize / 1024, counters.WorkingSetSize / 1024};
}

bool runSelf(const std::vector<std::string>& arguments) {
  char self[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  // Built by appending: GCC 12 warns falsely about a literal plus a temporary.
  std::string command = "\"";
  command += self;
  command += '"';
  for (const std::string& argument : arguments) {
    command += " \"";
    command += argument;
    command += '"';
  }
  const DWORD exitCode = zrb2x::service::test::runProgram(command, 600000);
  if (exitCode != 0)
    std::printf("%s\nended with %lu\n", command.c_str(), static_cast<unsigned long>(exitCode));
  return exitCode == 0;
}

int withInstalledService(const std::filesystem::path& readers, const std::function<int()>& run) {
  using namespace zrb2x::service::test;
  ServiceManager service;
  int result = 1;
  if (!setMachineVirtualFolder(readers.string()) || !service.installAndStart())
    std::printf("the service could not be installed and started\n");
  else
    result = run();
  service.remove();
  setMachineVirtualFolder("");
  return result;
}

}  // namespace zrb::bench
