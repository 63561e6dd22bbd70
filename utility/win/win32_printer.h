// The card window's printer on Win32: the standard print dialog, then the
// chosen printer used as a text device, one listing line after another in
// the hexadecimal list's fixed-pitch font, page after page.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "command_ports.h"
#include "win32_owners.h"

namespace tessel::win {

// The faces the listing asks a printer for, the first it offers with
// Shift-JIS chosen: the hexadecimal list's FixedSys and its stand-ins.
std::span<const wchar_t* const> listingFaces();

class Win32Printer final : public tessel::Printer {
 public:
  // `owner` owns the print dialog and the printer's message boxes. The main
  // window may not exist yet when its members are made: setOwner names it later.
  explicit Win32Printer(HWND owner) : owner_(owner) {}
  // A document still open (a listing cut short by an exception above) is
  // aborted rather than left half-sent.
  ~Win32Printer() override;
  Win32Printer(const Win32Printer&) = delete;
  Win32Printer& operator=(const Win32Printer&) = delete;

  void setOwner(HWND owner) { owner_ = owner; }

  Start start(std::string_view documentName) override;
  bool printLine(std::string_view line) override;
  void finish() override;

 private:
  // A printer DC from PrintDlg or CreateDC: DeleteDC gives it back.
  struct PrinterDcTraits {
    using Value = HDC;
    static Value none() { return nullptr; }
    static bool isValid(Value v) { return v != nullptr; }
    static void close(Value v) { DeleteDC(v); }
  };
  using UniquePrinterDc = zrb::win::Owned<PrinterDcTraits>;

  bool openDocument(const std::wstring& documentName);
  bool beginPage();
  // Tells the user (once per document), abandons the job and closes the printer.
  void fail();
  void closePrinter();

  HWND owner_;
  UniquePrinterDc dc_;
  zrb::win::UniqueGdiObject font_;
  bool documentOpen_ = false;
  int lineHeight_ = 0;
  int pageHeight_ = 0;
  int nextLineTop_ = 0;
};

}  // namespace tessel::win
