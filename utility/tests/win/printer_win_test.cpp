// A card range printed for real: the card window's listing of the in-process
// card stack, through Win32Printer and Wine's printer API to the CUPS queue
// "PDF" (cups-pdf), read back from the PDF with pdftotext. scripts/print-env prepares the queue and says
// where the PDFs land; a host without CUPS skips with its reason.
#include <windows.h>
// After windows.h, on which they build.
#include <dlgs.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "dialog_test_cards.h"
#include "print_lines.h"
#include "result_codes.h"
#include "win/dialog_watcher.h"
#include "win/module_dir.h"
#include "win32_printer.h"
#include "win32_text.h"

namespace tessel::win {
namespace {

constexpr char kQueue[] = "PDF";
constexpr uint8_t kSramSocket = 1;  // the 64 KiB SRAM card of the test cards
constexpr DWORD kPdfWaitMs = 120000;

std::string readFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

// Wine shows the Unix root as drive Z:.
std::wstring windowsPathOf(const std::string& unixPath) {
  std::wstring path = L"Z:" + zrb::win::utf8ToWide(unixPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::string readWholeFile(const std::wstring& path) {
  zrb::win::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
  std::string content;
  char buffer[4096];
  DWORD got = 0;
  while (file && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    content.append(buffer, got);
  return content;
}

// One argument of a command line as the C runtime splits it, which is how
// Wine builds a Unix program's argv (no backslash comes before a quote here).
std::string quoted(const std::string& argument) {
  std::string out = "\"";
  for (char c : argument) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// pdftotext -layout over a PDF, run from this Windows program. Wine forks
// and execs what is not a Windows image, but hands back no process to wait
// for and does not connect the standard handles: the text goes to a file
// that appears, whole, only once pdftotext has finished (or a ".failed" file
// when it failed).
std::optional<std::string> pdfText(const std::string& pdf) {
  const std::string text = pdf + ".txt";
  const std::string script =
      "pdftotext -layout \"$0\" \"$1.part\" && mv \"$1.part\" \"$1\" || touch \"$1.failed\"";
  std::wstring command =
      zrb::win::utf8ToWide("/bin/sh -c " + quoted(script) + " " + quoted(pdf) + " " + quoted(text));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(windowsPathOf("/bin/sh").c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return std::nullopt;
  zrb::win::UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
  for (DWORD waited = 0; waited < kPdfWaitMs; waited += 100) {
    if (GetFileAttributesW(windowsPathOf(text).c_str()) != INVALID_FILE_ATTRIBUTES) {
      std::string content = readWholeFile(windowsPathOf(text));
      DeleteFileW(windowsPathOf(text).c_str());
      return content;
    }
    if (GetFileAttributesW(windowsPathOf(text + ".failed").c_str()) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(100);
  }
  return std::nullopt;
}

// The print dialog as a user answers it: the PDF queue chosen, then OK or
// Cancel. Any other dialog (a message box of the printer) is counted.
class PrintDialogUser {
 public:
  explicit PrintDialogUser(int button) : watcher_([this](HWND dialog) { answer(dialog); }, button) {}
  int printDialogs() const { return printDialogs_; }
  int otherDialogs() const { return otherDialogs_; }
  bool queueChosen() const { return queueChosen_; }

 private:
  void answer(HWND dialog) {
    HWND printers = GetDlgItem(dialog, cmb4);
    if (!printers) {
      ++otherDialogs_;
      return;
    }
    ++printDialogs_;
    std::wstring queue = zrb::win::utf8ToWide(kQueue);
    LRESULT index = SendMessageW(printers, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(queue.c_str()));
    if (index == CB_ERR) return;
    SendMessageW(printers, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb4, CBN_SELCHANGE), reinterpret_cast<LPARAM>(printers));
    queueChosen_ = true;
  }

  std::atomic<int> printDialogs_{0};
  std::atomic<int> otherDialogs_{0};
  std::atomic<bool> queueChosen_{false};
  zrb::test::DialogWatcher watcher_;
};

bool windowsKnowsQueue() {
  DWORD needed = 0, count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed ? needed : 1);
  if (!EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed,
                     &needed, &count))
    return false;
  auto* printers = reinterpret_cast<PRINTER_INFO_4W*>(buffer.data());
  const std::wstring queue = zrb::win::utf8ToWide(kQueue);
  for (DWORD i = 0; i < count; ++i)
    if (printers[i].pPrinterName && queue == printers[i].pPrinterName) return true;
  return false;
}

// Where scripts/print-env said this user's PDFs land; empty with `why` set
// when this host has no print path.
std::string pdfFolder(std::string& why) {
  const std::string state = zrb::test::executableDirectory() + "\\..\\print-env\\";
  why = readFirstLine(state + "unavailable");
  if (!why.empty()) return {};
  std::string folder = readFirstLine(state + "pdf-dir");
  if (folder.empty()) why = "scripts/print-env did not run";
  return folder;
}

// Wine's PostScript driver names the glyphs of a TrueType font it sends to
// the printer by number, so text drawn in one reaches the PDF as numbered
// shapes that pdftotext cannot read back. The test printer therefore maps
// the listing's faces to its resident Courier through the printer's font
// substitution table, as printer drivers do; where each line goes, where a
// page ends and what the lines say remain the program's own. Wine reads the
// table once per process, before a test could set it: ctest runs this case
// on its own first (tessel_printer_setup), and it is idempotent.
TEST(TestPrinter, MapsTheListingFacesToItsResidentCourier) {
  std::string why;
  if (pdfFolder(why).empty()) GTEST_SKIP() << "no print path on this host: " << why;
  ASSERT_TRUE(windowsKnowsQueue()) << "CUPS has the queue " << kQueue << " but Wine does not show it";
  std::wstring queue = zrb::win::utf8ToWide(kQueue);
  PRINTER_DEFAULTSW rights{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  ASSERT_TRUE(OpenPrinterW(queue.data(), &printer, &rights));
  wchar_t courier[] = L"Courier";
  for (const wchar_t* face : listingFaces())
    EXPECT_EQ(SetPrinterDataExW(printer, L"PrinterDriverData\\FontSubTable", face, REG_SZ,
                                reinterpret_cast<BYTE*>(courier), sizeof courier),
              static_cast<DWORD>(ERROR_SUCCESS));
  ClosePrinter(printer);
}

class PrintThroughCups : public test::DialogTestCards {
 protected:
  void SetUp() override {
    std::string why;
    pdfDir_ = pdfFolder(why);
    if (pdfDir_.empty()) GTEST_SKIP() << "no print path on this host: " << why;
    ASSERT_TRUE(windowsKnowsQueue()) << "CUPS has the queue " << kQueue << " but Wine does not show it";
    test::DialogTestCards::SetUp();
    window_ = CreateWindowExW(0, L"STATIC", L"tessel", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
    if (!pdfDir_.empty()) test::DialogTestCards::TearDown();
  }

  // A document name no earlier run has used, so that its PDF is this test's.
  std::string documentName(const char* what) {
    return std::string("printer_win_test_") + what + "_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(GetTickCount());
  }

  void writeCard(uint32_t address, const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(access.cardWrite({kSramSocket, 0, address}, bytes.data(), static_cast<uint32_t>(bytes.size())),
              R_SUCCESS);
  }

  // Prints [start, start + length) of the SRAM card as the card window does.
  uint16_t printListing(Win32Printer& printer, const std::string& name, uint32_t start, uint32_t length) {
    if (printer.start(name) != Printer::Start::Printing) return R_SILENT;
    uint16_t result = printRange(access, {kSramSocket, 0, 0}, start, length,
                                 [&](std::string_view line) { return printer.printLine(line); });
    printer.finish();
    return result;
  }

  // cups-pdf names the file after the job's title; the PDF is complete once
  // its end-of-file marker is written.
  std::optional<std::string> findPdf(const std::string& name) const {
    const std::wstring pattern = windowsPathOf(pdfDir_ + "/" + name + "*.pdf");
    WIN32_FIND_DATAW found{};
    zrb::win::UniqueFind search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return std::nullopt;
    const std::string path = pdfDir_ + "/" + zrb::win::wideToUtf8(found.cFileName);
    const std::string content = readWholeFile(windowsPathOf(path));
    if (content.find("%%EOF", content.size() > 64 ? content.size() - 64 : 0) == std::string::npos)
      return std::nullopt;
    return path;
  }

  bool anyPdf(const std::string& name) const {
    WIN32_FIND_DATAW found{};
    zrb::win::UniqueFind search(FindFirstFileW(windowsPathOf(pdfDir_ + "/" + name + "*").c_str(), &found));
    return static_cast<bool>(search);
  }

  std::optional<std::string> waitForPdf(const std::string& name) const {
    for (DWORD waited = 0; waited < kPdfWaitMs; waited += 200) {
      if (auto path = findPdf(name)) return path;
      Sleep(200);
    }
    return std::nullopt;
  }

  // The printed text, page by page, as pdftotext -layout lays it out. The
  // PDF has served then and goes.
  std::vector<std::vector<std::string>> printedPages(const std::string& pdf) {
    std::optional<std::string> text = pdfText(pdf);
    DeleteFileW(windowsPathOf(pdf).c_str());
    EXPECT_TRUE(text) << "pdftotext did not run";
    std::vector<std::vector<std::string>> pages(1);
    if (!text) return pages;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
      for (size_t feed; (feed = line.find('\f')) != std::string::npos;) {
        addLine(pages.back(), line.substr(0, feed));
        pages.emplace_back();
        line.erase(0, feed + 1);
      }
      addLine(pages.back(), line);
    }
    while (!pages.empty() && pages.back().empty()) pages.pop_back();
    return pages;
  }

  static void addLine(std::vector<std::string>& page, std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) page.push_back(line);
  }

  static std::vector<std::string> trimmed(std::vector<std::string> lines) {
    for (std::string& line : lines)
      while (!line.empty() && line.back() == ' ') line.pop_back();
    return lines;
  }

  static std::vector<std::string> allLines(const std::vector<std::vector<std::string>>& pages) {
    std::vector<std::string> lines;
    for (const auto& page : pages) lines.insert(lines.end(), page.begin(), page.end());
    return lines;
  }

  std::string pdfDir_;
  HWND window_ = nullptr;
};

// Every byte value once, so that the character column meets printable,
// control and high bytes alike.
std::vector<uint8_t> countingBytes(size_t count, uint8_t first) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

TEST_F(PrintThroughCups, PrintsARangeAsItsListingLinesTheShortLastLineIncluded) {
  const std::vector<uint8_t> bytes = countingBytes(0x108, 0x00);
  writeCard(0x100, bytes);
  const std::string name = documentName("range");
  Win32Printer printer(window_);
  {
    PrintDialogUser user(IDOK);
    ASSERT_EQ(printListing(printer, name, 0x100, 0x108), R_SUCCESS);
    EXPECT_EQ(user.printDialogs(), 1);
    EXPECT_TRUE(user.queueChosen());
    EXPECT_EQ(user.otherDialogs(), 0) << "the printer reported a failure";
  }
  const std::optional<std::string> pdf = waitForPdf(name);
  ASSERT_TRUE(pdf) << "no PDF for " << name << " in " << pdfDir_;
  const std::vector<std::string> expected = trimmed(printLines(0x100, bytes));
  ASSERT_EQ(expected.size(), 17u);
  EXPECT_EQ(expected[0], "00000100 | 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F |................");
  EXPECT_EQ(expected[16], "00000200 | 00 01 02 03 04 05 06 07                         |........");
  const auto pages = printedPages(*pdf);
  EXPECT_EQ(pages.size(), 1u);
  EXPECT_EQ(allLines(pages), expected);
}

TEST_F(PrintThroughCups, AListingLongerThanAPageGoesOnOverFurtherPagesInOrder) {
  const std::vector<uint8_t> bytes = countingBytes(0x1000, 0x20);
  writeCard(0, bytes);
  const std::string name = documentName("pages");
  Win32Printer printer(window_);
  {
    PrintDialogUser user(IDOK);
    ASSERT_EQ(printListing(printer, name, 0, 0x1000), R_SUCCESS);
    EXPECT_EQ(user.otherDialogs(), 0) << "the printer reported a failure";
  }
  const std::optional<std::string> pdf = waitForPdf(name);
  ASSERT_TRUE(pdf) << "no PDF for " << name << " in " << pdfDir_;
  const auto pages = printedPages(*pdf);
  EXPECT_GT(pages.size(), 1u);
  for (const auto& page : pages) EXPECT_FALSE(page.empty()) << "an empty page";
  EXPECT_EQ(allLines(pages), trimmed(printLines(0, bytes)));
}

TEST_F(PrintThroughCups, CancelInThePrintDialogPrintsNothing) {
  writeCard(0, countingBytes(0x20, 0x41));
  const std::string cancelled = documentName("cancelled");
  Win32Printer printer(window_);
  {
    PrintDialogUser user(IDCANCEL);
    EXPECT_EQ(printer.start(cancelled), Printer::Start::Cancelled);
    EXPECT_EQ(user.printDialogs(), 1);
    EXPECT_EQ(user.otherDialogs(), 0);
  }
  EXPECT_FALSE(printer.printLine("00000000 | nothing")) << "a line printed without a document";
  printer.finish();

  // The queue prints its jobs in order: once a later job has landed, a job
  // of the cancelled dialog would have landed before it.
  const std::string later = documentName("after_cancel");
  {
    PrintDialogUser user(IDOK);
    ASSERT_EQ(printListing(printer, later, 0, 0x20), R_SUCCESS);
  }
  const std::optional<std::string> pdf = waitForPdf(later);
  ASSERT_TRUE(pdf) << "no PDF for " << later << " in " << pdfDir_;
  EXPECT_FALSE(anyPdf(cancelled)) << "the cancelled dialog printed";
  DeleteFileW(windowsPathOf(*pdf).c_str());
}

}  // namespace
}  // namespace tessel::win
