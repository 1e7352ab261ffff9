// Resource and control identifiers of Ferrolink. The control ids let other
// programs (the end-to-end tests) find each control of the main window with
// GetDlgItem on its parent: the window or one of its group boxes.
#pragma once

#define IDI_FERROLINK 1
#define IDB_LOGO 101
#define IDB_NETWORK 102
#define IDB_FAILED 103
#define IDB_FOLDER 104

#define IDC_IMAGELOGO 1001
#define IDC_LABELCOPYRIGHT 1002
#define IDC_LABELVERSION 1003
#define IDC_GROUPBOXDONE 1004
#define IDC_LABEL1 1005
#define IDC_LABELSOURCE 1006
#define IDC_LABEL2 1007
#define IDC_LABELBRANCH 1008
#define IDC_LABEL3 1009
#define IDC_LABELSTATUS 1010
#define IDC_GROUPBOXTARGET 1011
#define IDC_NETWORK 1012
#define IDC_FAILEDIMAGE 1013
#define IDC_LABELDIR 1014
#define IDC_EDITTARGET 1015
#define IDC_SPEEDBUTTONDIR 1016
#define IDC_LABELMESSAGE 1017
#define IDC_GROUPBOXSETUP 1018
#define IDC_CHECKBOXDELETE 1019
#define IDC_BUTTONMINI 1020

// The window timer that runs the watch cycle.
#define IDT_TIMERFIND 1
