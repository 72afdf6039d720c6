#include "config/win32/profile_dialogs.h"

#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/profile_operations.h"
#include "config/text_util.h"
#include "config/win32/profile_dialogs_resource.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <utility>

namespace orvex::config::win32 {

namespace {

void InitControls() {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&init);
}

std::string ListText(HWND list, LRESULT index) {
    if (index < 0) return {};
    const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT got =
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::string SelectedListText(HWND list) { return ListText(list, ::SendMessageA(list, LB_GETCURSEL, 0, 0)); }

// Fills a list box and selects the entry equal to `select` (none when absent).
void FillList(HWND list, const std::vector<std::string>& items, const std::string& select) {
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    LRESULT selected = -1;
    for (const std::string& item : items) {
        const LRESULT at = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        if (at >= 0 && !select.empty() && item == select) selected = at;
    }
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

// Lets a list box scroll sideways to its longest entry (aircraft titles are long).
void FitHorizontalExtent(HWND list, const std::vector<std::string>& items) {
    HDC dc = ::GetDC(list);
    if (!dc) return;
    int widest = 0;
    {
        orvex::win32::SelectGuard font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(list, WM_GETFONT, 0, 0)));
        for (const std::string& item : items) {
            SIZE size{};
            if (::GetTextExtentPoint32A(dc, item.c_str(), static_cast<int>(item.size()), &size))
                widest = std::max<int>(widest, size.cx);
        }
    }
    ::ReleaseDC(list, dc);
    ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
}

} // namespace

// ---------------------------------------------------------------------------
// ProfileDialogBase

ProfileDialogBase::ProfileDialogBase(int templateId, cConfiguration& configuration, IUserMessages& messages,
                                     app::ProgramState& state, const MonitorList& monitors,
                                     cSetupHolder::Item topKey, cSetupHolder::Item leftKey)
    : Dialog(templateId), config_(configuration), messages_(messages), state_(state), monitors_(monitors),
      topKey_(topKey), leftKey_(leftKey) {
    InitControls();
}

ProfileDialogBase::~ProfileDialogBase() {
    // Here the dynamic type is this class, so WM_DESTROY reaches OnDestroy
    // below rather than the base's empty one.
    if (Handle()) ::DestroyWindow(Handle());
}

bool ProfileDialogBase::OnInit() {
    dialogOpenBefore_ = state_.DialogOpen;
    state_.DialogOpen = true;
    cSetupHolder& setup = config_.Setup();
    orvex::win32::PlaceWindow(Handle(), setup.Get(topKey_), setup.Get(leftKey_), monitors_);
    return true;
}

void ProfileDialogBase::OnDestroy() {
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    cSetupHolder& setup = config_.Setup();
    setup.Set(topKey_, top);
    setup.Set(leftKey_, left);
    state_.DialogOpen = dialogOpenBefore_;
}

void ProfileDialogBase::Tell(const std::string& text, bool critical) const {
    messages_.Show(kMessageTitle, text, critical);
}

void ProfileDialogBase::Tell(const ProfileMessage& message) const {
    if (message.Information) messages_.Inform(kMessageTitle, message.Text);
    else Tell(message.Text, message.Critical);
}

// ---------------------------------------------------------------------------
// frmProfileName

frmProfileName::frmProfileName(cConfiguration& configuration, IUserMessages& messages, app::ProgramState& state,
                               const MonitorList& monitors)
    : ProfileDialogBase(IDD_PROFILENAME, configuration, messages, state, monitors,
                        cSetupHolder::kProfileNameFormTop, cSetupHolder::kProfileNameFormLeft) {}

bool frmProfileName::OnInit() {
    ProfileDialogBase::OnInit();
    newProfileName_.clear();
    ::SetFocus(Item(IDC_TXTPROFILE));
    return false;
}

void frmProfileName::OnCommand(int id, int code, HWND control) {
    (void)code;
    (void)control;
    if (id == IDOK) {
        const std::string text = ItemText(IDC_TXTPROFILE);
        const NameCheck check = CheckNewProfileName(config_, text);
        if (check != NameCheck::Accepted) {
            const ProfileMessage message = NameCheckMessage(check);
            Tell(message);
            ::SetFocus(Item(IDC_TXTPROFILE));
            ::SendMessageA(Item(IDC_TXTPROFILE), EM_SETSEL, 0, -1);
            return;
        }
        newProfileName_ = text;
        End(IDOK);
    } else if (id == IDCANCEL) {
        newProfileName_.clear();
        End(IDCANCEL);
    }
}

// ---------------------------------------------------------------------------
// frmAircraftProfile

frmAircraftProfile::frmAircraftProfile(cConfiguration& configuration, IUserMessages& messages,
                                       app::ProgramState& state, const MonitorList& monitors)
    : ProfileDialogBase(IDD_AIRCRAFTPROFILE, configuration, messages, state, monitors,
                        cSetupHolder::kAircraftFormTop, cSetupHolder::kAircraftFormLeft) {}

bool frmAircraftProfile::OnInit() {
    ProfileDialogBase::OnInit();
    ItemText(IDC_LABEL1, state_.NewAircraftTitle);
    HWND combo = Item(IDC_CMBPROFILES);
    for (const std::string& name : config_.colProfiles)
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    state_.ChosenProfile.clear();
    profileAdded_ = false;
    // The simulator is usually in front when an aircraft is loaded: the
    // question must not hide behind it.
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(Handle());
    ::SetFocus(combo);
    return false;
}

void frmAircraftProfile::OnCommand(int id, int code, HWND control) {
    (void)code;
    (void)control;
    if (id == IDOK) {
        const AircraftChoice choice = ChooseAircraftProfile(config_, ItemText(IDC_CMBPROFILES));
        if (!choice.Accepted) {
            Tell(choice.Message);
            ::SetFocus(Item(IDC_CMBPROFILES));
            return;
        }
        state_.ChosenProfile = choice.Profile;
        profileAdded_ = choice.Added;
        End(IDOK);
    } else if (id == IDCANCEL) {
        End(IDCANCEL);
    }
}

// ---------------------------------------------------------------------------
// frmProfileImport

frmProfileImport::frmProfileImport(cConfiguration& configuration, IUserMessages& messages, app::ProgramState& state,
                                   const MonitorList& monitors, std::string targetProfile)
    : ProfileDialogBase(IDD_PROFILEIMPORT, configuration, messages, state, monitors,
                        cSetupHolder::kProfileImportFormTop, cSetupHolder::kProfileImportFormLeft),
      target_(std::move(targetProfile)) {}

bool frmProfileImport::OnInit() {
    ProfileDialogBase::OnInit();
    ItemText(IDC_LBLTARGETPROFILE, target_);
    std::vector<std::string> others;
    for (const std::string& name : config_.colProfiles)
        if (!EqualsNoCase(name, target_)) others.push_back(name);
    FillList(Item(IDC_LSTPROFILES), others, {});

    HWND sections = Item(IDC_LSTSECTIONS);
    ListView_SetExtendedListViewStyle(sections, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    ::GetClientRect(sections, &client);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageA(sections, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

    ShowPage(0);
    ::SetFocus(Item(IDC_LSTPROFILES));
    return false;
}

void frmProfileImport::ShowPage(int page) {
    page_ = page;
    Show(IDC_FRAMEWIZARD0, page == 0);
    Show(IDC_LSTPROFILES, page == 0);
    Show(IDC_FRAMEWIZARD1, page == 1);
    Show(IDC_LSTSECTIONS, page == 1);
    Show(IDC_FRAMEWIZARD2, page == 2);
    Show(IDC_CONFIRMHINT, page == 2);
    Show(IDC_LSTCONFIRM, page == 2);
    ItemText(IDOK, page == 2 ? "Ok" : "Next");
}

std::vector<std::string> frmProfileImport::CheckedSections() const {
    std::vector<std::string> checked;
    HWND list = Item(IDC_LSTSECTIONS);
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (ListView_GetCheckState(list, static_cast<int>(i))) checked.push_back(sections_[i]);
    return checked;
}

void frmProfileImport::Advance() {
    if (page_ == 0) {
        const std::string source = SelectedListText(Item(IDC_LSTPROFILES));
        if (source.empty()) {
            messages_.Inform(kImportMessageTitle, kNoProfileSelectedText);
            return;
        }
        source_ = source;
        ItemText(IDC_LBLSOURCEPROFILE, source_);
        sections_ = ImportableSections(config_.Store(), config_.ProfilePath(source_));
        if (sections_.empty()) {
            messages_.Show(kImportMessageTitle, kNoSectionsText, false);
            return;
        }
        HWND list = Item(IDC_LSTSECTIONS);
        ListView_DeleteAllItems(list);
        for (std::size_t i = 0; i < sections_.size(); ++i) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = sections_[i].data();
            ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        if (!sections_.empty()) ListView_SetItemState(list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
        ShowPage(1);
        ::SetFocus(list);
    } else if (page_ == 1) {
        const std::vector<std::string> checked = CheckedSections();
        if (checked.empty()) {
            messages_.Show(kImportMessageTitle, kNoSectionSelectedText, true);
            return;
        }
        FillList(Item(IDC_LSTCONFIRM), checked, {});
        ShowPage(2);
        ::SetFocus(Item(IDOK));
    } else {
        const std::string targetPath = config_.ProfilePath(target_);
        if (ImportSections(config_.Store(), config_.ProfilePath(source_), targetPath, CheckedSections()))
            messages_.Inform(kImportMessageTitle, kImportDoneText);
        else
            messages_.Show(kImportMessageTitle, ImportFailedText(targetPath), true);
        End(IDOK);
    }
}

void frmProfileImport::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id == IDOK) {
        Advance();
    } else if (id == IDCANCEL) {
        End(IDCANCEL);
    } else if (id == IDC_LSTPROFILES && code == LBN_DBLCLK && page_ == 0) {
        Advance();
    }
}

// ---------------------------------------------------------------------------
// frmProfilesSetup

// A page of the tab control: a child dialog whose commands go to the manager.
class frmProfilesSetup::Page final : public orvex::win32::Dialog {
public:
    Page(int templateId, frmProfilesSetup& owner) : Dialog(templateId), owner_(owner) {}

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

private:
    frmProfilesSetup& owner_;
};

frmProfilesSetup::frmProfilesSetup(cConfiguration& configuration, IUserMessages& messages, app::ProgramState& state,
                                   const MonitorList& monitors)
    : ProfileDialogBase(IDD_PROFILESSETUP, configuration, messages, state, monitors,
                        cSetupHolder::kProfilesFormTop, cSetupHolder::kProfilesFormLeft) {}

frmProfilesSetup::~frmProfilesSetup() = default;

bool frmProfilesSetup::OnInit() {
    ProfileDialogBase::OnInit();
    HWND tab = Item(IDC_TABMAIN);
    const char* captions[] = {"Profiles List", "Aircrafts List"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(captions[i]);
        ::SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    profilesPage_ = std::make_unique<Page>(IDD_PROFILESPAGE, *this);
    aircraftsPage_ = std::make_unique<Page>(IDD_AIRCRAFTSPAGE, *this);
    if (!profilesPage_->Create(Handle()) || !aircraftsPage_->Create(Handle())) return true;
    LayoutPages();
    FillLists();
    SelectPage(0);
    ::SetFocus(Control(IDC_LSTPROFILES));
    return false;
}

void frmProfilesSetup::LayoutPages() {
    HWND tab = Item(IDC_TABMAIN);
    RECT area{};
    ::GetWindowRect(tab, &area);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&area), 2);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    // Above the tab control in the z-order, so that it paints below them.
    for (Page* page : {profilesPage_.get(), aircraftsPage_.get()})
        ::SetWindowPos(page->Handle(), HWND_TOP, area.left, area.top, area.right - area.left,
                       area.bottom - area.top, SWP_NOACTIVATE);
}

HWND frmProfilesSetup::Control(int id) const {
    for (const Page* page : {profilesPage_.get(), aircraftsPage_.get()})
        if (page && page->Handle())
            if (HWND h = page->Item(id)) return h;
    return Item(id);
}

int frmProfilesSetup::CurrentPage() const {
    return static_cast<int>(::SendMessageA(Item(IDC_TABMAIN), TCM_GETCURSEL, 0, 0));
}

void frmProfilesSetup::SelectPage(int page) {
    ::SendMessageA(Item(IDC_TABMAIN), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    if (profilesPage_ && profilesPage_->Handle()) ::ShowWindow(profilesPage_->Handle(), page == 0 ? SW_SHOW : SW_HIDE);
    if (aircraftsPage_ && aircraftsPage_->Handle())
        ::ShowWindow(aircraftsPage_->Handle(), page == 1 ? SW_SHOW : SW_HIDE);
}

INT_PTR frmProfilesSetup::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_TABMAIN && header.code == TCN_SELCHANGE) SelectPage(CurrentPage());
    return 0;
}

void frmProfilesSetup::OnCommand(int id, int code, HWND control) {
    (void)code;
    (void)control;
    if (id == IDOK && ::GetFocus() == Control(IDC_LSTAIRCRAFTS)) {
        // Enter on an aircraft does what a double click does.
        ChangeAircraftProfile();
    } else if (id == IDOK || id == IDCANCEL) {
        End(id);
    }
}

void frmProfilesSetup::PageCommand(int id, int code) {
    switch (id) {
    case IDC_LSTPROFILES:
        if (code == LBN_SELCHANGE) ShowSpecialMode();
        break;
    case IDC_OPTSPECIALMODE0:
    case IDC_OPTSPECIALMODE1:
    case IDC_OPTSPECIALMODE2:
        if (code == BN_CLICKED) SpecialModeClicked(id - IDC_OPTSPECIALMODE0);
        break;
    case IDC_CMDNEW:
        if (code == BN_CLICKED) NewProfile();
        break;
    case IDC_CMDDELETE:
        if (code == BN_CLICKED) DeleteProfile();
        break;
    case IDC_CMDIMPORT:
        if (code == BN_CLICKED) ImportProfile();
        break;
    case IDC_LSTAIRCRAFTS:
        if (code == LBN_SELCHANGE) ShowAircraftProfile();
        else if (code == LBN_DBLCLK) ChangeAircraftProfile();
        break;
    default:
        break;
    }
}

void frmProfilesSetup::FillLists() {
    const std::string profile = SelectedProfile();
    const std::string aircraft = SelectedAircraft();
    FillList(Control(IDC_LSTPROFILES), config_.colProfiles, profile);
    FillList(Control(IDC_LSTAIRCRAFTS), config_.colAircrafts, aircraft);
    FitHorizontalExtent(Control(IDC_LSTAIRCRAFTS), config_.colAircrafts);
    ShowSpecialMode();
    ShowAircraftProfile();
}

std::string frmProfilesSetup::SelectedProfile() const { return SelectedListText(Control(IDC_LSTPROFILES)); }

std::string frmProfilesSetup::SelectedAircraft() const { return SelectedListText(Control(IDC_LSTAIRCRAFTS)); }

void frmProfilesSetup::ShowSpecialMode() {
    const std::string name = SelectedProfile();
    // Without a selected profile there is no file to write the mode to.
    int mode = -1;
    if (!name.empty()) mode = ReadProfileSpecialMode(config_.Store(), config_.ProfilePath(name));
    for (int i = 0; i < 3; ++i) {
        HWND option = Control(IDC_OPTSPECIALMODE0 + i);
        ::SendMessageA(option, BM_SETCHECK, i == mode ? BST_CHECKED : BST_UNCHECKED, 0);
        ::EnableWindow(option, name.empty() ? FALSE : TRUE);
    }
    ::EnableWindow(Control(IDC_FRAMESPECIALMODE), name.empty() ? FALSE : TRUE);
}

void frmProfilesSetup::SpecialModeClicked(int mode) {
    const std::string name = SelectedProfile();
    if (name.empty()) return;
    const std::string path = config_.ProfilePath(name);
    if (!WriteProfileSpecialMode(config_.Store(), path, mode))
        Tell("The special mode could not be stored in the profile file " + path + ".", true);
    ShowSpecialMode();
}

void frmProfilesSetup::NewProfile() {
    frmProfileName dialog(config_, messages_, state_, monitors_);
    dialog.ShowModal(Handle());
    const std::string name = dialog.NewProfileName();
    if (!name.empty() && AddNewProfile(config_, name)) {
        FillList(Control(IDC_LSTPROFILES), config_.colProfiles, name);
        ShowSpecialMode();
    } else {
        FillLists();
    }
}

void frmProfilesSetup::DeleteProfile() {
    const std::string name = SelectedProfile();
    const DeleteCheck check = CheckDeleteProfile(config_, name);
    if (check != DeleteCheck::Allowed) {
        const ProfileMessage message = DeleteCheckMessage(check);
        Tell(message);
        return;
    }
    if (!messages_.AskOkCancel(kMessageTitle, kConfirmDeleteText)) return;
    if (config::DeleteProfile(config_, name) == DeleteResult::FileNotDeleted)
        Tell(DeleteFailedText(config_.ProfilePath(name)), true);
    FillLists();
}

void frmProfilesSetup::ImportProfile() {
    const std::string target = SelectedProfile();
    if (target.empty()) {
        // Without a target the import would write a file named ".ini".
        messages_.Inform(kMessageTitle, kNoProfileSelectedText);
        return;
    }
    frmProfileImport dialog(config_, messages_, state_, monitors_, target);
    dialog.ShowModal(Handle());
    // The import may have replaced the target's "Common" section.
    ShowSpecialMode();
}

void frmProfilesSetup::ShowAircraftProfile() {
    const std::string title = SelectedAircraft();
    ::SetWindowTextA(Control(IDC_LABPROFILE), title.empty() ? "" : config_.GetAircraftProfile(title).c_str());
}

void frmProfilesSetup::ChangeAircraftProfile() {
    const std::string title = SelectedAircraft();
    if (title.empty()) return;
    state_.NewAircraftTitle = title;
    frmAircraftProfile dialog(config_, messages_, state_, monitors_);
    dialog.ShowModal(Handle());
    const std::string chosen = state_.ChosenProfile;
    if (chosen.empty()) return;
    // Both lists are saved: a profile typed in the dialog is new to the
    // profile list as well.
    RebindAircraft(config_, title, chosen);
    FillLists();
}

} // namespace orvex::config::win32
