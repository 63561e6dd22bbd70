// The system's file dialogs and file existence, behind the transfer
// dialogs' seams.
#include <windows.h>
// After windows.h, on which it builds.
#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "win32_dialogs.h"
#include "win32_text.h"

namespace tessel::win {
namespace {

// Room for any path the file dialog hands back; a name too long for the
// image file library is refused by the transfer dialog's own check, with a
// message, rather than cut here.
constexpr size_t kNameCapacity = 32768;

// Shows the dialog on `current`; false when the user cancelled or the dialog
// failed, with the failure's code in `error`.
bool runFileDialog(FilePicker::Purpose purpose, HWND owner, const std::wstring& current,
                   std::vector<wchar_t>& name, DWORD& error) {
  name.assign(kNameCapacity, L'\0');
  current.copy(name.data(), std::min(current.size(), kNameCapacity - 1));
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = L"*.*\0*.*\0";
  request.nFilterIndex = 1;
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(name.size());
  bool chosen = false;
  if (purpose == FilePicker::Purpose::Save) {
    request.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    chosen = GetSaveFileNameW(&request) != FALSE;
  } else {
    request.Flags = OFN_HIDEREADONLY;
    chosen = GetOpenFileNameW(&request) != FALSE;
  }
  error = chosen ? 0 : CommDlgExtendedError();
  return chosen;
}

}  // namespace

std::optional<std::string> SystemFilePicker::pick(Purpose purpose, std::string_view current) {
  // The button's own dialog is the active window while it is pressed; owning
  // the file dialog keeps it modal to that dialog, not to the window behind.
  HWND active = GetActiveWindow();
  HWND owner = active ? active : owner_;
  std::vector<wchar_t> name;
  DWORD error = 0;
  if (runFileDialog(purpose, owner, zrb::win::utf8ToWide(current), name, error))
    return zrb::win::wideToUtf8(name.data());
  // A remembered name the system cannot start from (a character it refuses)
  // would keep the dialog from opening at all: start empty instead.
  if (error == FNERR_INVALIDFILENAME && runFileDialog(purpose, owner, std::wstring(), name, error))
    return zrb::win::wideToUtf8(name.data());
  return std::nullopt;
}

bool SystemFileProbe::exists(std::string_view name) {
  DWORD attributes = GetFileAttributesW(zrb::win::utf8ToWide(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace tessel::win
