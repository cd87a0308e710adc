/* portable_ids.h - identifiers of the resources of the portable behaviour
 * tests (portable.rc), which build for Windows and over win32host alike. */
#ifndef PORTABLE_TEST_IDS_H
#define PORTABLE_TEST_IDS_H

/* Templates after those of Wine's user32 tests (resource.rc there). */
#define IDD_PT_DIALOG 800 /* IDD_DIALOG: default OK, Cancel */
#define IDD_PT_EMPTY 801  /* TEST_EMPTY_DIALOG: no controls */
#define IDD_PT_RADIO 802  /* RADIO_TEST_DIALOG: group box, two radios, Cancel */
#define IDD_PT_CLOSE 803  /* a system menu and a disabled Cancel */

#define IDC_PT_GROUP 100
#define IDC_PT_RADIO1 200
#define IDC_PT_RADIO2 201

/* Strings after Wine's: id 0 there is IDS_PT_STRING here. */
#define IDS_PT_STRING 4000
#define IDS_PT_ANOTHER 4001
#define IDS_PT_HIGH 65534

/* An RCDATA in French with a neutral sublanguage only. */
#define IDR_PT_FRENCH_NEUTRAL 340

#endif
