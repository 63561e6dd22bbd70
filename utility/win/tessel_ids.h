// Resource and control identifiers of the main window. The names are the
// controls' and menu items' own names; the dialogs keep theirs in
// dialogs/dialog_ids.h. Shared by the resource script and the code.
#pragma once

#define IDI_Tessel 100
#define IDR_MainMenu1 101

// Menu items.
#define IDM_OpenO1 40001
#define IDM_Exit1 40002
#define IDM_Pile 40010
#define IDM_Holizn 40011
#define IDM_Vertical 40012
#define IDM_Adjust 40013
#define IDM_AllClose 40014
#define IDM_FontCChange 40015
#define IDM_ListCChange 40016
#define IDM_FlashEdit 40020
#define IDM_AtaEdit 40021
#define IDM_EnvSet 40022
#define IDM_TopicT1 40030
#define IDM_Verdisp 40031

// Toolbar buttons; ToolButtonN is IDC_ToolButton1 + N - 1.
#define IDC_ToolBar1 4000
#define IDC_ToolButton1 4001
#define IDC_ToolButton2 4002
#define IDC_ToolButton3 4003
#define IDC_ToolButton4 4004
#define IDC_ToolButton5 4005
#define IDC_ToolButton6 4006
#define IDC_ToolButton7 4007
#define IDC_ToolButton8 4008
#define IDC_ToolButton9 4009
#define IDC_ToolButton10 4010
#define IDC_ToolButton11 4011
#define IDC_ToolButton12 4012
#define IDC_ToolButton13 4013
#define IDC_ToolButton14 4014

// The socket indicator: the panel and one lamp per socket (SNLed is
// IDC_S1Led + N - 1); each lamp draws its own number label.
#define IDC_Panel1 4100
#define IDC_S1Led 4101

// The card window: its menu bar (merged into the frame's while it is
// active), its own menu items, and its controls.
#define IDR_DumpMainMenu 102
#define IDM_CloseC1 40100
#define IDM_AddrGoto 40101
#define IDM_AddrTopIn 40102
#define IDM_AddrBottomIn 40103
#define IDM_FirstRead 40104
#define IDM_PopSet 40105
// The long commands, in one block after the window's other items.
#define IDM_ReadClick 40106
#define IDM_WriteClick 40107
#define IDM_CompClick 40108
#define IDM_EraseClick 40109
#define IDM_EraseCheckClick 40110
#define IDM_FillClick 40111
#define IDM_MoveClick 40112
#define IDM_CardCopyClick 40113
#define IDM_CardCompClick 40114
#define IDM_SearchClick 40115
#define IDM_FsearchClick 40116
#define IDM_BSearchClick 40117
#define IDM_CopyC1Click 40118
#define IDM_PasteP1Click 40119
#define IDM_PrintClick 40120
#define IDM_CardInformationClick 40121
#define IDM_DeviceD1Click 40122
// The lists' pop-up menu DumpMenu.
#define IDR_DumpPopupMenu 103

#define IDC_Stled 4200
#define IDC_Wpled 4201
#define IDC_Battled 4202
#define IDC_StLabel 4203
#define IDC_WpLabel 4204
#define IDC_BattLabel 4205
#define IDC_Label4 4206
#define IDC_AddrList 4207
#define IDC_DumpList 4208
#define IDC_CharList 4209
#define IDC_ScrollBar1 4210
#define IDC_StatusBar1 4211

// First child id of the MDI client's card windows.
#define IDC_FirstCardWindow 50000

// Menu positions in the main menu bar.
#define MENU_POS_CARD 0
#define MENU_POS_WINDOW 1
#define MENU_POS_OPTION 2
#define MENU_POS_HELP 3
// ... and in the card window's, which keeps the frame's last three menus.
#define DUMP_MENU_POS_CARD 0
#define DUMP_MENU_POS_EDIT 1
#define DUMP_MENU_POS_TOOL 2
#define DUMP_MENU_POS_SHARED 3
