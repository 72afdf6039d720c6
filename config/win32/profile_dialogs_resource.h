// Resource identifiers of the profile dialogs: 2500-3499.
#pragma once

// Templates.
#define IDD_PROFILESSETUP       2500
#define IDD_PROFILESPAGE        2501
#define IDD_AIRCRAFTSPAGE       2502
#define IDD_PROFILENAME         2503
#define IDD_AIRCRAFTPROFILE     2504
#define IDD_PROFILEIMPORT       2505

// frmProfilesSetup and its two pages.
#define IDC_TABMAIN             2600
#define IDC_LSTPROFILES         2601
#define IDC_CMDNEW              2602
#define IDC_CMDDELETE           2603
#define IDC_CMDIMPORT           2604
#define IDC_FRAMESPECIALMODE    2605
#define IDC_OPTSPECIALMODE0     2606
#define IDC_OPTSPECIALMODE1     2607
#define IDC_OPTSPECIALMODE2     2608
#define IDC_LSTAIRCRAFTS        2610
#define IDC_FRAMEPROFILE        2611
#define IDC_LABPROFILE          2612
#define IDC_AIRCRAFTSHINT       2613

// frmProfileName.
#define IDC_FRAMEPROFILENAME    2700
#define IDC_TXTPROFILE          2701
#define IDC_PROFILENAMEHINT     2702

// frmAircraftProfile.
#define IDC_LABEL1              2800
#define IDC_AIRCRAFTPROMPT      2801
#define IDC_CMBPROFILES         2802
#define IDC_AIRCRAFTPROFILEHINT 2803

// frmProfileImport (its source list is IDC_LSTPROFILES as well).
#define IDC_FRAMETARGET         2900
#define IDC_LBLTARGETPROFILE    2901
#define IDC_FRAMESOURCE         2902
#define IDC_LBLSOURCEPROFILE    2903
#define IDC_FRAMEWIZARD0        2904
#define IDC_FRAMEWIZARD1        2905
#define IDC_FRAMEWIZARD2        2906
#define IDC_LSTSECTIONS         2907
#define IDC_LSTCONFIRM          2908
#define IDC_CONFIRMHINT         2909
