// The range dialogs: search ("検索"), fill ("フィル"), move ("転送"), erase
// ("イレース"), erase check ("イレースチェック") and print ("印刷"). One
// procedure serves them all; what differs is bound per dialog below.
#include "range_dialogs.h"
#include "win32_dialog_support.h"
#include "win32_dialogs.h"
#include "win32_text.h"

namespace tessel::win {
namespace {

using namespace detail;

void limitAddressEdit(HWND dialog, int id) {
  SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, kAddressLength, 0);
}

void showAreaLabels(HWND dialog, const AreaLabels& labels) {
  setControlText(dialog, IDC_SocketName, labels.socketName);
  setControlText(dialog, IDC_AttributeName, labels.attributeName);
  setControlText(dialog, IDC_RegionName, labels.regionName);
}

void showRange(HWND dialog, const AddressRangeEdits& model, int startEdit, int endEdit) {
  limitAddressEdit(dialog, startEdit);
  limitAddressEdit(dialog, endEdit);
  setControlText(dialog, startEdit, model.startText());
  setControlText(dialog, endEdit, model.endText());
}

void takeRange(HWND dialog, AddressRangeEdits& model, int startEdit, int endEdit) {
  model.setStartText(controlText(dialog, startEdit));
  model.setEndText(controlText(dialog, endEdit));
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The pattern edits hold card bytes: quoted text is matched or written as
// the card window's character list shows it, in Shift-JIS, not in UTF-8.
std::string patternText(HWND dialog, int id) {
  HWND edit = GetDlgItem(dialog, id);
  int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
  return zrb::win::wideToShiftJis(text);
}

void showPattern(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextW(dialog, id, zrb::win::shiftJisToWide(text).c_str());
}

// Search and fill: OK can be pressed only while the pattern edit holds text.
template <typename Model, int Template, int PatternEdit>
struct PatternBinding {
  using ModelType = Model;
  static constexpr int kTemplate = Template;

  static void show(HWND dialog, Model& model) {
    showRange(dialog, model, IDC_SAddrEdit, IDC_EAddrEdit);
    showPattern(dialog, PatternEdit, model.patternText());
    EnableWindow(GetDlgItem(dialog, IDC_OKBtn), model.okEnabled());
  }
  static int focus(const Model& model) {
    return model.focus() == DialogFocus::PatternEdit ? PatternEdit : IDC_OKBtn;
  }
  // Enter in an edit still sends OK while the button is disabled.
  static bool okAllowed(const Model& model) { return model.okEnabled(); }
  static void take(HWND dialog, Model& model) {
    takeRange(dialog, model, IDC_SAddrEdit, IDC_EAddrEdit);
    model.setPatternText(patternText(dialog, PatternEdit));
  }
  static void command(HWND dialog, Model& model, int id, int notification) {
    if (id == PatternEdit && notification == EN_CHANGE) {
      model.setPatternText(patternText(dialog, PatternEdit));
      EnableWindow(GetDlgItem(dialog, IDC_OKBtn), model.okEnabled());
    }
  }
};

using FillBinding = PatternBinding<FillDialogModel, IDD_FillDlog, IDC_FillData>;

struct SearchBinding : PatternBinding<SearchDialogModel, IDD_SearchDlog, IDC_SearchData> {
  static void show(HWND dialog, SearchDialogModel& model) {
    PatternBinding::show(dialog, model);
    CheckRadioButton(dialog, IDC_DirectionForward, IDC_DirectionBackward,
                     model.direction() != 0 ? IDC_DirectionBackward : IDC_DirectionForward);
    CheckRadioButton(dialog, IDC_OptionMatch, IDC_OptionMismatch,
                     model.condition() != 0 ? IDC_OptionMismatch : IDC_OptionMatch);
  }
  static void take(HWND dialog, SearchDialogModel& model) {
    PatternBinding::take(dialog, model);
    model.chooseDirection(checked(dialog, IDC_DirectionBackward) ? 1 : 0);
    model.chooseCondition(checked(dialog, IDC_OptionMismatch) ? 1 : 0);
  }
};

// Erase check and print: the area's labels and the range.
template <int Template>
struct AreaBinding {
  using ModelType = AreaRangeDialogModel;
  static constexpr int kTemplate = Template;

  static void show(HWND dialog, AreaRangeDialogModel& model) {
    showAreaLabels(dialog, model.labels());
    showRange(dialog, model, IDC_OffsetEdit, IDC_EOffsetEdit);
  }
  static int focus(const AreaRangeDialogModel&) { return IDC_OKBtn; }
  static bool okAllowed(const AreaRangeDialogModel&) { return true; }
  static void take(HWND dialog, AreaRangeDialogModel& model) {
    takeRange(dialog, model, IDC_OffsetEdit, IDC_EOffsetEdit);
  }
  static void command(HWND, AreaRangeDialogModel&, int, int) {}
};

struct MoveBinding {
  using ModelType = MoveDialogModel;
  static constexpr int kTemplate = IDD_MoveDlog;

  static void show(HWND dialog, MoveDialogModel& model) {
    showRange(dialog, model, IDC_OffsetEdit, IDC_EOffsetEdit);
    limitAddressEdit(dialog, IDC_DOffsetEdit);
    setControlText(dialog, IDC_DOffsetEdit, model.destinationText());
  }
  static int focus(const MoveDialogModel&) { return IDC_OKBtn; }
  static bool okAllowed(const MoveDialogModel&) { return true; }
  static void take(HWND dialog, MoveDialogModel& model) {
    takeRange(dialog, model, IDC_OffsetEdit, IDC_EOffsetEdit);
    model.setDestinationText(controlText(dialog, IDC_DOffsetEdit));
  }
  static void command(HWND, MoveDialogModel&, int, int) {}
};

struct EraseBinding {
  using ModelType = EraseDialogModel;
  static constexpr int kTemplate = IDD_EraseDlog;

  static void show(HWND dialog, EraseDialogModel& model) {
    AreaBinding<IDD_EraseDlog>::show(dialog, model);
    CheckDlgButton(dialog, IDC_Option, model.optionChecked() ? BST_CHECKED : BST_UNCHECKED);
  }
  static int focus(const EraseDialogModel&) { return IDC_OKBtn; }
  static bool okAllowed(const EraseDialogModel&) { return true; }
  static void take(HWND dialog, EraseDialogModel& model) {
    AreaBinding<IDD_EraseDlog>::take(dialog, model);
    model.setOptionChecked(checked(dialog, IDC_Option));
  }
  // The box keeps its state from one showing to the next, whether the
  // dialog then closed with OK or not.
  static void command(HWND dialog, EraseDialogModel& model, int id, int notification) {
    if (id == IDC_Option && notification == BN_CLICKED) model.setOptionChecked(checked(dialog, IDC_Option));
  }
};

template <typename Binding>
INT_PTR CALLBACK rangeProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  using Model = typename Binding::ModelType;
  try {
    if (message == WM_INITDIALOG) {
      auto* model = keepContext<Model>(dialog, lParam);
      model->activate();
      Binding::show(dialog, *model);
      SetFocus(GetDlgItem(dialog, Binding::focus(*model)));
      return FALSE;  // the focus is set
    }
    if (message == WM_COMMAND) {
      auto* model = context<Model>(dialog);
      if (!model) return FALSE;
      int id = LOWORD(wParam);
      if (id == IDC_OKBtn) {
        if (!Binding::okAllowed(*model)) return TRUE;
        Binding::take(dialog, *model);
        // A refused OK leaves the user's texts as they are typed.
        finish(dialog, model->okBtnClick());
      } else if (id == IDC_CancelBtn) {
        EndDialog(dialog, IDCANCEL);
      } else {
        Binding::command(dialog, *model, id, HIWORD(wParam));
      }
      return TRUE;
    }
  } catch (...) {
    EndDialog(dialog, IDCANCEL);
  }
  return FALSE;
}

template <typename Binding>
bool showRangeDialog(HWND owner, typename Binding::ModelType& model) {
  return DialogBoxParamW(dialogModule(), MAKEINTRESOURCEW(Binding::kTemplate), owner, rangeProcedure<Binding>,
                         reinterpret_cast<LPARAM>(&model)) == IDOK;
}

}  // namespace

bool showSearchDialog(HWND owner, SearchDialogModel& model) {
  return showRangeDialog<SearchBinding>(owner, model);
}
bool showFillDialog(HWND owner, FillDialogModel& model) { return showRangeDialog<FillBinding>(owner, model); }
bool showMoveDialog(HWND owner, MoveDialogModel& model) { return showRangeDialog<MoveBinding>(owner, model); }
bool showEraseDialog(HWND owner, EraseDialogModel& model) {
  return showRangeDialog<EraseBinding>(owner, model);
}
bool showECheckDialog(HWND owner, ECheckDialogModel& model) {
  return showRangeDialog<AreaBinding<IDD_ECheckDlog>>(owner, model);
}
bool showPrintDialog(HWND owner, PrintDialogModel& model) {
  return showRangeDialog<AreaBinding<IDD_PrintDlog>>(owner, model);
}

}  // namespace tessel::win
