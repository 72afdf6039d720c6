#include "actions/win32/frm_custom_action.h"

#include "actions/custom_action.h"
#include "actions/win32/sim_action_target.h"
#include "common/win32/place_window_win32.h"

#include <cstdlib>
#include <string_view>

namespace orvex::actions::win32 {

namespace {

constexpr int kRows = 5;
constexpr std::array<const char*, 4> kSizes = {"1", "2", "4", "8"};

// The caption of an item, with its access key.
std::string Caption(std::string_view name) {
    if (name == "Control") return "&Control:";
    if (name == "Parameter") return "&Parameter:";
    if (name == "Offset") return "&Offset:";
    if (name == "Size") return "&Size:";
    if (name == "Value") return "&Value:";
    if (name == "Mask") return "&Mask:";
    if (name == "Delta") return "&Delta:";
    if (name == "Min") return "M&inimum:";
    if (name == "Max") return "Ma&ximum:";
    return std::string(name) + ":";
}

std::int32_t CustomKindOr(std::int32_t kind) { return IsCustomKind(kind) ? kind : kControl; }

} // namespace

frmCustomAction::frmCustomAction(const EventAction& action, app::ProgramState* state, simlink::ILink* link)
    : Dialog(IDD_CUSTOMACTION), action_(action), state_(state), link_(link), kind_(CustomKindOr(action.Kind)) {
    action_.Kind = kind_;
}

frmCustomAction::~frmCustomAction() {
    if (Handle()) ::DestroyWindow(Handle());
}

bool frmCustomAction::OnInit() {
    // No stored position: centred on a monitor, as the other windows start.
    orvex::win32::PlaceWindow(Handle(), 0, 0, orvex::win32::EnumerateMonitors());
    HWND kinds = Item(IDC_CUSTOM_KIND);
    for (const char* name : kCustomKindNames) ::SendMessageA(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    HWND sizes = Item(IDC_CUSTOM_SIZE);
    for (const char* size : kSizes) ::SendMessageA(sizes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    // Every kind starts from the record's fields where they fit it (they are
    // shared: an offset set is the same offset toggled), else from values
    // that do.
    for (std::int32_t kind = kControl; kind <= kStep; ++kind) {
        EventAction start = action_;
        start.Kind = kind;
        std::vector<std::string> texts = CustomItemTexts(start);
        const std::vector<std::string_view> views(texts.begin(), texts.end());
        EventAction check = start;
        if (!ReadCustomItems(kind, views, check).Ok()) texts = CustomItemTexts(CustomDefaults(kind));
        kept_[static_cast<std::size_t>(kind - kControl)] = texts;
    }
    ShowKind(kind_);
    return true;
}

void frmCustomAction::ShowKind(std::int32_t kind) {
    kind_ = kind;
    ::SendMessageA(Item(IDC_CUSTOM_KIND), CB_SETCURSEL, static_cast<WPARAM>(kind - kControl), 0);
    const auto names = CustomItemNames(kind);
    const bool sizeCombo = kind != kControl;
    for (int row = 0; row < kRows; ++row) {
        const bool used = static_cast<std::size_t>(row) < names.size();
        ItemText(IDC_CUSTOM_CAPTION0 + row, used ? Caption(names[static_cast<std::size_t>(row)]) : "");
        Show(IDC_CUSTOM_CAPTION0 + row, used);
        Show(IDC_CUSTOM_EDIT0 + row, used && !(row == 1 && sizeCombo));
        Show(IDC_CUSTOM_LIMITS0 + row, used);
        Show(IDC_CUSTOM_REASON0 + row, used);
    }
    Show(IDC_CUSTOM_SIZE, sizeCombo);
    Show(IDC_CUSTOM_WRAP, kind == kStep);
    FillFields();
}

void frmCustomAction::FillFields() {
    const std::vector<std::string>& texts = kept_[static_cast<std::size_t>(kind_ - kControl)];
    filling_ = true;
    for (int row = 0; row < kRows; ++row) {
        const std::string text = static_cast<std::size_t>(row) < texts.size() ? texts[static_cast<std::size_t>(row)] : "";
        if (row == 1 && kind_ != kControl) {
            int index = -1;
            for (std::size_t i = 0; i < kSizes.size(); ++i)
                if (text == kSizes[i]) index = static_cast<int>(i);
            ::SendMessageA(Item(IDC_CUSTOM_SIZE), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        } else {
            ItemText(IDC_CUSTOM_EDIT0 + row, text);
        }
    }
    Check(IDC_CUSTOM_WRAP, texts.size() > 5 && texts[5] == "1");
    filling_ = false;
    Validate();
}

std::vector<std::string> frmCustomAction::Items() const {
    std::vector<std::string> items;
    const std::size_t count = CustomItemNames(kind_).size();
    for (std::size_t i = 0; i < count; ++i) {
        const int row = static_cast<int>(i);
        if (row == 1 && kind_ != kControl) {
            const auto index = ::SendMessageA(Item(IDC_CUSTOM_SIZE), CB_GETCURSEL, 0, 0);
            items.push_back(index >= 0 && index < static_cast<LRESULT>(kSizes.size())
                                ? kSizes[static_cast<std::size_t>(index)]
                                : "");
        } else if (row == 5) {
            items.push_back(Checked(IDC_CUSTOM_WRAP) ? "1" : "0");
        } else {
            items.push_back(ItemText(IDC_CUSTOM_EDIT0 + row));
        }
    }
    return items;
}

void frmCustomAction::Validate() {
    const std::vector<std::string> items = Items();
    kept_[static_cast<std::size_t>(kind_ - kControl)] = items;
    const std::vector<std::string_view> views(items.begin(), items.end());
    EventAction checked = action_;
    const CustomCheck check = ReadCustomItems(kind_, views, checked);
    fits_ = check.Ok();
    const std::int32_t size = items.size() > 1 && kind_ != kControl ? std::atoi(items[1].c_str()) : 0;
    for (int row = 0; row < kRows; ++row) {
        std::string reason;
        for (const CustomProblem& problem : check.Problems)
            if (problem.Item == row) reason = problem.Reason;
        ItemText(IDC_CUSTOM_REASON0 + row, reason);
        ItemText(IDC_CUSTOM_LIMITS0 + row, CustomItemLimits(kind_, row, size));
    }
    ItemText(IDC_CUSTOM_SUMMARY, fits_ ? CustomSummary(checked) : "");
    if (fits_) action_ = checked;
    Enable(IDOK, fits_);
    Enable(IDC_CUSTOM_TEST, fits_ && state_ && state_->SimConnected && link_);
}

void frmCustomAction::Test() {
    if (!fits_ || !state_ || !state_->SimConnected || !link_) return;
    SimActionTarget target(*link_);
    CarryOut(action_, target, 1, true);
}

void frmCustomAction::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_CUSTOM_KIND:
        if (code == CBN_SELCHANGE) {
            const auto index = ::SendMessageA(Item(IDC_CUSTOM_KIND), CB_GETCURSEL, 0, 0);
            if (index >= 0 && index < 4) ShowKind(kControl + static_cast<std::int32_t>(index));
        }
        return;
    case IDC_CUSTOM_SIZE:
        if (code == CBN_SELCHANGE) Validate();
        return;
    case IDC_CUSTOM_WRAP:
        if (code == BN_CLICKED) Validate();
        return;
    case IDC_CUSTOM_TEST:
        if (code == BN_CLICKED) Test();
        return;
    case IDOK:
        if (code != BN_CLICKED) return;
        Validate();
        if (fits_) End(IDOK);
        return;
    default:
        if (id >= IDC_CUSTOM_EDIT0 && id < IDC_CUSTOM_EDIT0 + kRows) {
            if (code == EN_CHANGE && !filling_) Validate();
            return;
        }
        Dialog::OnCommand(id, code, control);
    }
}

} // namespace orvex::actions::win32
