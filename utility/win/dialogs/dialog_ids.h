// Identifiers of the operation dialogs' templates and controls, shared by the
// resource script and the dialog procedures. Control names are those of the
// dialogs' designs; OK and cancel buttons keep the standard identifiers so
// that Enter and Escape work as users expect.
#pragma once

// Templates.
#define IDD_OpenDlog 3000
#define IDD_DevDlog 3001
#define IDD_EnvSetDlog 3002
#define IDD_Gages 3003
#define IDD_InputDlog 3004
#define IDD_VersionDlog 3005

#define IDC_OKBtn IDOK
#define IDC_CancelBtn IDCANCEL

// Open card dialog.
#define IDC_SocketBox 3100
#define IDC_AttributeBox 3101
#define IDC_AreaBox 3102
#define IDC_OffsetEdit 3103

// Device type and settings dialogs.
#define IDC_DevBox 3110
#define IDC_DevLabel 3111
#define IDC_Size 3112
#define IDC_SocketName 3113
#define IDC_AttributeName 3114
#define IDC_RegionName 3115

// Progress window.
#define IDC_ProcessName 3120
#define IDC_ProcessText 3121
#define IDC_ProgressBar1 3122
#define IDC_Button1 3123

// Input box.
#define IDC_InpData 3130
#define IDC_InpLabel 3131

// Version dialog.
#define IDC_VerTitle 3140
#define IDC_VerIcon 3141
#define IDC_VerNum 3142
#define IDC_VerYear 3143
#define IDC_VerDate 3144

// Chip menu commands: IDM_ChipFirst + maker * IDM_ChipsPerMaker + chip.
#define IDM_ChipFirst 3500
#define IDM_ChipsPerMaker 32
