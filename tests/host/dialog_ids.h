/* dialog_ids.h - identifiers of the dialog manager tests' templates. */
#ifndef HOST_TEST_DIALOG_IDS_H
#define HOST_TEST_DIALOG_IDS_H

/* Windows' SDK defines it in winres.h, which windres does not have. */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_KEYS 700
#define IDD_PLAIN 701
#define IDD_NOCAPTION 702
#define IDD_ATOMS 703
#define IDI_TEST 500

#define IDC_ONE 11
#define IDC_TWO 12
#define IDC_LIST 13
#define IDC_OFF 14
#define IDC_BAR 15
#define IDC_SEPARATOR 16
#define IDC_ICON 17

#endif
