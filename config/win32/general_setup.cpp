#include "config/win32/general_setup.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/win32/general_setup_resource.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace orvex::config::win32 {

namespace {

void InitControls() {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&init);
}

// The processors of this computer (0 when the system cannot tell).
std::uint64_t SystemAffinityMask() {
    DWORD_PTR process = 0, system = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system)) return 0;
    return static_cast<std::uint64_t>(system);
}

bool IsChecked(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND button, bool checked) {
    ::SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int SliderPosition(HWND slider) { return static_cast<int>(::SendMessageA(slider, TBM_GETPOS, 0, 0)); }

} // namespace

const std::array<frmGeneralSetup::ProcessControls, 2> frmGeneralSetup::kProcessControls{{
    {SetupProcess::Orvex, IDC_GS_CMBORVEXPRIORITY, IDC_GS_OPTORVEXAFFINITY0, IDC_GS_OPTORVEXAFFINITY1,
     IDC_GS_TXTORVEXAFFINITY},
    {SetupProcess::Relaybox, IDC_GS_CMBRELAYBOXPRIORITY, IDC_GS_OPTRELAYBOXAFFINITY0, IDC_GS_OPTRELAYBOXAFFINITY1,
     IDC_GS_TXTRELAYBOXAFFINITY},
}};

// A page of the tab control: a child dialog whose commands and slider
// notifications go to the dialog.
class frmGeneralSetup::Page final : public orvex::win32::Dialog {
public:
    Page(int templateId, frmGeneralSetup& owner) : Dialog(templateId), owner_(owner) {}

protected:
    bool OnInit() override {
        // The page takes the tab control's themed background.
        ::EnableThemeDialogTexture(Handle(), ETDT_ENABLETAB);
        return true;
    }
    void OnCommand(int id, int code, HWND control) override {
        (void)control;
        owner_.PageCommand(id, code);
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        (void)wParam;
        if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != Item(IDC_GS_SLIDERCLICKTHRESHOLD))
            return false;
        owner_.ThresholdMoved();
        result = 0;
        return true;
    }

private:
    frmGeneralSetup& owner_;
};

frmGeneralSetup::frmGeneralSetup(cConfiguration& configuration, IUserMessages& messages,
                                 const MonitorList& monitors)
    : Dialog(IDD_GENERALSETUP), config_(configuration), messages_(messages), monitors_(monitors),
      edit_(configuration.Setup(), configuration.Locale(), SystemAffinityMask()) {
    InitControls();
}

frmGeneralSetup::~frmGeneralSetup() {
    if (Handle()) ::DestroyWindow(Handle());
}

bool frmGeneralSetup::OnInit() {
    closed_ = false;
    edit_.Begin();
    cSetupHolder& setup = edit_.Setup();
    orvex::win32::PlaceWindow(Handle(), setup.GeneralSetupFormTop(), setup.GeneralSetupFormLeft(), monitors_);

    HWND tab = Item(IDC_GS_TABMAIN);
    const char* captions[] = {"General", "Processes"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(captions[i]);
        ::SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    generalPage_ = std::make_unique<Page>(IDD_GS_GENERALPAGE, *this);
    processPage_ = std::make_unique<Page>(IDD_GS_PROCESSPAGE, *this);
    if (!generalPage_->Create(Handle()) || !processPage_->Create(Handle())) return true;
    LayoutPages();
    LoadControls();
    SelectPage(kGeneralPage);
    ::SetFocus(Control(IDC_GS_CHKAUTOSTART));
    return false;
}

void frmGeneralSetup::LayoutPages() {
    HWND tab = Item(IDC_GS_TABMAIN);
    RECT area{};
    ::GetWindowRect(tab, &area);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&area), 2);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    // Above the tab control in the z-order, so that it paints below them.
    for (Page* page : {generalPage_.get(), processPage_.get()})
        ::SetWindowPos(page->Handle(), HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                       SWP_NOACTIVATE);
}

HWND frmGeneralSetup::Control(int id) const {
    for (const Page* page : {generalPage_.get(), processPage_.get()})
        if (page && page->Handle())
            if (HWND h = page->Item(id)) return h;
    return Item(id);
}

int frmGeneralSetup::CurrentPage() const {
    return static_cast<int>(::SendMessageA(Item(IDC_GS_TABMAIN), TCM_GETCURSEL, 0, 0));
}

void frmGeneralSetup::SelectPage(int page) {
    ::SendMessageA(Item(IDC_GS_TABMAIN), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    if (generalPage_ && generalPage_->Handle())
        ::ShowWindow(generalPage_->Handle(), page == kGeneralPage ? SW_SHOW : SW_HIDE);
    if (processPage_ && processPage_->Handle())
        ::ShowWindow(processPage_->Handle(), page == kProcessPage ? SW_SHOW : SW_HIDE);
}

void frmGeneralSetup::LoadControls() {
    loading_ = true;
    const cSetupHolder& setup = edit_.Setup();
    SetChecked(Control(IDC_GS_CHKAUTOSTART), setup.AutoStart());
    SetChecked(Control(IDC_GS_CHKAUTOQUIT), setup.AutoQuit());
    SetChecked(Control(IDC_GS_OPTMANPROFILE0), setup.ManualProfile());
    SetChecked(Control(IDC_GS_OPTMANPROFILE1), !setup.ManualProfile());

    HWND slider = Control(IDC_GS_SLIDERCLICKTHRESHOLD);
    ::SendMessageA(slider, TBM_SETRANGEMIN, FALSE, ThresholdSlider::kMin);
    ::SendMessageA(slider, TBM_SETRANGEMAX, FALSE, ThresholdSlider::kMax);
    ::SendMessageA(slider, TBM_SETLINESIZE, 0, ThresholdSlider::kLine);
    ::SendMessageA(slider, TBM_SETPAGESIZE, 0, ThresholdSlider::kPage);
    ::SendMessageA(slider, TBM_SETTICFREQ, ThresholdSlider::kPage, 0);
    // A stored value outside the range stays as it is until the slider moves.
    ::SendMessageA(slider, TBM_SETPOS, TRUE, setup.ClickThreshold());
    sliderPosition_ = SliderPosition(slider);
    const NumberLocale locale = config_.Locale();
    ::SetWindowTextA(Control(IDC_GS_LABTHRESHOLDMIN), SecondsTextShort(ThresholdSlider::kMin, locale).c_str());
    ::SetWindowTextA(Control(IDC_GS_LABTHRESHOLDMAX), SecondsTextShort(ThresholdSlider::kMax, locale).c_str());
    ShowThreshold();

    for (const ProcessControls& controls : kProcessControls) {
        HWND combo = Control(controls.Priority);
        ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (const PriorityRow& row : kPriorityRows)
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.Text));
        // A class not in the list selects no row.
        ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(edit_.PriorityRow(controls.Process)), 0);
        ShowAffinity(controls);
    }
    loading_ = false;
}

void frmGeneralSetup::ShowThreshold() {
    const std::string text =
        "A press longer than " + SecondsText(edit_.Setup().ClickThreshold(), config_.Locale()) + " is a long click";
    ::SetWindowTextA(Control(IDC_GS_LABTHRESHOLD), text.c_str());
}

void frmGeneralSetup::ShowAffinity(const ProcessControls& controls) {
    const bool manual = edit_.AffinityManual(controls.Process);
    SetChecked(Control(controls.Automatic), !manual);
    SetChecked(Control(controls.Manual), manual);
    HWND mask = Control(controls.Mask);
    ::SetWindowTextA(mask, AffinityBoxText(edit_.Affinity(controls.Process)).c_str());
    ::EnableWindow(mask, manual ? TRUE : FALSE);
}

void frmGeneralSetup::ThresholdMoved() {
    if (loading_) return;
    // Only a move of the slider changes the threshold (a click on the thumb
    // that leaves it where it is keeps a stored value beyond the range).
    const int position = SliderPosition(Control(IDC_GS_SLIDERCLICKTHRESHOLD));
    if (position == sliderPosition_) return;
    sliderPosition_ = position;
    edit_.Setup().ClickThreshold(position);
    ShowThreshold();
}

void frmGeneralSetup::PageCommand(int id, int code) {
    if (loading_) return;
    cSetupHolder& setup = edit_.Setup();
    const bool clicked = code == BN_CLICKED;
    switch (id) {
    case IDC_GS_CHKAUTOSTART:
        if (clicked) setup.AutoStart(IsChecked(Control(id)));
        return;
    case IDC_GS_CHKAUTOQUIT:
        if (clicked) setup.AutoQuit(IsChecked(Control(id)));
        return;
    case IDC_GS_OPTMANPROFILE0:
        if (clicked && IsChecked(Control(id))) setup.ManualProfile(true);
        return;
    case IDC_GS_OPTMANPROFILE1:
        if (clicked && IsChecked(Control(id))) setup.ManualProfile(false);
        return;
    default:
        break;
    }
    for (const ProcessControls& controls : kProcessControls) {
        HWND mask = Control(controls.Mask);
        if (id == controls.Priority && code == CBN_SELCHANGE) {
            edit_.PriorityRowChosen(controls.Process,
                                    static_cast<int>(::SendMessageA(Control(id), CB_GETCURSEL, 0, 0)));
        } else if (id == controls.Automatic && clicked && IsChecked(Control(id))) {
            edit_.AutomaticChosen(controls.Process);
            ::SetWindowTextA(mask, "");
            ::EnableWindow(mask, FALSE);
        } else if (id == controls.Manual && clicked && IsChecked(Control(id))) {
            // The affinity keeps its value until the mask is typed.
            ::EnableWindow(mask, TRUE);
        } else if (id == controls.Mask && code == EN_CHANGE) {
            edit_.AffinityTextChanged(controls.Process, orvex::win32::WindowText(mask));
        }
    }
}

INT_PTR frmGeneralSetup::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_GS_TABMAIN && header.code == TCN_SELCHANGE) SelectPage(CurrentPage());
    return 0;
}

void frmGeneralSetup::OnCommand(int id, int code, HWND control) {
    (void)code;
    (void)control;
    if (id == IDOK) Ok();
    else if (id == IDCANCEL) Cancel();
}

void frmGeneralSetup::Ok() {
    for (const ProcessControls& controls : kProcessControls) {
        HWND mask = Control(controls.Mask);
        if (edit_.AffinityAcceptable(IsChecked(Control(controls.Manual)), orvex::win32::WindowText(mask))) continue;
        // The mask stays to be corrected; the dialog stays open.
        SelectPage(kProcessPage);
        ::SetFocus(mask);
        ::SendMessageA(mask, EM_SETSEL, 0, -1);
        messages_.Show(kMessageTitle, AffinityMaskRefusal(controls.Process, edit_.SystemMask()), false);
        return;
    }
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    closed_ = true;
    // A failed autostart has been shown to the user; the rest is saved.
    edit_.Confirm(top, left);
    End(IDOK);
}

void frmGeneralSetup::Cancel() {
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    closed_ = true;
    edit_.Discard(top, left);
    End(IDCANCEL);
}

void frmGeneralSetup::OnDestroy() {
    // Gone without OK or Cancel (its owner went first): nothing is saved.
    if (closed_) return;
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    closed_ = true;
    edit_.Discard(top, left);
}

} // namespace orvex::config::win32
