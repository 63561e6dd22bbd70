// The library's window exports: the tuple list, the viewers and their dialog
// procedures (the decoders and CisDescribe are declared in the portable core).
#pragma once

#include <windows.h>

#include "cis_records.h"

#define CIS_DIALOG_PROC(name) INT_PTR CALLBACK name(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
#define CIS_VIEWER(name) void __stdcall name(HWND owner, const cis::CisTupleRecord* record)

extern "C" {

void __stdcall CisShow(HWND owner, WORD socket, const cis::CisTupleEntry* entries, unsigned count);
CIS_DIALOG_PROC(DlgCis);

// Exported as _CisShow0 and _CisShowX.
CIS_VIEWER(CisShowNameOnly);
CIS_VIEWER(CisShowHexDump);
CIS_DIALOG_PROC(Dlg_CisShow0);
CIS_DIALOG_PROC(Dlg_CisShowX);
CIS_DIALOG_PROC(Dlg_CisOneShot);

CIS_VIEWER(CisShowDev);
CIS_VIEWER(CisShowOci);
CIS_VIEWER(CisShowMfc);
CIS_VIEWER(CisShowCks);
CIS_VIEWER(CisShowLl);
CIS_VIEWER(CisShowLtg);
CIS_VIEWER(CisShowLv1);
CIS_VIEWER(CisShowAltstr);
CIS_VIEWER(CisShowJed);
CIS_VIEWER(CisShowCc);
CIS_VIEWER(CisShowCe);
CIS_VIEWER(CisShowDg);
CIS_VIEWER(CisShowMid);
CIS_VIEWER(CisShowFid);
CIS_VIEWER(CisShowFe);
CIS_VIEWER(CisShowLv2);
CIS_VIEWER(CisShowFmt);
CIS_VIEWER(CisShowGeo);
CIS_VIEWER(CisShowByte);
CIS_VIEWER(CisShowDate);
CIS_VIEWER(CisShowBatt);
CIS_VIEWER(CisShowOrg);

CIS_DIALOG_PROC(DlgCisDev);
CIS_DIALOG_PROC(DlgCisMfc);
CIS_DIALOG_PROC(DlgCisJed);
CIS_DIALOG_PROC(DlgCisDg);
CIS_DIALOG_PROC(DlgCisCks);
CIS_DIALOG_PROC(DlgCisLl);
CIS_DIALOG_PROC(DlgCisLtg);
CIS_DIALOG_PROC(DlgCisLv1);
CIS_DIALOG_PROC(DlgCisAltstr);
CIS_DIALOG_PROC(DlgCisCc);
CIS_DIALOG_PROC(DlgCisCe);
CIS_DIALOG_PROC(DlgCisMid);
CIS_DIALOG_PROC(DlgCisFid);
CIS_DIALOG_PROC(DlgCisLv2);
CIS_DIALOG_PROC(DlgCisFmt);
CIS_DIALOG_PROC(DlgCisGeo);
CIS_DIALOG_PROC(DlgCisByte);
CIS_DIALOG_PROC(DlgCisDate);
CIS_DIALOG_PROC(DlgCisBatt);
CIS_DIALOG_PROC(DlgCisOrg);
CIS_DIALOG_PROC(DlgCisFeSpSerialIf);
CIS_DIALOG_PROC(DlgCisFeSpModemIf);
CIS_DIALOG_PROC(DlgCisFeSpDataModem);
CIS_DIALOG_PROC(DlgCisFeSpFaxModem);
CIS_DIALOG_PROC(DlgCisFeSpVoiceEncode);
CIS_DIALOG_PROC(DlgCisFeSpIsdn);
CIS_DIALOG_PROC(DlgCisFeDiskDdi);
CIS_DIALOG_PROC(DlgCisFeDiskAta);
void __stdcall Fmt_Init(HWND dialog, const cis::CisTupleRecord* record);

}  // extern "C"
