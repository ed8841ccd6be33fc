// The numbers the page templates use, for the resource compiler (which reads no C++): the
// dialog templates by their page table numbers and the control ids of engine/ui/ControlIds.h
// (checked against it where the pages are built).
#pragma once

#define VX_DLG_WELCOME 132
#define VX_DLG_LICENSE 133
#define VX_DLG_USERINFO 134
#define VX_DLG_TYPE 136
#define VX_DLG_COMPONENTS 137
#define VX_DLG_SUMMARY 138
#define VX_DLG_COMPLETION 139
#define VX_DLG_DESTINATION 141

#define VX_CTL_SIDE_PICTURE 1003
#define VX_CTL_PAGE_TEXT 1004
#define VX_CTL_LICENSE 1005
#define VX_CTL_USER_GROUP 1006
#define VX_CTL_USER_NAME_EDIT 1007
#define VX_CTL_USER_NAME_LABEL 1010
#define VX_CTL_SUMMARY 1017
#define VX_CTL_SUMMARY_INTRO 1018
#define VX_CTL_TYPE_DESCRIPTION 1024
#define VX_CTL_COMPLETION_TEXT 1025
#define VX_CTL_COMPLETION_MORE 1026
#define VX_CTL_COMPONENT_DESCRIPTION 1031
#define VX_CTL_COMPONENT_TOTAL 1032
#define VX_CTL_DRIVE_TABLE 1033
#define VX_CTL_DESTINATION_LABEL 1034
#define VX_CTL_DESTINATION_DRIVES 1035
#define VX_CTL_DESTINATION_FOLDER 1036
#define VX_CTL_WELCOME_WARNING 1063
#define VX_CTL_LIST_PLACE 1066
#define VX_CTL_UNINSTALL_ALL 1070
#define VX_CTL_PAGE_PROMPT 1077

// Row n (from 0) of the destination page: its controls three ids apart, 12 units apart. The
// drive list is wide enough for "C:\" beside its button (which keeps the system's width, not
// the font's), the folder reaching the drive table's right edge.
#define VX_DEST_ROW(n, y)                                                                      \
  LTEXT "", VX_CTL_DESTINATION_LABEL + 3 * (n), 19, (y) + 2, 99, 8,                            \
      SS_NOPREFIX | SS_LEFTNOWORDWRAP |                                                        \
          SS_ENDELLIPSIS COMBOBOX VX_CTL_DESTINATION_DRIVES + 3 * (n),                         \
      120, y, 38, 48,                                                                          \
      CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP EDITTEXT VX_CTL_DESTINATION_FOLDER + 3 * (n), \
      160, y, 113, 12, ES_AUTOHSCROLL
