// res/resource.h
// Identifiers of Zapfile's dialogs, controls and icon, shared by the resource script and
// the program.
#ifndef ZAPFILE_RESOURCE_H
#define ZAPFILE_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialogs and the icon
#define IDD_MAIN 101
#define IDD_ABOUT 102
#define IDI_APP 103
#define IDD_IEEXT 105

// Main dialog
#define IDC_BROWSE 1001
#define IDC_PATH 1002
#define IDC_DELETE 1003
#define IDC_IEEXT 1004
#define IDC_ABOUT 1005
#define IDC_CLOSE 1007

// Ie Ext dialog
#define IDC_REGISTER 1001
#define IDC_UNREGISTER 1003
#define IDC_NOASK 1010

#endif
