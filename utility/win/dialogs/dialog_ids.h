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
#define IDD_ReadDlog 3006
#define IDD_WriteDlog 3007
#define IDD_CompDlog 3008
#define IDD_SearchDlog 3009
#define IDD_FillDlog 3010
#define IDD_MoveDlog 3011
#define IDD_EraseDlog 3012
#define IDD_ECheckDlog 3013
#define IDD_PrintDlog 3014
#define IDD_CCopyDlog 3015
#define IDD_CCompDlog 3016

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

// File transfer dialogs (the offset edit is IDC_OffsetEdit, the area labels
// those of the device type dialog).
#define IDC_SAddrEdit 3150
#define IDC_EAddrEdit 3151
#define IDC_SaveName 3152
#define IDC_ReadName 3153
#define IDC_Sansyou 3154
#define IDC_FileTypeBox 3155
#define IDC_Option 3156

// Range dialogs: the pattern edits, the search's two radio groups
// ("Direction", "Option") and the end and destination edits.
#define IDC_SearchData 3160
#define IDC_FillData 3161
#define IDC_DirectionForward 3162
#define IDC_DirectionBackward 3163
#define IDC_OptionMatch 3164
#define IDC_OptionMismatch 3165
#define IDC_EOffsetEdit 3166
#define IDC_DOffsetEdit 3167

// Card copy and card compare dialogs: the destination.
#define IDC_DSocketBox 3170
#define IDC_DAttributeBox 3171
#define IDC_DAreaBox 3172
#define IDC_DSOEdit 3173
#define IDC_DEOAddr 3174

// Chip menu commands: IDM_ChipFirst + maker * IDM_ChipsPerMaker + chip.
#define IDM_ChipFirst 3500
#define IDM_ChipsPerMaker 32
