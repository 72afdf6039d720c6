#include "panels/radio/win32/frm_radio_panel_setup.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/tab_pages.h"
#include "common/win32/window.h"
#include "panels/radio/win32/radio_setup_resource.h"

#include <commctrl.h>

#include <cstddef>
#include <iterator>
#include <string>

namespace orvex::panels::radio::win32 {

namespace {

using actions::win32::ctlEventSelector;

constexpr const char* kPositionTabs[] = {"COM1", "COM2", "NAV1", "NAV2", "ADF", "DME", "XPDR"};
constexpr const char* kEventTabs[] = {"Inner Knob", "Outer Knob", "Act/Stby Button", "Selector Change"};
constexpr int kEventTemplates[frmRadioPanelSetup::kEventPageCount] = {
    IDD_RADIO_SETUP_INNER, IDD_RADIO_SETUP_OUTER, IDD_RADIO_SETUP_BUTTON, IDD_RADIO_SETUP_SELECTOR};

// Where each event selector lives: its page of the event tabs and its
// identifier, in the order of SetupSlot.
struct SlotControl {
    int Page;
    int Id;
};
constexpr SlotControl kSlotControls[] = {
    {0, IDC_RADIO_ES_CLOCKWISE0},    {0, IDC_RADIO_ES_COUNTERCLOCK0}, {1, IDC_RADIO_ES_CLOCKWISE1},
    {1, IDC_RADIO_ES_COUNTERCLOCK1}, {2, IDC_RADIO_ES_SWITCHBUTTON},  {2, IDC_RADIO_ES_SWITCHLONGBUTTON},
    {3, IDC_RADIO_ES_SELECTOR},
};
static_assert(std::size(kSlotControls) == kSetupSlots.size());

// The option frames, each shown only with its position.
constexpr int kAdfFrame[] = {IDC_RADIO_ADF_FRAME,     IDC_RADIO_ADFMODE0,     IDC_RADIO_ADFMODE1,
                             IDC_RADIO_ADFMODE2,      IDC_RADIO_ADFMODE3,     IDC_RADIO_ADFMODE4,
                             IDC_RADIO_ADFMODE5,      IDC_RADIO_ADFINN_LABEL, IDC_RADIO_ADFINNSTEP,
                             IDC_RADIO_ADFINN_UNIT,   IDC_RADIO_ADFOUT_LABEL, IDC_RADIO_ADFOUTSTEP,
                             IDC_RADIO_ADFOUT_UNIT};
constexpr int kDmeFrame[] = {IDC_RADIO_DME_FRAME, IDC_RADIO_DME0, IDC_RADIO_DME1, IDC_RADIO_DME2, IDC_RADIO_DME3};
constexpr int kAltimeterFrame[] = {IDC_RADIO_ALTIMETER_FRAME, IDC_RADIO_ALTIMETER0, IDC_RADIO_ALTIMETER1,
                                   IDC_RADIO_ALTIMETER2};

constexpr int kAdfModeCount = 6;
constexpr int kDmeCount = 4;
constexpr int kAltimeterCount = 3;

using orvex::win32::AddTabs;
using orvex::win32::CheckOption;
using orvex::win32::CurrentTab;

} // namespace

frmRadioPanelSetup::frmRadioPanelSetup(config::cConfiguration& configuration, std::int16_t panelIndex,
                                       const actions::win32::EventSelectorContext& selectorContext,
                                       config::IUserMessages& messages, const MonitorList& monitors)
    : Dialog(IDD_RADIO_SETUP),
      configuration_(configuration),
      panelIndex_(panelIndex),
      selectorContext_(selectorContext),
      messages_(messages),
      monitors_(monitors) {
    // The selectors' key reader tells the user through the dialog's messages
    // unless its creator chose others.
    if (!selectorContext_.Messages) selectorContext_.Messages = &messages_;
    // The template's tab strips, slider and event selectors need their
    // window classes before the dialog is created.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    actions::win32::RegisterEventSelectorClass();
}

HWND frmRadioPanelSetup::Control(int id) const {
    if (HWND h = Item(id)) return h;
    if (positionPage_)
        if (HWND h = ::GetDlgItem(positionPage_, id)) return h;
    for (HWND page : eventPages_)
        if (page)
            if (HWND h = ::GetDlgItem(page, id)) return h;
    return nullptr;
}

ctlEventSelector* frmRadioPanelSetup::Selector(SetupSlot slot) const {
    const SlotControl& where = kSlotControls[static_cast<int>(slot)];
    HWND page = eventPages_[static_cast<std::size_t>(where.Page)];
    return page ? ctlEventSelector::FromWindow(::GetDlgItem(page, where.Id)) : nullptr;
}

HWND frmRadioPanelSetup::CreatePage(int templateId, HWND tab) {
    return orvex::win32::CreateTabPage(Module(), templateId, tab);
}

bool frmRadioPanelSetup::OnInit() {
    // At the position shared by the panel setup dialogs.
    orvex::win32::PlaceWindow(Handle(), configuration_.Setup().SetupFormTop(), configuration_.Setup().SetupFormLeft(),
                              monitors_);

    HWND tabSelector = Item(IDC_RADIO_TABSELECTOR);
    AddTabs(tabSelector, kPositionTabs, std::size(kPositionTabs));
    positionPage_ = CreatePage(IDD_RADIO_SETUP_POSITION, tabSelector);
    if (!positionPage_) {
        End(IDCANCEL);
        return true;
    }
    HWND tabControls = ::GetDlgItem(positionPage_, IDC_RADIO_TABCONTROLS);
    AddTabs(tabControls, kEventTabs, std::size(kEventTabs));
    for (std::size_t i = 0; i < eventPages_.size(); ++i) eventPages_[i] = CreatePage(kEventTemplates[i], tabControls);
    // Later pages go after the earlier ones in the tab order.
    orvex::win32::ChainTabOrder(eventPages_.data(), eventPages_.size());
    for (SetupSlot slot : kSetupSlots)
        if (ctlEventSelector* selector = Selector(slot)) selector->Context(selectorContext_);

    HWND slider = ::GetDlgItem(positionPage_, IDC_RADIO_SLIDER);
    ::SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(kAccelerationSliderMin, kAccelerationSliderMax));
    ::SendMessageA(slider, TBM_SETTICFREQ, 5, 0);
    ::SendMessageA(slider, TBM_SETLINESIZE, 0, 1);
    ::SendMessageA(slider, TBM_SETPAGESIZE, 0, 5);

    ::ShowWindow(positionPage_, SW_SHOW);
    ShowEventPage(0);
    ShowOptionFrames(kNoPosition);

    holder_ = std::make_unique<cRadioPanelActionsHolder>(configuration_);
    holder_->PanelIndex = panelIndex_;
    holder_->LoadSetup();
    LoadOptions();

    LoadPosition(CurrentTab(tabSelector) + 1);
    ItemText(IDC_RADIO_LABPROFILE, ProfileLabelText(configuration_.CurrentProfile));
    return true;
}

void frmRadioPanelSetup::ShowEventPage(int page) {
    if (page < 0 || page >= kEventPageCount) return;
    eventPage_ = page;
    orvex::win32::ShowTabPage(eventPages_.data(), eventPages_.size(), static_cast<std::size_t>(page));
}

void frmRadioPanelSetup::ShowOptionFrames(int position) {
    const auto show = [this](const auto& ids, bool visible) {
        for (int id : ids) ::ShowWindow(::GetDlgItem(positionPage_, id), visible ? SW_SHOW : SW_HIDE);
    };
    show(kAdfFrame, position == kAdf);
    show(kDmeFrame, position == kDme);
    show(kAltimeterFrame, position == kXpdr);
}

void frmRadioPanelSetup::LoadOptions() {
    CheckOption(positionPage_, IDC_RADIO_ALTIMETER0, kAltimeterCount, holder_->AltimeterUnit);
    CheckOption(positionPage_, IDC_RADIO_DME0, kDmeCount, holder_->DMEMode);
    CheckOption(positionPage_, IDC_RADIO_ADFMODE0, kAdfModeCount, holder_->ADFMode);
    loading_ = true;
    const config::NumberLocale locale = configuration_.Locale();
    ::SetDlgItemTextA(positionPage_, IDC_RADIO_ADFINNSTEP, SingleText(holder_->ADFInnStep, locale).c_str());
    ::SetDlgItemTextA(positionPage_, IDC_RADIO_ADFOUTSTEP, SingleText(holder_->ADFOutStep, locale).c_str());
    loading_ = false;
}

void frmRadioPanelSetup::LoadPosition(int position) {
    if (!holder_ || position < kCom1 || position > kXpdr) return;
    position_ = position;
    for (SetupSlot slot : kSetupSlots)
        if (ctlEventSelector* selector = Selector(slot)) selector->Load(SlotAction(*holder_, slot, position));
    ::SendMessageA(::GetDlgItem(positionPage_, IDC_RADIO_SLIDER), TBM_SETPOS, TRUE,
                   AccelerationSliderPosition(holder_->GetAcceleration(position)));
    ShowOptionFrames(position);
}

void frmRadioPanelSetup::StorePosition(int position) {
    if (!holder_ || position < kCom1 || position > kXpdr) return;
    for (SetupSlot slot : kSetupSlots) {
        ctlEventSelector* selector = Selector(slot);
        if (!selector) continue;
        // The selector fills the fields its kind uses; the others keep
        // what the record held.
        actions::EventAction action = SlotAction(*holder_, slot, position);
        selector->Store(action);
        StoreSlotAction(*holder_, slot, position, action);
    }
    const int slider =
        static_cast<int>(::SendMessageA(::GetDlgItem(positionPage_, IDC_RADIO_SLIDER), TBM_GETPOS, 0, 0));
    holder_->SetAcceleration(position, AccelerationFromSlider(holder_->GetAcceleration(position), slider));
}

void frmRadioPanelSetup::StepChanged(int editId, float& step) {
    if (loading_) return;
    const std::string text = orvex::win32::WindowText(::GetDlgItem(positionPage_, editId));
    // A text that is not a number leaves the step as it was.
    if (auto value = ParseSingle(text, configuration_.Locale())) step = *value;
}

void frmRadioPanelSetup::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id == IDOK) {
        if (holder_) {
            StorePosition(position_);
            holder_->SaveSetup();
        }
        End(IDOK);
        return;
    }
    if (id == IDCANCEL) {
        End(IDCANCEL);
        return;
    }
    if (!holder_) return;
    if (code == BN_CLICKED) {
        // Option buttons write the dialog's holder at once.
        if (id >= IDC_RADIO_ALTIMETER0 && id < IDC_RADIO_ALTIMETER0 + kAltimeterCount)
            holder_->AltimeterUnit = static_cast<std::uint8_t>(id - IDC_RADIO_ALTIMETER0);
        else if (id >= IDC_RADIO_DME0 && id < IDC_RADIO_DME0 + kDmeCount)
            holder_->DMEMode = static_cast<std::uint8_t>(id - IDC_RADIO_DME0);
        else if (id >= IDC_RADIO_ADFMODE0 && id < IDC_RADIO_ADFMODE0 + kAdfModeCount)
            holder_->ADFMode = static_cast<std::uint8_t>(id - IDC_RADIO_ADFMODE0);
    } else if (code == EN_CHANGE) {
        if (id == IDC_RADIO_ADFINNSTEP) StepChanged(id, holder_->ADFInnStep);
        else if (id == IDC_RADIO_ADFOUTSTEP) StepChanged(id, holder_->ADFOutStep);
    }
}

INT_PTR frmRadioPanelSetup::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_RADIO_TABSELECTOR) {
        // The shown position's edits go to the holder before the tab
        // changes, so that switching back finds them.
        if (header.code == TCN_SELCHANGING) StorePosition(position_);
        else if (header.code == TCN_SELCHANGE) LoadPosition(CurrentTab(header.hwndFrom) + 1);
    } else if (header.idFrom == IDC_RADIO_TABCONTROLS && header.code == TCN_SELCHANGE) {
        ShowEventPage(CurrentTab(header.hwndFrom));
    }
    return FALSE;
}

void frmRadioPanelSetup::OnDestroy() {
    // However it closes, the dialog leaves its position for the next one.
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    configuration_.Setup().SetupFormTop(top);
    configuration_.Setup().SetupFormLeft(left);
}

} // namespace orvex::panels::radio::win32
