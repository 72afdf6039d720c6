#include "panels/multi/win32/frm_multi_panel_setup.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/tab_pages.h"
#include "panels/multi/ngx_items.h"
#include "panels/multi/win32/multi_setup_resource.h"

#include <commctrl.h>

#include <cstddef>
#include <iterator>
#include <span>
#include <string>

namespace orvex::panels::multi::win32 {

namespace {

using actions::win32::ctlEventSelector;
using orvex::win32::AddTabs;
using orvex::win32::CurrentTab;

constexpr const char* kPageTabs[] = {"Selector", "Rotary", "Buttons", "Trim", "Flaps", "Auto Throttle", "Course",
                                     "Special Modes"};
constexpr int kPageTemplates[] = {IDD_MULTI_PAGE_SELECTOR, IDD_MULTI_PAGE_ROTARY,       IDD_MULTI_PAGE_BUTTONS,
                                  IDD_MULTI_PAGE_TRIM,     IDD_MULTI_PAGE_FLAPS,        IDD_MULTI_PAGE_AUTOTHROTTLE,
                                  IDD_MULTI_PAGE_COURSE,   IDD_MULTI_PAGE_SPECIAL};
static_assert(std::size(kPageTabs) == frmMultiPanelSetup::kPageCount);
static_assert(std::size(kPageTemplates) == frmMultiPanelSetup::kPageCount);

constexpr const char* kPositionTabs[] = {"ALT", "VS", "IAS", "HDG", "CRS"};
constexpr const char* kButtonTabs[] = {"AP", "HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV"};
constexpr int kButtonsShown = static_cast<int>(std::size(kButtonTabs));

// Where each event selector lives: its page and its identifier, in the
// order of SetupSlot.
struct SlotControl {
    int Page;
    int Id;
};
constexpr SlotControl kSlotControls[] = {
    {frmMultiPanelSetup::kSelectorPage, IDC_MULTI_ES_SELECTOR},
    {frmMultiPanelSetup::kRotaryPage, IDC_MULTI_ES_ROTUP},
    {frmMultiPanelSetup::kRotaryPage, IDC_MULTI_ES_ROTDOWN},
    {frmMultiPanelSetup::kButtonsPage, IDC_MULTI_ES_BUTTONS},
    {frmMultiPanelSetup::kButtonsPage, IDC_MULTI_ES_LONGBUTTONS},
    {frmMultiPanelSetup::kTrimPage, IDC_MULTI_ES_TRIMUP},
    {frmMultiPanelSetup::kTrimPage, IDC_MULTI_ES_TRIMDOWN},
    {frmMultiPanelSetup::kFlapsPage, IDC_MULTI_ES_FLAPSUP},
    {frmMultiPanelSetup::kFlapsPage, IDC_MULTI_ES_FLAPSDOWN},
    {frmMultiPanelSetup::kAutoThrottlePage, IDC_MULTI_ES_ATARM},
    {frmMultiPanelSetup::kAutoThrottlePage, IDC_MULTI_ES_ATOFF},
};
static_assert(std::size(kSlotControls) == kSetupSlots.size());

// The slots of each strip, and those with one record each.
constexpr SetupSlot kSelectorSlots[] = {SetupSlot::Selector};
constexpr SetupSlot kRotarySlots[] = {SetupSlot::RotUp, SetupSlot::RotDown};
constexpr SetupSlot kButtonSlots[] = {SetupSlot::Click, SetupSlot::LongClick};
constexpr SetupSlot kSingleSlots[] = {SetupSlot::TrimUp,  SetupSlot::TrimDown, SetupSlot::FlapsUp,
                                      SetupSlot::FlapsDown, SetupSlot::ATArm,  SetupSlot::ATOff};

constexpr int kNgxFrame[] = {IDC_MULTI_NGX_FRAME,     IDC_MULTI_NGX_SHORT_HEADER, IDC_MULTI_NGX_LONG_HEADER,
                             IDC_MULTI_NGX_LABEL1,    IDC_MULTI_NGX_LABEL2,       IDC_MULTI_NGX_LABEL3,
                             IDC_MULTI_NGX_LABEL4,    IDC_MULTI_NGX_LABEL5,       IDC_MULTI_NGX_LABEL6,
                             IDC_MULTI_NGX_LABEL7,    IDC_MULTI_NGX_LABEL8,       IDC_MULTI_NGX_SHORT1,
                             IDC_MULTI_NGX_SHORT2,    IDC_MULTI_NGX_SHORT3,       IDC_MULTI_NGX_SHORT4,
                             IDC_MULTI_NGX_SHORT5,    IDC_MULTI_NGX_SHORT6,       IDC_MULTI_NGX_SHORT7,
                             IDC_MULTI_NGX_SHORT8,    IDC_MULTI_NGX_LONG1,        IDC_MULTI_NGX_LONG2,
                             IDC_MULTI_NGX_LONG3,     IDC_MULTI_NGX_LONG4,        IDC_MULTI_NGX_LONG5,
                             IDC_MULTI_NGX_LONG6,     IDC_MULTI_NGX_LONG7,        IDC_MULTI_NGX_LONG8};
constexpr int kMaddogFrame[] = {IDC_MULTI_MADDOG_FRAME, IDC_MULTI_MADDOG_TEXT};
constexpr int kCourseCount = static_cast<int>(kCourseOptions.size());

void SetSliderRange(HWND slider, SliderRange range, int ticks) {
    ::SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(range.Min, range.Max));
    ::SendMessageA(slider, TBM_SETTICFREQ, ticks, 0);
    ::SendMessageA(slider, TBM_SETLINESIZE, 0, 1);
    ::SendMessageA(slider, TBM_SETPAGESIZE, 0, ticks);
}
void SetSlider(HWND slider, std::int16_t stored, SliderRange range) {
    ::SendMessageA(slider, TBM_SETPOS, TRUE, SliderPosition(stored, range));
}
std::int16_t SliderValue(HWND slider, std::int16_t stored, SliderRange range) {
    return ValueFromSlider(stored, static_cast<int>(::SendMessageA(slider, TBM_GETPOS, 0, 0)), range);
}

void FillNgxList(HWND list, std::uint8_t item) {
    for (std::size_t i = 0; i < kNGXItemCount; ++i)
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(NGXItemName(static_cast<int>(i))));
    ::SendMessageA(list, CB_SETCURSEL, IsNGXItem(item) ? item : static_cast<WPARAM>(-1), 0);
}
// The item chosen in a list; none when nothing is selected.
int ChosenNgxItem(HWND list) { return static_cast<int>(::SendMessageA(list, CB_GETCURSEL, 0, 0)); }

} // namespace

frmMultiPanelSetup::frmMultiPanelSetup(config::cConfiguration& configuration, std::int16_t panelIndex,
                                       const actions::win32::EventSelectorContext& selectorContext,
                                       config::IUserMessages& messages, const MonitorList& monitors,
                                       std::function<void()> onSaved)
    : Dialog(IDD_MULTI_SETUP),
      configuration_(configuration),
      panelIndex_(panelIndex),
      selectorContext_(selectorContext),
      messages_(messages),
      monitors_(monitors),
      onSaved_(std::move(onSaved)) {
    // The selectors' key reader tells the user through the dialog's messages
    // unless its creator chose others.
    if (!selectorContext_.Messages) selectorContext_.Messages = &messages_;
    // The templates' tab strips, sliders and event selectors need their
    // window classes before the dialog is created.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    actions::win32::RegisterEventSelectorClass();
}

HWND frmMultiPanelSetup::Control(int id) const {
    if (HWND h = Item(id)) return h;
    for (HWND page : pages_)
        if (page)
            if (HWND h = ::GetDlgItem(page, id)) return h;
    return nullptr;
}

ctlEventSelector* frmMultiPanelSetup::Selector(SetupSlot slot) const {
    const SlotControl& where = kSlotControls[static_cast<int>(slot)];
    HWND page = Page(where.Page);
    return page ? ctlEventSelector::FromWindow(::GetDlgItem(page, where.Id)) : nullptr;
}

bool frmMultiPanelSetup::OnInit() {
    // At the position shared by the panel setup dialogs.
    orvex::win32::PlaceWindow(Handle(), configuration_.Setup().SetupFormTop(), configuration_.Setup().SetupFormLeft(),
                              monitors_);

    HWND tabMain = Item(IDC_MULTI_TABMAIN);
    AddTabs(tabMain, kPageTabs, std::size(kPageTabs));
    for (int i = 0; i < kPageCount; ++i) {
        pages_[static_cast<std::size_t>(i)] = orvex::win32::CreateTabPage(Module(), kPageTemplates[i], tabMain);
        if (!Page(i)) {
            End(IDCANCEL);
            return true;
        }
    }
    orvex::win32::ChainTabOrder(pages_.data(), pages_.size());
    for (SetupSlot slot : kSetupSlots)
        if (ctlEventSelector* selector = Selector(slot)) selector->Context(selectorContext_);

    AddTabs(Control(IDC_MULTI_TABSELECTOR), kPositionTabs, std::size(kPositionTabs));
    AddTabs(Control(IDC_MULTI_TABROTARY), kPositionTabs, std::size(kPositionTabs));
    AddTabs(Control(IDC_MULTI_TABBUTTONS), kButtonTabs, std::size(kButtonTabs));
    SetSliderRange(Control(IDC_MULTI_SLIDER_ROTACCEL), kRotAccelerationSlider, 5);
    SetSliderRange(Control(IDC_MULTI_SLIDER_TRIMACCEL), kTrimAccelerationSlider, 10);
    SetSliderRange(Control(IDC_MULTI_SLIDER_TRIMSENS), kTrimSensitivitySlider, 4);

    holder_ = std::make_unique<cMultiPanelActionsHolder>(configuration_);
    holder_->PanelIndex = panelIndex_;
    holder_->LoadSetup();
    LoadOptions();
    LoadSlots(kSingleSlots, 0);
    selectorPosition_ = CurrentTab(Control(IDC_MULTI_TABSELECTOR)) + 1;
    LoadSlots(kSelectorSlots, selectorPosition_);
    LoadRotary(CurrentTab(Control(IDC_MULTI_TABROTARY)) + 1);
    button_ = CurrentTab(Control(IDC_MULTI_TABBUTTONS)) + 1;
    LoadSlots(kButtonSlots, button_);

    // The option buttons of the special modes only choose the frame shown.
    const SpecialFrame frame = InitialSpecialFrame(configuration_.SpecialMode);
    orvex::win32::CheckOption(Page(kSpecialPage), IDC_MULTI_OPTSPECIAL_NGX, 2, frame == SpecialFrame::Ngx ? 0 : 1);
    ShowSpecialFrame(frame);

    ItemText(IDC_MULTI_LABPROFILE, ProfileLabelText(configuration_.CurrentProfile));
    ShowPage(CurrentTab(tabMain));
    return true;
}

void frmMultiPanelSetup::ShowPage(int page) {
    if (page < 0 || page >= kPageCount) return;
    page_ = page;
    orvex::win32::ShowTabPage(pages_.data(), pages_.size(), static_cast<std::size_t>(page));
}

void frmMultiPanelSetup::ShowSpecialFrame(SpecialFrame frame) {
    const auto show = [this](const auto& ids, bool visible) {
        for (int id : ids) ::ShowWindow(::GetDlgItem(Page(kSpecialPage), id), visible ? SW_SHOW : SW_HIDE);
    };
    show(kNgxFrame, frame == SpecialFrame::Ngx);
    show(kMaddogFrame, frame == SpecialFrame::Maddog);
}

void frmMultiPanelSetup::LoadOptions() {
    SetSlider(Control(IDC_MULTI_SLIDER_TRIMACCEL), holder_->TrimAcceleration, kTrimAccelerationSlider);
    SetSlider(Control(IDC_MULTI_SLIDER_TRIMSENS), holder_->TrimSensitivity, kTrimSensitivitySlider);
    ::CheckDlgButton(Page(kTrimPage), IDC_MULTI_CHK_REVTRIM, holder_->ReverseTrim == 1 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Page(kFlapsPage), IDC_MULTI_CHK_REVFLAPS,
                     holder_->ReverseFlaps == 1 ? BST_CHECKED : BST_UNCHECKED);
    orvex::win32::CheckOption(Page(kCoursePage), IDC_MULTI_OPTCOURSE0, kCourseCount, CourseOption(holder_->CourseSel));
    for (int button = 1; button <= kButtonsShown; ++button) {
        FillNgxList(Control(IDC_MULTI_NGX_SHORT1 + button - 1), holder_->NGXGetShortButtonsActions(button));
        FillNgxList(Control(IDC_MULTI_NGX_LONG1 + button - 1), holder_->NGXGetLongButtonsActions(button));
    }
}

void frmMultiPanelSetup::StoreOptions() {
    holder_->TrimAcceleration =
        SliderValue(Control(IDC_MULTI_SLIDER_TRIMACCEL), holder_->TrimAcceleration, kTrimAccelerationSlider);
    holder_->TrimSensitivity =
        SliderValue(Control(IDC_MULTI_SLIDER_TRIMSENS), holder_->TrimSensitivity, kTrimSensitivitySlider);
    // A box shows a hand-set value other than 1 unchecked; it changes only
    // when the user changes the box.
    const bool reverseTrim = ::IsDlgButtonChecked(Page(kTrimPage), IDC_MULTI_CHK_REVTRIM) == BST_CHECKED;
    if (reverseTrim != (holder_->ReverseTrim == 1)) holder_->ReverseTrim = reverseTrim ? 1 : 0;
    const bool reverseFlaps = ::IsDlgButtonChecked(Page(kFlapsPage), IDC_MULTI_CHK_REVFLAPS) == BST_CHECKED;
    if (reverseFlaps != (holder_->ReverseFlaps == 1)) holder_->ReverseFlaps = reverseFlaps ? 1 : 0;
    for (int i = 0; i < kCourseCount; ++i)
        if (::IsDlgButtonChecked(Page(kCoursePage), IDC_MULTI_OPTCOURSE0 + i) == BST_CHECKED)
            holder_->CourseSel = static_cast<std::uint8_t>(i);
    for (int button = 1; button <= kButtonsShown; ++button) {
        const int shortItem = ChosenNgxItem(Control(IDC_MULTI_NGX_SHORT1 + button - 1));
        if (IsNGXItem(shortItem)) holder_->NGXSetShortButtonsActions(button, static_cast<std::uint8_t>(shortItem));
        const int longItem = ChosenNgxItem(Control(IDC_MULTI_NGX_LONG1 + button - 1));
        if (IsNGXItem(longItem)) holder_->NGXSetLongButtonsActions(button, static_cast<std::uint8_t>(longItem));
    }
}

void frmMultiPanelSetup::LoadSlots(std::span<const SetupSlot> slots, int index) {
    if (!holder_) return;
    for (SetupSlot slot : slots)
        if (ctlEventSelector* selector = Selector(slot)) selector->Load(SlotAction(*holder_, slot, index));
}

void frmMultiPanelSetup::StoreSlots(std::span<const SetupSlot> slots, int index) {
    if (!holder_) return;
    for (SetupSlot slot : slots) {
        ctlEventSelector* selector = Selector(slot);
        if (!selector) continue;
        // The selector fills the fields its kind uses; the others keep what
        // the record held.
        actions::EventAction action = SlotAction(*holder_, slot, index);
        selector->Store(action);
        StoreSlotAction(*holder_, slot, index, action);
    }
}

void frmMultiPanelSetup::LoadRotary(int position) {
    if (!holder_ || position < kAlt || position > kCrs) return;
    rotaryPosition_ = position;
    LoadSlots(kRotarySlots, position);
    SetSlider(Control(IDC_MULTI_SLIDER_ROTACCEL), holder_->GetRotAcceleration(position), kRotAccelerationSlider);
}

void frmMultiPanelSetup::StoreRotary(int position) {
    if (!holder_ || position < kAlt || position > kCrs) return;
    StoreSlots(kRotarySlots, position);
    holder_->SetRotAcceleration(position, SliderValue(Control(IDC_MULTI_SLIDER_ROTACCEL),
                                                      holder_->GetRotAcceleration(position), kRotAccelerationSlider));
}

void frmMultiPanelSetup::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id == IDOK) {
        if (holder_) {
            StoreSlots(kSelectorSlots, selectorPosition_);
            StoreRotary(rotaryPosition_);
            StoreSlots(kButtonSlots, button_);
            StoreSlots(kSingleSlots, 0);
            StoreOptions();
            holder_->SaveSetup();
            if (onSaved_) onSaved_();
        }
        End(IDOK);
        return;
    }
    if (id == IDCANCEL) {
        End(IDCANCEL);
        return;
    }
    if (code == BN_CLICKED && id == IDC_MULTI_OPTSPECIAL_NGX) ShowSpecialFrame(SpecialFrame::Ngx);
    else if (code == BN_CLICKED && id == IDC_MULTI_OPTSPECIAL_MADDOG) ShowSpecialFrame(SpecialFrame::Maddog);
}

INT_PTR frmMultiPanelSetup::OnNotify(const NMHDR& header) {
    const int tab = header.hwndFrom ? CurrentTab(header.hwndFrom) : -1;
    switch (header.idFrom) {
    case IDC_MULTI_TABMAIN:
        if (header.code == TCN_SELCHANGE) ShowPage(tab);
        break;
    // A strip's edits go to the holder before it changes, so that switching
    // back finds them.
    case IDC_MULTI_TABSELECTOR:
        if (header.code == TCN_SELCHANGING) StoreSlots(kSelectorSlots, selectorPosition_);
        else if (header.code == TCN_SELCHANGE && tab >= 0) {
            selectorPosition_ = tab + 1;
            LoadSlots(kSelectorSlots, selectorPosition_);
        }
        break;
    case IDC_MULTI_TABROTARY:
        if (header.code == TCN_SELCHANGING) StoreRotary(rotaryPosition_);
        else if (header.code == TCN_SELCHANGE && tab >= 0) LoadRotary(tab + 1);
        break;
    case IDC_MULTI_TABBUTTONS:
        if (header.code == TCN_SELCHANGING) StoreSlots(kButtonSlots, button_);
        else if (header.code == TCN_SELCHANGE && tab >= 0) {
            button_ = tab + 1;
            LoadSlots(kButtonSlots, button_);
        }
        break;
    default:
        break;
    }
    return FALSE;
}

void frmMultiPanelSetup::OnDestroy() {
    // However it closes, the dialog leaves its position for the next one.
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    configuration_.Setup().SetupFormTop(top);
    configuration_.Setup().SetupFormLeft(left);
}

} // namespace orvex::panels::multi::win32
