// tesselcmd.exe started as a user starts it, its output and messages
// redirected to files and read back, over virtual reader-writers served by
// the installed access service: socket 1 an SRAM card with a CIS, 2 a
// 28F008 flash card, 3 an ATA card, 4 an empty reader.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "error_texts.rh"
#include "scratch_dir.h"
#include "service_control.h"
#include "virtual/card_templates.h"
#include "win/module_dir.h"
#include "win32_text.h"

namespace {

namespace virt = zrb2x::virt;
using Bytes = std::vector<uint8_t>;

struct Outcome {
  DWORD code = 0xFFFFFFFF;
  std::string out;
  std::string err;
};

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string asText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes pattern(size_t size, unsigned seed) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(i * seed + (i >> 8) + seed);
  return out;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One argument of a command line as the C runtime splits it again: in
// quotes, a quote inside written \" and the backslashes before one doubled.
std::wstring quoted(const std::string& argument) {
  std::wstring line = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : zrb::win::utf8ToWide(argument)) {
    if (c == L'"') line.append(backslashes + 1, L'\\');
    backslashes = c == L'\\' ? backslashes + 1 : 0;
    line += c;
  }
  line.append(backslashes, L'\\');
  return line + L"\"";
}

// Intel HEX back to bytes by address: data records with extended linear
// addresses, as the tool writes them; a malformed line fails the test.
std::vector<std::pair<uint32_t, uint8_t>> parseIntelHex(const std::string& text) {
  std::vector<std::pair<uint32_t, uint8_t>> bytes;
  std::istringstream lines(text);
  std::string line;
  uint32_t upper = 0;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    EXPECT_EQ(line[0], ':') << line;
    Bytes record;
    for (size_t i = 1; i + 1 < line.size(); i += 2)
      record.push_back(static_cast<uint8_t>(std::stoul(line.substr(i, 2), nullptr, 16)));
    uint8_t sum = 0;
    for (uint8_t b : record) sum = static_cast<uint8_t>(sum + b);
    EXPECT_EQ(sum, 0) << "checksum of " << line;
    const unsigned count = record[0];
    const uint32_t offset = (record[1] << 8) | record[2];
    if (record[3] == 0)
      for (unsigned i = 0; i < count; ++i) bytes.emplace_back((upper << 16) + offset + i, record[4 + i]);
    else if (record[3] == 4)
      upper = (record[4] << 8) | record[5];
  }
  return bytes;
}

// S37 by hand: a header, S3 records of 32 bytes at 32-bit addresses, the S7 end.
std::string s37(uint32_t address, const Bytes& data) {
  auto record = [](char type, const Bytes& body) {
    std::string line = {'S', type};
    uint8_t sum = static_cast<uint8_t>(body.size() + 1);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(body.size() + 1));
    line += hex;
    for (uint8_t b : body) {
      std::snprintf(hex, sizeof hex, "%02X", b);
      line += hex;
      sum = static_cast<uint8_t>(sum + b);
    }
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(static_cast<uint8_t>(~sum)));
    return line + hex + "\r\n";
  };
  auto at = [](uint32_t a) { return Bytes{uint8_t(a >> 24), uint8_t(a >> 16), uint8_t(a >> 8), uint8_t(a)}; };
  std::string text = record('0', {0, 0, 'T', 'E', 'S', 'T'});
  for (size_t i = 0; i < data.size(); i += 32) {
    Bytes body = at(address + static_cast<uint32_t>(i));
    body.insert(body.end(), data.begin() + i, data.begin() + std::min(data.size(), i + 32));
    text += record('3', body);
  }
  return text + record('7', at(0));
}

uint32_t crc32(const Bytes& data) {
  uint32_t crc = 0xFFFFFFFF;
  for (uint8_t b : data) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

class TesselCmd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    readers_ = new zrb::test::ScratchDir;
    service_ = new zrb2x::service::test::ServiceManager;
    const auto reader = [](int n) { return readers_->path() / ("reader" + std::to_string(10 + n)); };
    for (int n = 0; n < 4; ++n) ASSERT_EQ(virt::createReader(reader(n), {}), "");
    virt::InsertOptions sram;
    sram.size = 0x10000;
    ASSERT_EQ(virt::insertCard(reader(0), virt::CardTemplate::Sram, sram), "");
    ASSERT_EQ(virt::insertCard(reader(1), virt::CardTemplate::Flash28F008, {}), "");
    virt::InsertOptions ata;
    ata.size = 0x40000;
    ASSERT_EQ(virt::insertCard(reader(2), virt::CardTemplate::Ata, ata), "");
    ASSERT_TRUE(zrb2x::service::test::setMachineVirtualFolder(readers_->path().string()));
    ASSERT_TRUE(service_->installAndStart());
  }
  static void TearDownTestSuite() {
    service_->remove();
    zrb2x::service::test::setMachineVirtualFolder("");
    delete service_;
    delete readers_;
  }

  // tesselcmd.exe with `arguments` (each quoted), stdout and stderr to files;
  // stdout to `stdoutHandle` instead when one is given.
  Outcome tool(const std::vector<std::string>& arguments, HANDLE stdoutHandle = nullptr) {
    const std::wstring program =
        std::filesystem::path(zrb::test::deliverableDirectory() + "\\tesselcmd.exe").wstring();
    std::wstring line = L"\"" + program + L"\"";
    for (const std::string& argument : arguments) line += L" " + quoted(argument);
    const std::filesystem::path outPath = files / "stdout.txt", errPath = files / "stderr.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = stdoutHandle ? stdoutHandle
                              : CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                            CREATE_ALWAYS, 0, nullptr);
    HANDLE err =
        CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    EXPECT_NE(err, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    Outcome outcome;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
      EXPECT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
      GetExitCodeProcess(process.hProcess, &outcome.code);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    } else {
      ADD_FAILURE() << "tesselcmd.exe did not start: " << GetLastError();
    }
    if (!stdoutHandle) CloseHandle(out);
    CloseHandle(err);
    outcome.out = contents(outPath);
    outcome.err = contents(errPath);
    return outcome;
  }
  std::string path(const std::string& name) const { return (files / name).string(); }

  static zrb::test::ScratchDir* readers_;
  static zrb2x::service::test::ServiceManager* service_;
  zrb::test::ScratchDir files;
};

zrb::test::ScratchDir* TesselCmd::readers_ = nullptr;
zrb2x::service::test::ServiceManager* TesselCmd::service_ = nullptr;

TEST_F(TesselCmd, HelpAndListShowTheCommandsAndTheSockets) {
  Outcome help = tool({"--help"});
  EXPECT_EQ(help.code, 0u) << help.err;
  EXPECT_TRUE(has(help.out, "usage: tesselcmd COMMAND")) << help.out;
  EXPECT_TRUE(has(help.out, "blank-check")) << help.out;
  help = tool({"write", "--help"});
  EXPECT_EQ(help.code, 0u) << help.err;
  EXPECT_TRUE(has(help.out, "usage: tesselcmd write AREA FILE")) << help.out;

  const Outcome list = tool({"list"});
  ASSERT_EQ(list.code, 0u) << list.err;
  EXPECT_TRUE(has(list.out, "socket 1")) << list.out;
  EXPECT_TRUE(has(list.out, "65536 bytes")) << list.out;  // the SRAM card
  EXPECT_TRUE(has(list.out, "28F008")) << list.out;
  EXPECT_TRUE(has(list.out, "socket 4")) << list.out;
  EXPECT_TRUE(list.out.find("no card") > list.out.find("socket 4")) << list.out;
  // Lines end as a Windows program's text does.
  EXPECT_TRUE(has(list.out, "\r\n")) << list.out;
}

TEST_F(TesselCmd, WriteVerifiesAndReadsBackToBinaryAndHex) {
  const Bytes data = pattern(0x3000, 13);
  writeFile(files / "data.bin", asText(data));
  Outcome run = tool({"write", "1", path("data.bin"), "--start", "0x1000", "--verify", "--quiet"});
  ASSERT_EQ(run.code, 0u) << run.err;

  run = tool({"read", "1", path("back.bin"), "--start", "0x1000", "--end", "0x3FFF"});
  ASSERT_EQ(run.code, 0u) << run.err;
  EXPECT_EQ(contents(files / "back.bin"), asText(data));
  // Redirected, stderr is no console: no progress line, though --quiet was not given.
  EXPECT_EQ(run.err, "");

  run = tool({"read", "1", path("back.hex"), "--start", "$1000", "--end", "0x3FFF"});
  ASSERT_EQ(run.code, 0u) << run.err;
  const auto records = parseIntelHex(contents(files / "back.hex"));
  ASSERT_EQ(records.size(), data.size());
  for (size_t i = 0; i < records.size(); ++i) {
    ASSERT_EQ(records[i].first, 0x1000 + i);
    ASSERT_EQ(records[i].second, data[i]) << "at " << records[i].first;
  }

  // The same range summed as programmer tools sum it.
  run = tool({"checksum", "1", "--start", "0x1000", "--end", "0x3FFF"});
  ASSERT_EQ(run.code, 0u) << run.err;
  unsigned sum = 0;
  for (uint8_t b : data) sum += b;
  char expected[64];
  std::snprintf(expected, sizeof expected, "crc32 0x%08X  sum16 0x%04X", static_cast<unsigned>(crc32(data)),
                sum & 0xFFFF);
  EXPECT_TRUE(has(run.out, expected)) << run.out << " expected " << expected;
}

TEST_F(TesselCmd, VerifyReportsTheFirstDifferenceAndExitsWithOne) {
  Bytes data = pattern(0x800, 5);
  writeFile(files / "same.bin", asText(data));
  ASSERT_EQ(tool({"write", "1", path("same.bin"), "--start", "0x8000"}).code, 0u);
  EXPECT_EQ(tool({"verify", "1", path("same.bin"), "--start", "0x8000"}).code, 0u);
  const uint8_t card = data[0x123];
  data[0x123] ^= 0x5A;
  writeFile(files / "other.bin", asText(data));
  const Outcome run = tool({"verify", "1", path("other.bin"), "--start", "0x8000"});
  EXPECT_EQ(run.code, 1u) << run.err;
  char address[16], cardByte[8];
  std::snprintf(address, sizeof address, "%08X", 0x8123u);
  std::snprintf(cardByte, sizeof cardByte, "%02X", card);
  const std::string said = run.out + run.err;
  EXPECT_TRUE(has(said, address)) << said;
  EXPECT_TRUE(has(said, cardByte)) << said;
}

TEST_F(TesselCmd, FlashIsErasedCheckedBlankAndProgrammedFromHandMadeS37) {
  Outcome run = tool({"erase", "2", "--start", "0", "--end", "0xFFFF", "--check", "--quiet"});
  ASSERT_EQ(run.code, 0u) << run.err;
  EXPECT_EQ(tool({"blank-check", "2", "--start", "0", "--end", "0xFFFF"}).code, 0u);

  const Bytes data = pattern(0x400, 29);
  writeFile(files / "hand.s37", s37(0x2000, data));
  run = tool({"write", "2", path("hand.s37"), "--verify"});
  ASSERT_EQ(run.code, 0u) << run.err;
  run = tool({"read", "2", path("flash.bin"), "--start", "0x2000", "--end", "0x23FF"});
  ASSERT_EQ(run.code, 0u) << run.err;
  EXPECT_EQ(contents(files / "flash.bin"), asText(data));

  // Not blank any more; the first byte that is not is named.
  run = tool({"blank-check", "2", "--start", "0", "--end", "0xFFFF"});
  EXPECT_EQ(run.code, 1u) << run.out << run.err;
  EXPECT_TRUE(has(run.out + run.err, "00002000")) << run.out << run.err;

  // The file converted to binary holds the same bytes from its first address.
  run = tool({"convert", path("hand.s37"), path("hand.bin")});
  ASSERT_EQ(run.code, 0u) << run.err;
  EXPECT_EQ(contents(files / "hand.bin"), asText(data));
}

TEST_F(TesselCmd, FillRepeatsThePatternOverTheRange) {
  const Outcome run = tool({"fill", "1", "A5 5A 01", "--start", "0x100", "--end", "0x1FF"});
  ASSERT_EQ(run.code, 0u) << run.err;
  ASSERT_EQ(tool({"read", "1", path("fill.bin"), "--start", "0x100", "--end", "0x1FF"}).code, 0u);
  const std::string filled = contents(files / "fill.bin");
  ASSERT_EQ(filled.size(), 0x100u);
  const uint8_t expected[] = {0xA5, 0x5A, 0x01};
  for (size_t i = 0; i < filled.size(); ++i) ASSERT_EQ(static_cast<uint8_t>(filled[i]), expected[i % 3]) << i;

  // Quoted text fills with its Shift-JIS bytes, as the card window shows
  // them; a character without a Shift-JIS spelling is refused.
  ASSERT_EQ(tool({"fill", "1", "\"ｶｰﾄﾞ\"", "--start", "0x100", "--end", "0x107"}).code, 0u);
  ASSERT_EQ(tool({"read", "1", path("text.bin"), "--start", "0x100", "--end", "0x107"}).code, 0u);
  EXPECT_EQ(contents(files / "text.bin"), "\xB6\xB0\xC4\xDE\xB6\xB0\xC4\xDE");
  const Outcome euro = tool({"fill", "1", "\"A€\"", "--start", "0x100", "--end", "0x107"});
  EXPECT_EQ(euro.code, 2u) << euro.err;
  ASSERT_EQ(tool({"read", "1", path("text.bin"), "--start", "0x100", "--end", "0x107"}).code, 0u);
  EXPECT_EQ(contents(files / "text.bin"), "\xB6\xB0\xC4\xDE\xB6\xB0\xC4\xDE");
}

TEST_F(TesselCmd, CisDescribesEachTupleAsItsOwnCodeInUtf8) {
  const Outcome raw = tool({"cis", "1", "--raw"});
  ASSERT_EQ(raw.code, 0u) << raw.err;
  std::vector<std::string> codes;  // each tuple's code, as the card holds it
  std::istringstream rawLines(raw.out);
  for (std::string line; std::getline(rawLines, line);)
    if (line.size() > 12) codes.push_back(line.substr(10, 2));
  ASSERT_GE(codes.size(), 2u) << raw.out;

  const Outcome text = tool({"cis", "1"});
  ASSERT_EQ(text.code, 0u) << text.err;
  // One block per tuple, blocks apart by an empty line, each opening with a caption.
  std::vector<std::string> captions;
  std::istringstream lines(text.out);
  bool next = true;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (next) captions.push_back(line);
    next = line.empty();
  }
  ASSERT_EQ(captions.size(), codes.size()) << text.out;
  for (size_t i = 0; i < codes.size(); ++i)
    EXPECT_TRUE(captions[i].starts_with(codes[i] + "H "))
        << "tuple " << i << " (" << codes[i] << ") described as: " << captions[i];
  // The library's Japanese arrives as UTF-8: it is valid as such and holds
  // the half-width katakana of its labels.
  EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.out.data(),
                                static_cast<int>(text.out.size()), nullptr, 0),
            0);
  EXPECT_TRUE(has(text.out, "ﾃﾞﾊﾞｲｽ")) << text.out;

  // An ATA card's CIS is walked too.
  EXPECT_EQ(tool({"cis", "3"}).code, 0u);
}

TEST_F(TesselCmd, ExitCodesNameUsageCardAndFileFailures) {
  Outcome run = tool({"frobnicate"});
  EXPECT_EQ(run.code, 2u);
  EXPECT_TRUE(has(run.err, "frobnicate")) << run.err;
  EXPECT_EQ(tool({"read", "1", path("x.bin"), "--start", "0x1G"}).code, 2u);

  run = tool({"read", "9", path("x.bin")});
  EXPECT_EQ(run.code, 3u);
  EXPECT_TRUE(has(run.err, "CS_BAD_SOCKET")) << run.err;
  run = tool({"checksum", "4"});
  EXPECT_EQ(run.code, 3u);
  EXPECT_TRUE(has(run.err, "CS_NO_CARD")) << run.err;
  EXPECT_FALSE(std::filesystem::exists(files / "x.bin"));

  // The image file library's own text arrives as UTF-8 beside the English.
  run = tool({"write", "1", path("missing.bin")});
  EXPECT_EQ(run.code, 4u);
  EXPECT_TRUE(has(run.err, HEXO_ERROR_TEXT_1)) << run.err;
  // Output that cannot be delivered (the reader of its pipe has gone) is a
  // failure, not a listing a script would take as complete.
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  CloseHandle(readEnd);
  run = tool({"list"}, writeEnd);
  CloseHandle(writeEnd);
  EXPECT_EQ(run.code, 4u) << run.err;
  EXPECT_TRUE(has(run.err, "output could not be written")) << run.err;

  writeFile(files / "bad.hex", ":10000000ZZ\r\n");
  run = tool({"write", "1", path("bad.hex")});
  EXPECT_EQ(run.code, 4u);
  EXPECT_TRUE(has(run.err, "bad.hex")) << run.err;
}

}  // namespace
