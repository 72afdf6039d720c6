// The test's own templates (3990-3999 of the selector's range).
#pragma once

#define IDD_SELECTORHOST   3990
#define IDC_HOSTBEFORE     3991
#define IDC_HOSTSELECTOR   3992
#define IDC_HOSTAFTER      3993
