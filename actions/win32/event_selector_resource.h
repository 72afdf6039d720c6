// Resource identifiers of the event selector and the key reader: 3500-3999.
#pragma once

// frmGetKeys.
#define IDD_GETKEYS                 3500
#define IDC_GETKEYS_PROMPT          3501
#define IDC_GETKEYS_QUALIFIERS      3502
#define IDC_GETKEYS_EXAMPLE         3503
#define IDC_GETKEYS_TABNOTE         3504
#define IDC_GETKEYS_PICSHIFT        3505
#define IDC_GETKEYS_PICCTRL         3506
#define IDC_GETKEYS_PICTAB          3507

// The children the selector control creates (identifiers within the control).
#define IDC_SELECTOR_OPTEVENT0      3520
#define IDC_SELECTOR_OPTEVENT1      3521
#define IDC_SELECTOR_OPTEVENT2      3522
#define IDC_SELECTOR_OPTEVENT3      3523
#define IDC_SELECTOR_SEPARATOR      3524
#define IDC_SELECTOR_NOEVENTTEXT    3530
#define IDC_SELECTOR_OFFSETTEXT     3531
#define IDC_SELECTOR_LABVJOYSTICK   3532
#define IDC_SELECTOR_CMBVJOYSTICK   3533
#define IDC_SELECTOR_LABVBUTTON     3534
#define IDC_SELECTOR_CMBVBUTTON     3535
#define IDC_SELECTOR_BTNCLICK       3536
#define IDC_SELECTOR_BTNKEYREADER   3537
#define IDC_SELECTOR_LABSELECTED    3538
#define IDC_SELECTOR_LABKEYSTROKES  3539

// 3990-3999: the tests' own templates.
