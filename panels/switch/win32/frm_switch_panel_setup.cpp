#include "panels/switch/win32/frm_switch_panel_setup.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/tab_pages.h"
#include "panels/switch/win32/switch_setup_resource.h"

#include <commctrl.h>

#include <array>
#include <iterator>

namespace orvex::panels::switchpanel::win32 {

namespace {

using actions::win32::ctlEventSelector;

constexpr const char* kMenuTabs[] = {"Switches", "Options"};
constexpr int kOptionsPage = 1;

// The check box of each option, in the order of kSwitchOptions.
constexpr int kOptionChecks[] = {IDC_SWITCH_CHKSTARTERSELECTOR, IDC_SWITCH_CHKDEICE,   IDC_SWITCH_CHKCOWLFLAPS,
                                 IDC_SWITCH_CHKALTSWITCH,       IDC_SWITCH_CHKFUELPUMP, IDC_SWITCH_CHKRETGEAR};
static_assert(std::size(kOptionChecks) == kSwitchOptions.size());

} // namespace

frmSwitchPanelSetup::frmSwitchPanelSetup(config::cConfiguration& configuration, std::int16_t panelIndex,
                                         const actions::win32::EventSelectorContext& selectorContext,
                                         const MonitorList& monitors)
    : Dialog(IDD_SWITCH_SETUP),
      configuration_(configuration),
      panelIndex_(panelIndex),
      selectorContext_(selectorContext),
      monitors_(monitors) {
    // The template's tab strips and event selectors need their window
    // classes before the dialog is created.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    actions::win32::RegisterEventSelectorClass();
}

HWND frmSwitchPanelSetup::Control(int id) const {
    if (HWND h = Item(id)) return h;
    for (HWND page : {eventsPage_, inputPage_, optionsPage_})
        if (page)
            if (HWND h = ::GetDlgItem(page, id)) return h;
    return nullptr;
}

ctlEventSelector* frmSwitchPanelSetup::Selector(int state) const {
    if (!inputPage_) return nullptr;
    return ctlEventSelector::FromWindow(::GetDlgItem(inputPage_, state == kStateOn ? IDC_SWITCH_ES_ON : IDC_SWITCH_ES_OFF));
}

bool frmSwitchPanelSetup::OnInit() {
    // At the position shared by the panel setup dialogs.
    orvex::win32::PlaceWindow(Handle(), configuration_.Setup().SetupFormTop(), configuration_.Setup().SetupFormLeft(),
                              monitors_);

    HWND tabMenu = Item(IDC_SWITCH_TABMENU);
    orvex::win32::AddTabs(tabMenu, kMenuTabs, std::size(kMenuTabs));
    eventsPage_ = orvex::win32::CreateTabPage(Module(), IDD_SWITCH_SETUP_EVENTS, tabMenu);
    optionsPage_ = orvex::win32::CreateTabPage(Module(), IDD_SWITCH_SETUP_OPTIONS, tabMenu);
    if (!eventsPage_ || !optionsPage_) {
        End(IDCANCEL);
        return true;
    }
    const HWND pages[] = {eventsPage_, optionsPage_};
    orvex::win32::ChainTabOrder(pages, std::size(pages));

    HWND tabMain = ::GetDlgItem(eventsPage_, IDC_SWITCH_TABMAIN);
    std::array<const char*, kSwitchCount> inputs{};
    for (int i = 1; i <= kSwitchCount; ++i) inputs[static_cast<std::size_t>(i - 1)] = SwitchTabCaption(i);
    orvex::win32::AddTabs(tabMain, inputs.data(), inputs.size());
    // Added after the tabs: a multi-line strip's display area depends on
    // how many rows they take.
    inputPage_ = orvex::win32::CreateTabPage(Module(), IDD_SWITCH_SETUP_INPUT, tabMain);
    if (!inputPage_) {
        End(IDCANCEL);
        return true;
    }
    ::ShowWindow(inputPage_, SW_SHOW);
    for (int state : {kStateOn, kStateOff})
        if (ctlEventSelector* selector = Selector(state)) selector->Context(selectorContext_);
    ShowMenuPage(0);

    holder_ = std::make_unique<cSwitchPanelActionsHolder>(configuration_);
    holder_->PanelIndex = panelIndex_;
    holder_->LoadSetup();
    LoadOptions();
    LoadControlsData(orvex::win32::CurrentTab(tabMain) + 1);
    ItemText(IDC_SWITCH_LABPROFILE, SwitchProfileLabelText(configuration_.CurrentProfile));
    return true;
}

void frmSwitchPanelSetup::ShowMenuPage(int page) {
    if (page < 0 || page > kOptionsPage) return;
    menuPage_ = page;
    const HWND pages[] = {eventsPage_, optionsPage_};
    orvex::win32::ShowTabPage(pages, std::size(pages), static_cast<std::size_t>(page));
}

void frmSwitchPanelSetup::LoadOptions() {
    for (std::size_t i = 0; i < kSwitchOptions.size(); ++i)
        ::CheckDlgButton(optionsPage_, kOptionChecks[i],
                         OptionValue(*holder_, kSwitchOptions[i]) ? BST_CHECKED : BST_UNCHECKED);
}

void frmSwitchPanelSetup::LoadControlsData(int input) {
    if (!holder_ || input < 1 || input > kSwitchCount) return;
    input_ = input;
    for (int state : {kStateOn, kStateOff})
        if (ctlEventSelector* selector = Selector(state)) selector->Load(holder_->SwitchAction(input, state));
}

void frmSwitchPanelSetup::SaveControlsData(int input) {
    if (!holder_ || input < 1 || input > kSwitchCount) return;
    for (int state : {kStateOn, kStateOff}) {
        ctlEventSelector* selector = Selector(state);
        if (!selector) continue;
        // The selector fills the fields its kind uses; the others keep
        // what the record held.
        actions::EventAction action = holder_->SwitchAction(input, state);
        selector->Store(action);
        StoreSwitchAction(*holder_, input, state, action);
    }
}

void frmSwitchPanelSetup::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id == IDOK) {
        if (holder_) {
            SaveControlsData(input_);
            holder_->SaveSetup();
        }
        End(IDOK);
        return;
    }
    if (id == IDCANCEL) {
        End(IDCANCEL);
        return;
    }
    if (!holder_ || code != BN_CLICKED) return;
    // Each check box writes its option into the dialog's holder at once.
    for (std::size_t i = 0; i < kSwitchOptions.size(); ++i)
        if (id == kOptionChecks[i])
            OptionValue(*holder_, kSwitchOptions[i]) = ::IsDlgButtonChecked(optionsPage_, id) == BST_CHECKED;
}

INT_PTR frmSwitchPanelSetup::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_SWITCH_TABMAIN) {
        // The shown input's edits go to the holder before the tab changes,
        // so that switching back finds them.
        if (header.code == TCN_SELCHANGING) SaveControlsData(input_);
        else if (header.code == TCN_SELCHANGE) LoadControlsData(orvex::win32::CurrentTab(header.hwndFrom) + 1);
    } else if (header.idFrom == IDC_SWITCH_TABMENU && header.code == TCN_SELCHANGE) {
        ShowMenuPage(orvex::win32::CurrentTab(header.hwndFrom));
    }
    return FALSE;
}

void frmSwitchPanelSetup::OnDestroy() {
    // However it closes, the dialog leaves its position for the next one.
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    configuration_.Setup().SetupFormTop(top);
    configuration_.Setup().SetupFormLeft(left);
}

} // namespace orvex::panels::switchpanel::win32
