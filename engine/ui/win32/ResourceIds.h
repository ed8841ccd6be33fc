/* The resources of the Win32 interface: template, icon and menu numbers and the control ids of
   its dialogs. Plain defines: the resource compiler reads this file too. */
#pragma once

#define VX_IDI_PROGRAM 128
#define VX_IDR_MENU 128

/* Menu commands of the main window. */
#define VX_ID_APP_ABOUT 57664
#define VX_ID_APP_EXIT 57665

/* Dialog templates. */
#define VX_IDD_ABOUT 100
#define VX_IDD_PREPARATION 130
#define VX_IDD_PROGRESS 140
#define VX_IDD_CONFIRM_UNINSTALL 142
#define VX_IDD_SEARCH 143
#define VX_IDD_FOUR_CHOICE 144
#define VX_IDD_TEXT_QUESTION 145
#define VX_IDD_CHOICE 147

/* Controls. */
#define VX_IDC_BAR 1000
#define VX_IDC_LINE1 1001
#define VX_IDC_LINE2 1002
#define VX_IDC_LINE3 1003
#define VX_IDC_EDIT 1004
#define VX_IDC_BROWSE 1005
#define VX_IDC_SIDE_PICTURE 1003
#define VX_IDC_SEARCH_TEXT 1018
#define VX_IDC_CHOICE_PROMPT 1064
#define VX_IDC_SEARCH_LIST 1068
#define VX_IDC_SEARCH_FOLDER 1069
#define VX_IDC_ABOUT_ICON 1071
#define VX_IDC_ABOUT_MAKER 1072
#define VX_IDC_CHOICE_LIST 1073
/* The four-choice buttons: Yes, Yes to all, No, No to all give 0 to 3 above this. */
#define VX_IDC_FOUR_BASE 100
