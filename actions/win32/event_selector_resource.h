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
#define IDC_SELECTOR_OPTEVENT4      3525
#define IDC_SELECTOR_CMBCUSTOMKIND  3540
#define IDC_SELECTOR_LABCUSTOM      3541
#define IDC_SELECTOR_BTNCUSTOMEDIT  3542
#define IDC_SELECTOR_BTNCUSTOMTEST  3543

// frmCustomAction: the custom action's fields. Row n (0-4) has a caption,
// an edit box, its limits and the reason it does not fit.
#define IDD_CUSTOMACTION            3550
#define IDC_CUSTOM_KINDLABEL        3551
#define IDC_CUSTOM_KIND             3552
#define IDC_CUSTOM_CAPTION0         3560
#define IDC_CUSTOM_EDIT0            3565
#define IDC_CUSTOM_LIMITS0          3570
#define IDC_CUSTOM_REASON0          3575
#define IDC_CUSTOM_SIZE             3580
#define IDC_CUSTOM_WRAP             3581
#define IDC_CUSTOM_TEST             3582
#define IDC_CUSTOM_SUMMARY          3583

// 3990-3999: the tests' own templates.
