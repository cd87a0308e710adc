/* resource.h - the numbers of SetupOrdane's resources: icon, dialog templates,
 * dialog controls and string-table entries.
 * Shared by SetupOrdane.rc and the C++ code; the numbers are fixed, since the
 * program addresses every resource by number and tests pin them. */
#ifndef SETUPORDANE_RESOURCE_H
#define SETUPORDANE_RESOURCE_H

/* Icon group, shown by the main window class and dialogs 600, 604 and 606 */
#define IDI_ORDANE 500

/* Dialog templates */
#define IDD_REPLACE_CONFIRM 600
#define IDD_COPY_PROGRESS 602
#define IDD_SETUP_COMPLETE 604
#define IDD_RESTART 606
#define IDD_PORT_SELECT 608

/* Controls; labels that the code never touches are IDC_STATIC */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_REPLACE_ICON 1007
#define IDC_FILE_NAME 1008
#define IDC_TARGET_SIZE 1009
#define IDC_TARGET_DATE 1010
#define IDC_SOURCE_SIZE 1011
#define IDC_SOURCE_DATE 1012
#define IDC_REPLACE_YES 1013
#define IDC_REPLACE_NO 1014
#define IDC_COPY_FROM 1015
#define IDC_COPY_TO 1016
#define IDC_COPY_PROGRESS 1017
#define IDC_PORT_LIST 1018

/* Strings: titles, questions and messages */
#define IDS_APP_TITLE 1
#define IDS_SYNTAX_CAPTION 5
#define IDS_SYNTAX_TEXT 7
#define IDS_CONFIRM_COMPLETE_SETUP 9
#define IDS_CONFIRM_COMPLETE_DELETION 11
#define IDS_DELETION_TITLE 13
#define IDS_CONFIRM_SIMPLE_DELETION 17
#define IDS_CONFIRM_SIMPLE_SETUP 19
#define IDS_COPY_TITLE_SETUP 21
#define IDS_COPY_TITLE_SAVE 23
#define IDS_BACKUP_FAILED_CONTINUE 25
#define IDS_COPY_FAILED_CONTINUE 27

/* Strings: failure messages and their captions */
#define IDS_SETUP_FAILURE_CAPTION 100
#define IDS_ERR_CLASS 102
#define IDS_ERR_WINDOW 104
#define IDS_ERR_MEMORY 106
#define IDS_ERR_VERSION 108
#define IDS_ERR_UNSUPPORTED 110
#define IDS_ERR_UNKNOWN_VERSION 112
#define IDS_ERR_TARGET_FOLDERS 114
#define IDS_ERR_FILE_PROPERTIES 116
#define IDS_ERR_DATA_HANDLE 118
#define IDS_ERR_COPY_OPEN_SOURCE 120
#define IDS_ERR_COPY_CREATE_TARGET 122
#define IDS_ERR_COPY_READ 124
#define IDS_ERR_COPY_WRITE 126
#define IDS_ERR_DRIVER_SETUP 128
#define IDS_ERR_PRINTER_SETUP 132
#define IDS_ERR_PRINTER_DELETE_STEP1 142
#define IDS_ERR_PRINTER_DELETE_STEP2 144
#define IDS_ERR_DRIVER_DELETE 148
#define IDS_ERR_FILE_DELETE 150
#define IDS_ERR_RESTART 156
#define IDS_ERR_FORM_DELETE 158
#define IDS_DELETION_FAILURE_CAPTION 160

#endif /* SETUPORDANE_RESOURCE_H */
