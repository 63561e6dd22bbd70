// The exported viewers and their dialog procedures: each pairs a dialog
// resource with the portable builder of its texts.
#include <exception>

#include "win32_exports.h"
#include "win32_support.h"
#include "win32_viewer_dialog.h"

using cis::CisTupleRecord;
using cis::FeViewer;
using cis::Viewer;
using cis::ViewerText;

namespace {

ViewerText fe(FeViewer viewer, const CisTupleRecord& record) { return cis::buildFeViewer(viewer, record); }

template <Viewer V>
ViewerText build(const CisTupleRecord& record) {
  return cis::buildViewer(V, record);
}

template <FeViewer F>
ViewerText buildFe(const CisTupleRecord& record) {
  return fe(F, record);
}

// Shows `record` in the dialog the builder chooses for it.
void show(HWND owner, const CisTupleRecord* record, cis::win::ViewerBuilder builder, DLGPROC procedure) {
  if (!record) return;
  try {
    uint16_t dialogId = builder(*record).dialogId;
    DialogBoxParamW(cis::win::moduleInstance(), MAKEINTRESOURCEW(dialogId), owner, procedure,
                    reinterpret_cast<LPARAM>(record));
  } catch (const std::exception&) {
    // Out of memory while building the texts: nothing is shown.
  }
}

}  // namespace

#define CIS_DEFINE_PROC(name, builder)                                           \
  extern "C" CIS_DIALOG_PROC(name) {                                             \
    return cis::win::viewerDialogProc(dialog, message, wParam, lParam, builder); \
  }

CIS_DEFINE_PROC(DlgCisDev, [](const CisTupleRecord& r) {
  // The same procedure serves 0x01/0x17 and 0x1C/0x1D; the tuple code decides.
  bool oc = r.requestedCode == 0x1C || r.requestedCode == 0x1D;
  return cis::buildViewer(oc ? Viewer::Oci : Viewer::Dev, r);
})
CIS_DEFINE_PROC(DlgCisMfc, build<Viewer::Mfc>)
CIS_DEFINE_PROC(DlgCisJed, build<Viewer::Jed>)
CIS_DEFINE_PROC(DlgCisDg, build<Viewer::Dg>)
CIS_DEFINE_PROC(DlgCisCks, build<Viewer::Cks>)
CIS_DEFINE_PROC(DlgCisLl, build<Viewer::Ll>)
CIS_DEFINE_PROC(DlgCisLtg, build<Viewer::Ltg>)
CIS_DEFINE_PROC(DlgCisLv1, build<Viewer::Lv1>)
CIS_DEFINE_PROC(DlgCisAltstr, build<Viewer::Altstr>)
CIS_DEFINE_PROC(DlgCisCc, build<Viewer::Cc>)
CIS_DEFINE_PROC(DlgCisCe, build<Viewer::Ce>)
CIS_DEFINE_PROC(DlgCisMid, build<Viewer::Mid>)
CIS_DEFINE_PROC(DlgCisFid, build<Viewer::Fid>)
CIS_DEFINE_PROC(DlgCisLv2, build<Viewer::Lv2>)
CIS_DEFINE_PROC(DlgCisGeo, build<Viewer::Geo>)
CIS_DEFINE_PROC(DlgCisByte, build<Viewer::Byte>)
CIS_DEFINE_PROC(DlgCisDate, build<Viewer::Date>)
CIS_DEFINE_PROC(DlgCisBatt, build<Viewer::Batt>)
CIS_DEFINE_PROC(DlgCisOrg, build<Viewer::Org>)
CIS_DEFINE_PROC(DlgCisFeSpSerialIf, buildFe<FeViewer::SerialIf>)
CIS_DEFINE_PROC(DlgCisFeSpModemIf, buildFe<FeViewer::ModemIf>)
CIS_DEFINE_PROC(DlgCisFeSpDataModem, buildFe<FeViewer::DataModem>)
CIS_DEFINE_PROC(DlgCisFeSpFaxModem, buildFe<FeViewer::FaxModem>)
CIS_DEFINE_PROC(DlgCisFeSpVoiceEncode, buildFe<FeViewer::VoiceEncode>)
CIS_DEFINE_PROC(DlgCisFeSpIsdn, buildFe<FeViewer::Isdn>)
CIS_DEFINE_PROC(DlgCisFeDiskDdi, buildFe<FeViewer::DiskDdi>)
CIS_DEFINE_PROC(DlgCisFeDiskAta, buildFe<FeViewer::DiskAta>)

// The format viewer's set-up, exported on its own: fills a format dialog for a record.
extern "C" void __stdcall Fmt_Init(HWND dialog, const CisTupleRecord* record) {
  try {
    cis::win::initViewerDialog(dialog, record, build<Viewer::Fmt>);
  } catch (...) {
  }
}

extern "C" CIS_DIALOG_PROC(DlgCisFmt) {
  if (message == WM_INITDIALOG) {
    Fmt_Init(dialog, reinterpret_cast<const CisTupleRecord*>(lParam));
    return TRUE;
  }
  return cis::win::viewerDialogProc(dialog, message, wParam, lParam, build<Viewer::Fmt>);
}

#define CIS_DEFINE_VIEWER(name, builder, procedure) \
  extern "C" CIS_VIEWER(name) { show(owner, record, builder, procedure); }

CIS_DEFINE_VIEWER(CisShowDev, build<Viewer::Dev>, DlgCisDev)
CIS_DEFINE_VIEWER(CisShowOci, build<Viewer::Oci>, DlgCisDev)
CIS_DEFINE_VIEWER(CisShowMfc, build<Viewer::Mfc>, DlgCisMfc)
CIS_DEFINE_VIEWER(CisShowCks, build<Viewer::Cks>, DlgCisCks)
CIS_DEFINE_VIEWER(CisShowLl, build<Viewer::Ll>, DlgCisLl)
CIS_DEFINE_VIEWER(CisShowLtg, build<Viewer::Ltg>, DlgCisLtg)
CIS_DEFINE_VIEWER(CisShowLv1, build<Viewer::Lv1>, DlgCisLv1)
CIS_DEFINE_VIEWER(CisShowAltstr, build<Viewer::Altstr>, DlgCisAltstr)
CIS_DEFINE_VIEWER(CisShowJed, build<Viewer::Jed>, DlgCisJed)
CIS_DEFINE_VIEWER(CisShowCc, build<Viewer::Cc>, DlgCisCc)
CIS_DEFINE_VIEWER(CisShowCe, build<Viewer::Ce>, DlgCisCe)
CIS_DEFINE_VIEWER(CisShowDg, build<Viewer::Dg>, DlgCisDg)
CIS_DEFINE_VIEWER(CisShowMid, build<Viewer::Mid>, DlgCisMid)
CIS_DEFINE_VIEWER(CisShowFid, build<Viewer::Fid>, DlgCisFid)
CIS_DEFINE_VIEWER(CisShowLv2, build<Viewer::Lv2>, DlgCisLv2)
CIS_DEFINE_VIEWER(CisShowFmt, build<Viewer::Fmt>, DlgCisFmt)
CIS_DEFINE_VIEWER(CisShowGeo, build<Viewer::Geo>, DlgCisGeo)
CIS_DEFINE_VIEWER(CisShowByte, build<Viewer::Byte>, DlgCisByte)
CIS_DEFINE_VIEWER(CisShowDate, build<Viewer::Date>, DlgCisDate)
CIS_DEFINE_VIEWER(CisShowBatt, build<Viewer::Batt>, DlgCisBatt)
CIS_DEFINE_VIEWER(CisShowOrg, build<Viewer::Org>, DlgCisOrg)

// Function extensions: the function code at offset 2 and the type byte choose the dialog.
extern "C" CIS_VIEWER(CisShowFe) {
  if (!record) return;
  unsigned type = record->dataLength > 0 ? record->data[0] : 0x100;
  switch (cis::feViewerFor(record->attributeWord, type)) {
    case FeViewer::SerialIf:
      return show(owner, record, buildFe<FeViewer::SerialIf>, DlgCisFeSpSerialIf);
    case FeViewer::ModemIf:
      return show(owner, record, buildFe<FeViewer::ModemIf>, DlgCisFeSpModemIf);
    case FeViewer::DataModem:
      return show(owner, record, buildFe<FeViewer::DataModem>, DlgCisFeSpDataModem);
    case FeViewer::FaxModem:
      return show(owner, record, buildFe<FeViewer::FaxModem>, DlgCisFeSpFaxModem);
    case FeViewer::VoiceEncode:
      return show(owner, record, buildFe<FeViewer::VoiceEncode>, DlgCisFeSpVoiceEncode);
    case FeViewer::Isdn:
      return show(owner, record, buildFe<FeViewer::Isdn>, DlgCisFeSpIsdn);
    case FeViewer::DiskDdi:
      return show(owner, record, buildFe<FeViewer::DiskDdi>, DlgCisFeDiskDdi);
    case FeViewer::DiskAta:
      return show(owner, record, buildFe<FeViewer::DiskAta>, DlgCisFeDiskAta);
    case FeViewer::Dump:
      break;
  }
  CisShowHexDump(owner, record);
}
