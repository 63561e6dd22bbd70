#include "win32_user_messages.h"

#include "texts.h"
#include "win32_text.h"

namespace tessel::win {
namespace {

int show(HWND owner, std::string_view text, UINT buttons) {
  std::wstring caption = zrb::win::utf8ToWide(tessel::text(sid::kAppTitle));
  return MessageBoxW(owner, zrb::win::utf8ToWide(text).c_str(), caption.c_str(), buttons | MB_APPLMODAL);
}

}  // namespace

void MessageBoxes::showOk(std::string_view text) { show(owner_, text, MB_OK); }

bool MessageBoxes::askYesNo(std::string_view text) { return show(owner_, text, MB_YESNO) == IDYES; }

}  // namespace tessel::win
