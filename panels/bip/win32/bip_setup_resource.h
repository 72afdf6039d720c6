// Resource identifiers of the BIP setup dialog: 7000-7999.
#pragma once

// The dialog and the page of one function group (inside the group tabs).
#define IDD_BIP_SETUP 7000
#define IDD_BIP_SETUP_GROUP 7001

// The dialog (OK and Cancel are IDOK and IDCANCEL).
#define IDC_BIP_TILES 7010
#define IDC_BIP_HINT 7011
#define IDC_BIP_TABCAT 7012
#define IDC_BIP_DESCRIPTION_FRAME 7013
#define IDC_BIP_LBLDESCRIPTION 7014
#define IDC_BIP_FRAMECOLOR 7015
#define IDC_BIP_OPTTILECOLOR_RED 7016
#define IDC_BIP_OPTTILECOLOR_GREEN 7017
#define IDC_BIP_OPTTILECOLOR_YELLOW 7018
#define IDC_BIP_FRAMETHRESHOLD 7019
#define IDC_BIP_SLIDERTHRESHOLD 7020
#define IDC_BIP_THRESHOLD_MIN 7021
#define IDC_BIP_THRESHOLD_MAX 7022
#define IDC_BIP_THRESHOLD_VALUE 7023
#define IDC_BIP_CMBCLEAR 7024
#define IDC_BIP_CMDCLEARALL 7025
#define IDC_BIP_LABPROFILE 7026

// The group page's frame (frameTileCat).
#define IDC_BIP_FRAMETILECAT 7030

// The function options optFunction(f): IDC_BIP_OPTFUNCTION + f for the
// catalogue index f 0-69 (0, "No Function", on the dialog; the others on
// their group's page, made at run time).
#define IDC_BIP_OPTFUNCTION 7100
