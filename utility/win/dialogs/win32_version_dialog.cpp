// The version dialog ("バージョン情報"): the program's FileVersion and the
// date of its file, and the module whose resources hold all templates.
#include <cstdio>
#include <vector>

#include "texts.h"
#include "win32_dialog_support.h"
#include "win32_dialogs.h"
#include "win32_owners.h"
#include "win32_text.h"

namespace tessel::win {
namespace {

using namespace detail;

// Translations tried when the resource's own list names none that holds a
// FileVersion: code pages (outer) by languages (inner).
constexpr WORD kCodePages[] = {0, 932, 949, 950, 1200, 1250, 1251, 1252, 1253, 1254, 1255, 1256};
constexpr WORD kLanguages[] = {1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036,
                               1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048,
                               1049, 1050, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 2052, 2055, 2057,
                               2058, 2060, 2064, 2067, 2068, 2070, 2074, 3084, 4108};

std::wstring programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring fileVersionAt(const std::vector<char>& block, WORD language, WORD codePage) {
  wchar_t key[64];
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", language, codePage);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), key, &value, &length) || !value || length == 0) return {};
  return std::wstring(static_cast<const wchar_t*>(value));
}

std::wstring fileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
  WORD* pair = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pair), &length) &&
      pair && length >= 2 * sizeof(WORD)) {
    std::wstring version = fileVersionAt(block, pair[0], pair[1]);
    if (!version.empty()) return version;
  }
  for (WORD codePage : kCodePages)
    for (WORD language : kLanguages) {
      std::wstring version = fileVersionAt(block, language, codePage);
      if (!version.empty()) return version;
    }
  return {};
}

// Year and "(yymmdd)" of the program file's last write, in UTC.
bool fileDate(const std::wstring& path, std::wstring& year, std::wstring& date) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  SYSTEMTIME time{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      !FileTimeToSystemTime(&data.ftLastWriteTime, &time))
    return false;
  wchar_t text[32];
  swprintf(text, 32, L"%u", static_cast<unsigned>(time.wYear));
  year = text;
  swprintf(text, 32, L"(%.2u%.2u%.2u)", static_cast<unsigned>(time.wYear % 100),
           static_cast<unsigned>(time.wMonth), static_cast<unsigned>(time.wDay));
  date = text;
  return true;
}

BOOL CALLBACK firstIcon(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPCWSTR*>(found) = name;
  return FALSE;
}

// The program's own icon: the first icon group of its resources.
HICON programIcon() {
  HMODULE program = GetModuleHandleW(nullptr);
  LPCWSTR name = nullptr;
  EnumResourceNamesW(program, reinterpret_cast<LPCWSTR>(RT_GROUP_ICON), firstIcon,
                     reinterpret_cast<LONG_PTR>(&name));
  HICON icon = name ? LoadIconW(program, name) : nullptr;
  return icon ? icon : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

struct VersionSession {
  zrb::win::UniqueGdiObject titleFont;
};

void fillVersion(HWND dialog, VersionSession& session) {
  std::wstring path = programPath();
  SetDlgItemTextW(dialog, IDC_VerNum,
                  (zrb::win::utf8ToWide(text(sid::kVersionPrefix)) + fileVersion(path)).c_str());
  std::wstring year, date;
  if (!fileDate(path, year, date)) {
    year = zrb::win::utf8ToWide(text(sid::kYearFallback));
    date = zrb::win::utf8ToWide(text(sid::kDateFallback));
  }
  SetDlgItemTextW(dialog, IDC_VerYear, year.c_str());
  SetDlgItemTextW(dialog, IDC_VerDate, date.c_str());

  setControlText(dialog, IDC_VerTitle, text(sid::kAppTitle));
  LOGFONTW font{};
  HDC screen = GetDC(dialog);
  font.lfHeight = -MulDiv(18, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(dialog, screen);
  font.lfWeight = FW_BOLD;
  font.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpyW(font.lfFaceName, L"MS UI Gothic");
  session.titleFont.reset(CreateFontIndirectW(&font));
  SendDlgItemMessageW(dialog, IDC_VerTitle, WM_SETFONT, reinterpret_cast<WPARAM>(session.titleFont.get()),
                      FALSE);
  SendDlgItemMessageW(dialog, IDC_VerIcon, STM_SETICON, reinterpret_cast<WPARAM>(programIcon()), 0);
}

INT_PTR CALLBACK versionProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) {
      fillVersion(dialog, *keepContext<VersionSession>(dialog, lParam));
      return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
      EndDialog(dialog, IDOK);
      return TRUE;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

}  // namespace

void showVersionDialog(HWND owner) {
  VersionSession session;  // outlives the dialog, so its font does too
  DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(IDD_VersionDlog), owner, versionProcedure,
                  reinterpret_cast<LPARAM>(&session));
}

}  // namespace tessel::win
