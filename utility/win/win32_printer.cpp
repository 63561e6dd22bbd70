#include "win32_printer.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "print_lines.h"
#include "texts.h"
#include "win32_text.h"
#include "win32_user_messages.h"

namespace tessel::win {
namespace {

// The hexadecimal list's font: FixedSys, a bitmap font whose cell is 8 by 15
// pixels on a 96 dpi screen. A printer has no bitmap fonts, so the first face
// that offers Shift-JIS on the printer stands in, at the same cell shape.
constexpr int kScreenDpi = 96;
constexpr int kCellWidth = 8;
constexpr int kCellHeight = 15;
constexpr const wchar_t* kListFaces[] = {L"FixedSys", L"ＭＳ ゴシック", L"MS Gothic"};

// Every listing line has the same length; the font is sized so that it fits.
int listingLineChars() { return static_cast<int>(printLine(0, std::array<uint8_t, 16>{}).size()); }

int CALLBACK noteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

const wchar_t* listFace(HDC dc) {
  for (const wchar_t* face : listingFaces()) {
    LOGFONTW wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, noteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found) return face;
  }
  return kListFaces[0];  // the font mapper picks the nearest fixed-pitch Shift-JIS face
}

HFONT createListFont(const wchar_t* face, int cellWidth) {
  return CreateFontW(MulDiv(cellWidth, kCellHeight, kCellWidth), cellWidth, 0, 0, FW_NORMAL, FALSE, FALSE,
                     FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     FIXED_PITCH | FF_MODERN, face);
}

// What the font really gives on this printer: the width of a whole line and
// the distance from one line to the next.
struct LineMeasure {
  int width = 0;
  int height = 0;
};

LineMeasure measureLine(HDC dc, HFONT font, int chars) {
  if (!font) return {};
  zrb::win::Selection use(dc, font);
  const std::wstring sample(static_cast<size_t>(chars), L'0');
  SIZE extent{};
  TEXTMETRICW metrics{};
  if (!GetTextExtentPoint32W(dc, sample.c_str(), chars, &extent) || !GetTextMetricsW(dc, &metrics)) return {};
  return {extent.cx, metrics.tmHeight + metrics.tmExternalLeading};
}

void tell(HWND owner, uint16_t textId) noexcept {
  try {
    MessageBoxes boxes;
    boxes.setOwner(owner);
    boxes.showOk(text(textId));
  } catch (...) {
    // Out of memory for the message itself: the printing has ended all the same.
  }
}

}  // namespace

std::span<const wchar_t* const> listingFaces() { return kListFaces; }

Win32Printer::~Win32Printer() {
  if (documentOpen_ && dc_) AbortDoc(dc_.get());
  closePrinter();
}

Printer::Start Win32Printer::start(std::string_view documentName) {
  try {
    if (documentOpen_) AbortDoc(dc_.get());  // a listing that never finished
    closePrinter();
    PRINTDLGW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    // The driver makes the copies: a listing is streamed line by line and
    // cannot be printed twice over. Without a printer the dialog stays
    // quiet; the program says so in its own words below.
    dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE |
                   PD_USEDEVMODECOPIESANDCOLLATE | PD_NOWARNING;
    const BOOL chosen = PrintDlgW(&dialog);
    zrb::win::UniqueGlobal devMode(dialog.hDevMode), devNames(dialog.hDevNames);
    dc_.reset(dialog.hDC);
    if (!chosen && CommDlgExtendedError() == 0) return Start::Cancelled;
    if (!chosen || !dc_) {
      closePrinter();
      tell(owner_, sid::kPrinterUnavailable);
      return Start::Failed;
    }
    if (!openDocument(zrb::win::utf8ToWide(documentName))) {
      fail();
      return Start::Failed;
    }
    return Start::Printing;
  } catch (...) {
    fail();
    return Start::Failed;
  }
}

bool Win32Printer::openDocument(const std::wstring& documentName) {
  HDC dc = dc_.get();
  // The screen cell scaled to the printer's resolution, narrowed where the
  // page is too small for a whole line, then checked against what the font
  // mapper really gave: a line cut at the page edge would lose bytes.
  const int pageWidth = GetDeviceCaps(dc, HORZRES);
  pageHeight_ = GetDeviceCaps(dc, VERTRES);
  const int chars = listingLineChars();
  const int cellWidth =
      std::min(MulDiv(kCellWidth, GetDeviceCaps(dc, LOGPIXELSX), kScreenDpi), pageWidth / chars);
  if (cellWidth <= 0 || pageHeight_ <= 0) return false;
  const wchar_t* face = listFace(dc);
  font_.reset(createListFont(face, cellWidth));
  LineMeasure line = measureLine(dc, static_cast<HFONT>(font_.get()), chars);
  if (line.width > pageWidth) {
    font_.reset(createListFont(face, std::max(1, MulDiv(cellWidth, pageWidth, line.width))));
    line = measureLine(dc, static_cast<HFONT>(font_.get()), chars);
  }
  if (line.width <= 0 || line.width > pageWidth || line.height <= 0 || line.height > pageHeight_)
    return false;
  lineHeight_ = line.height;

  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = documentName.c_str();
  if (StartDocW(dc, &document) <= 0) return false;
  documentOpen_ = true;
  return beginPage();
}

bool Win32Printer::beginPage() {
  HDC dc = dc_.get();
  if (StartPage(dc) <= 0) return false;
  // Windows 9x resets a printer DC's attributes at every page, so the font
  // and colours are chosen again for each.
  if (!SelectObject(dc, font_.get())) return false;
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  nextLineTop_ = 0;
  return true;
}

bool Win32Printer::printLine(std::string_view line) {
  if (!documentOpen_) return false;  // never opened, or failed and already told
  try {
    HDC dc = dc_.get();
    if (nextLineTop_ + lineHeight_ > pageHeight_ && (EndPage(dc) <= 0 || !beginPage())) {
      fail();
      return false;
    }
    const std::wstring wide = zrb::win::shiftJisToWide(line);
    if (!TextOutW(dc, 0, nextLineTop_, wide.c_str(), static_cast<int>(wide.size()))) {
      fail();
      return false;
    }
    nextLineTop_ += lineHeight_;
    return true;
  } catch (...) {
    fail();
    return false;
  }
}

void Win32Printer::finish() {
  if (!documentOpen_) {
    closePrinter();
    return;
  }
  // A job the spooler did not take is a failure to tell, not a printout.
  HDC dc = dc_.get();
  if (EndPage(dc) <= 0 || EndDoc(dc) <= 0) {
    fail();
    return;
  }
  documentOpen_ = false;
  closePrinter();
}

void Win32Printer::fail() {
  if (documentOpen_ && dc_) AbortDoc(dc_.get());
  closePrinter();
  tell(owner_, sid::kPrintFailed);
}

void Win32Printer::closePrinter() {
  documentOpen_ = false;
  // The DC goes first: the font may still be selected into it.
  dc_.reset();
  font_.reset();
}

}  // namespace tessel::win
