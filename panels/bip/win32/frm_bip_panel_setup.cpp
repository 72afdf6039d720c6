#include "panels/bip/win32/frm_bip_panel_setup.h"

#include "common/win32/handles.h"
#include "common/win32/place_window_win32.h"
#include "common/win32/tab_pages.h"
#include "common/win32/window.h"
#include "panels/bip/bip_catalog.h"
#include "panels/bip/win32/bip_setup_resource.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace orvex::panels::bip::win32 {

namespace {

constexpr const char* kGridClass = "OrvexBIPTileGrid";
// The grid tells the dialog that the user picked a tile (WM_COMMAND code).
constexpr int kGridPicked = 1;

// The option buttons of a group page, in dialog units: columns of six.
constexpr int kOptionRows = 6;
constexpr int kOptionLeft = 12, kOptionTop = 14, kOptionWidth = 92, kOptionHeight = 10, kOptionRowStep = 19;

constexpr int kColourOptions[3] = {IDC_BIP_OPTTILECOLOR_RED, IDC_BIP_OPTTILECOLOR_GREEN, IDC_BIP_OPTTILECOLOR_YELLOW};

// --- the tile grid ---------------------------------------------------------------

ITileGridSource* SourceOf(HWND grid) {
    return reinterpret_cast<ITileGridSource*>(::GetWindowLongPtrA(grid, GWLP_USERDATA));
}

TileGrid GridOf(HWND grid) {
    RECT client{};
    ::GetClientRect(grid, &client);
    return TileGrid(client, 0, orvex::win32::Scale(6, orvex::win32::WindowDpi(grid)));
}

void PaintGrid(HWND grid, HDC dc) {
    RECT client{};
    ::GetClientRect(grid, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    ITileGridSource* source = SourceOf(grid);
    if (!source) return;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(grid), WM_GETFONT, 0, 0));
    orvex::win32::SelectGuard selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    const TileGrid tiles = GridOf(grid);
    const int current = source->GridCurrent();
    const int wide = std::max(3, orvex::win32::Scale(3, orvex::win32::WindowDpi(grid)));
    for (int t = 0; t < kTileCount; ++t)
        PaintTile(dc, tiles, t, source->GridFill(t), source->GridLegends(), t == current ? wide : 1);
    if (::GetFocus() == grid && IsTile(current)) {
        RECT focus = tiles.Shape(current);
        ::InflateRect(&focus, -wide - 1, -wide - 1);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::DrawFocusRect(dc, &focus);
    }
}

void Picked(HWND grid, int tile) {
    if (!IsTile(tile)) return;
    if (ITileGridSource* source = SourceOf(grid)) source->GridPicked(tile);
    ::SendMessageA(::GetParent(grid), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(grid), kGridPicked),
                   reinterpret_cast<LPARAM>(grid));
}

LRESULT CALLBACK GridProcedure(HWND grid, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        orvex::win32::PaintBuffer paint(grid);
        PaintGrid(grid, paint.Dc());
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(grid, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN: {
        ::SetFocus(grid);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        Picked(grid, GridOf(grid).TileAt(at));
        return 0;
    }
    case WM_KEYDOWN: {
        ITileGridSource* source = SourceOf(grid);
        if (!source) break;
        const int current = source->GridCurrent();
        int next = current;
        switch (wParam) {
        case VK_LEFT: next = TileColumn(current) > 0 ? current - 1 : current; break;
        case VK_RIGHT: next = TileColumn(current) < kTileColumns - 1 ? current + 1 : current; break;
        case VK_UP: next = TileRow(current) > 0 ? current - kTileColumns : current; break;
        case VK_DOWN: next = TileRow(current) < kTileRows - 1 ? current + kTileColumns : current; break;
        case VK_HOME: next = 0; break;
        case VK_END: next = kTileCount - 1; break;
        default: return ::DefWindowProcA(grid, message, wParam, lParam);
        }
        if (next != current) Picked(grid, next);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcA(grid, message, wParam, lParam);
}

std::string ThresholdText(int value) { return std::to_string(value) + "%"; }

} // namespace

void RegisterTileGridClass() {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &GridProcedure;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
        wc.lpszClassName = kGridClass;
        return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    (void)registered;
}

void SetTileGridSource(HWND grid, ITileGridSource* source) {
    if (!grid) return;
    ::SetWindowLongPtrA(grid, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(source));
    ::InvalidateRect(grid, nullptr, FALSE);
}

// --- the dialog ------------------------------------------------------------------

frmBIPPanelSetup::frmBIPPanelSetup(config::cConfiguration& configuration, app::ProgramState& state,
                                   std::int16_t panelIndex, IBIPPanelControl& panel, const MonitorList& monitors)
    : Dialog(IDD_BIP_SETUP),
      configuration_(configuration),
      state_(state),
      panelIndex_(panelIndex),
      panel_(panel),
      monitors_(monitors) {
    // The template's tab strip, slider and tile grid need their window
    // classes before the dialog is created.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    RegisterTileGridClass();
}

HWND frmBIPPanelSetup::Control(int id) const {
    if (HWND h = Item(id)) return h;
    for (HWND page : groupPages_)
        if (page)
            if (HWND h = ::GetDlgItem(page, id)) return h;
    return nullptr;
}

RECT frmBIPPanelSetup::TileShape(int tile) const { return GridOf(Item(IDC_BIP_TILES)).Shape(tile); }

COLORREF frmBIPPanelSetup::GridFill(int tile) const { return TileFill(model_.TileColour(tile)); }

bool frmBIPPanelSetup::OnInit() {
    // The panel stops following the simulator while the dialog is open.
    state_.BIPSetupOpen = true;
    // At the position shared by the panel setup dialogs.
    orvex::win32::PlaceWindow(Handle(), configuration_.Setup().SetupFormTop(), configuration_.Setup().SetupFormLeft(),
                              monitors_);

    holder_ = std::make_unique<cBIPPanelActionHolder>(configuration_);
    holder_->PanelIndex = panelIndex_;
    holder_->LoadSetup();
    model_.CopyFrom(*holder_);

    if (!MakeGroupPages()) {
        End(IDCANCEL);
        return true;
    }
    HWND slider = Item(IDC_BIP_SLIDERTHRESHOLD);
    ::SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(kThresholdSliderMin, kThresholdSliderMax));
    ::SendMessageA(slider, TBM_SETTICFREQ, 10, 0);
    ::SendMessageA(slider, TBM_SETLINESIZE, 0, 1);
    ::SendMessageA(slider, TBM_SETPAGESIZE, 0, 10);

    for (int t = 0; t < kTileCount; ++t) legends_.Set(t, model_.Legend(t));
    SetTileGridSource(Item(IDC_BIP_TILES), this);
    ItemText(IDC_BIP_LABPROFILE, BIPProfileLabelText(configuration_.CurrentProfile));
    SelectTile(0);
    // The tiles take the focus first: the arrow keys pick a tile.
    ::SetFocus(Item(IDC_BIP_TILES));
    return false;
}

bool frmBIPPanelSetup::MakeGroupPages() {
    HWND tabCat = Item(IDC_BIP_TABCAT);
    std::array<const char*, kTileGroupCount> names{};
    for (int g = 1; g <= kTileGroupCount; ++g) names[static_cast<std::size_t>(g - 1)] = TileGroupName(g);
    orvex::win32::AddTabs(tabCat, names.data(), names.size());

    // Each function's help text is its option's tool tip.
    tooltip_.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                     Module(), nullptr));
    if (tooltip_) ::SendMessageA(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, 360);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(Handle(), WM_GETFONT, 0, 0));

    for (int g = 1; g <= kTileGroupCount; ++g) {
        HWND page = orvex::win32::CreateTabPage(Module(), IDD_BIP_SETUP_GROUP, tabCat);
        if (!page) return false;
        groupPages_[static_cast<std::size_t>(g - 1)] = page;
        // The frame fills the page, captioned with the group.
        RECT client{};
        ::GetClientRect(page, &client);
        RECT margin{4, 2, 4, 4};
        ::MapDialogRect(page, &margin);
        HWND frame = ::GetDlgItem(page, IDC_BIP_FRAMETILECAT);
        ::SetWindowTextA(frame, TileGroupName(g));
        ::MoveWindow(frame, margin.left, margin.top, client.right - margin.left - margin.right,
                     client.bottom - margin.top - margin.bottom, FALSE);

        HWND previous = frame;
        const std::vector<int> functions = FunctionsOfGroup(g);
        for (std::size_t i = 0; i < functions.size(); ++i) {
            const int f = functions[i];
            const int column = static_cast<int>(i) / kOptionRows, row = static_cast<int>(i) % kOptionRows;
            RECT rc{kOptionLeft + column * kOptionWidth, kOptionTop + row * kOptionRowStep,
                    kOptionLeft + (column + 1) * kOptionWidth - 4, kOptionTop + row * kOptionRowStep + kOptionHeight};
            ::MapDialogRect(page, &rc);
            const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_RADIOBUTTON | (i == 0 ? WS_GROUP : 0);
            const std::string caption = FunctionOptionCaption(f);
            HWND option = ::CreateWindowExA(0, "BUTTON", caption.c_str(), style, rc.left, rc.top, rc.right - rc.left,
                                            rc.bottom - rc.top, page,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_BIP_OPTFUNCTION + f)),
                                            Module(), nullptr);
            if (!option) return false;
            if (font) ::SendMessageA(option, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            // In the tab order after the frame and the options before it.
            ::SetWindowPos(option, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            previous = option;
            if (tooltip_) {
                std::string tip = TileFunction(f).Description;
                TTTOOLINFOA info{};
                info.cbSize = TTTOOLINFOA_V2_SIZE;
                info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
                info.hwnd = page;
                info.uId = reinterpret_cast<UINT_PTR>(option);
                info.lpszText = tip.data();  // copied by the tool tip
                ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
            }
        }
    }
    orvex::win32::ChainTabOrder(groupPages_.data(), groupPages_.size());
    ShowGroup(0);
    return true;
}

void frmBIPPanelSetup::ShowGroup(int tab) {
    if (tab < 0 || tab >= kTileGroupCount) return;
    groupTab_ = tab;
    HWND tabCat = Item(IDC_BIP_TABCAT);
    if (orvex::win32::CurrentTab(tabCat) != tab) ::SendMessageA(tabCat, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    orvex::win32::ShowTabPage(groupPages_.data(), groupPages_.size(), static_cast<std::size_t>(tab));
}

void frmBIPPanelSetup::ShowView() {
    const BIPSetupView view = model_.View();
    showing_ = true;
    // One function option checked: the one of the tile's function.
    for (int f = 0; f < kTileFunctionCount; ++f)
        if (HWND option = Control(IDC_BIP_OPTFUNCTION + f))
            ::SendMessageA(option, BM_SETCHECK, f == view.Function ? BST_CHECKED : BST_UNCHECKED, 0);
    ItemText(IDC_BIP_LBLDESCRIPTION, view.Description);

    // The frames stay as they are; what they hold is enabled or not.
    for (int id : kColourOptions) Enable(id, view.ColorEnabled);
    for (int i = 0; i < 3; ++i) Check(kColourOptions[i], view.ColorEnabled && view.ColorOption == i);

    for (int id : {IDC_BIP_SLIDERTHRESHOLD, IDC_BIP_THRESHOLD_MIN, IDC_BIP_THRESHOLD_MAX, IDC_BIP_THRESHOLD_VALUE})
        Enable(id, view.ThresholdEnabled);
    ::SendMessageA(Item(IDC_BIP_SLIDERTHRESHOLD), TBM_SETPOS, TRUE, view.ThresholdEnabled ? view.Threshold : 0);
    ItemText(IDC_BIP_THRESHOLD_VALUE, view.ThresholdEnabled ? ThresholdText(view.Threshold) : "");

    if (view.Tab >= 0) ShowGroup(view.Tab);
    showing_ = false;
}

void frmBIPPanelSetup::RedrawTile(int tile) {
    (void)tile;
    // The current tile's wider edge moves too: the whole grid is cheap.
    RedrawAllTiles();
}

void frmBIPPanelSetup::RedrawAllTiles() {
    if (HWND grid = Item(IDC_BIP_TILES)) ::InvalidateRect(grid, nullptr, FALSE);
}

void frmBIPPanelSetup::SelectTile(int tile) {
    if (!model_.SelectTile(tile)) return;
    ShowView();
    RedrawAllTiles();
}

void frmBIPPanelSetup::FunctionClicked(int function) {
    const int tile = model_.CurrentTile();
    model_.ChooseFunction(function);
    legends_.Set(tile, model_.Legend(tile));
    ShowView();
    RedrawTile(tile);
}

void frmBIPPanelSetup::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id == IDOK) {
        if (holder_) {
            model_.CopyTo(*holder_);
            holder_->SaveSetup();
        }
        End(IDOK);
        return;
    }
    if (id == IDCANCEL) {
        End(IDCANCEL);
        return;
    }
    if (!holder_ || showing_) return;
    if (id == IDC_BIP_TILES) return;  // the grid has selected the tile already
    if (code != BN_CLICKED) return;
    if (id >= IDC_BIP_OPTFUNCTION && id < IDC_BIP_OPTFUNCTION + kTileFunctionCount) {
        FunctionClicked(id - IDC_BIP_OPTFUNCTION);
        return;
    }
    for (int i = 0; i < 3; ++i) {
        if (id != kColourOptions[i]) continue;
        if (model_.ChooseColorOption(i)) RedrawTile(model_.CurrentTile());
        return;
    }
    if (id == IDC_BIP_CMBCLEAR) {
        const int tile = model_.CurrentTile();
        model_.ClearCurrentTile();
        legends_.Set(tile, model_.Legend(tile));
        ShowView();
        RedrawTile(tile);
    } else if (id == IDC_BIP_CMDCLEARALL) {
        model_.ClearAllTiles();
        for (int t = 0; t < kTileCount; ++t) legends_.Set(t, model_.Legend(t));
        ShowView();
        RedrawAllTiles();
    }
}

INT_PTR frmBIPPanelSetup::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_BIP_TABCAT && header.code == TCN_SELCHANGE)
        ShowGroup(orvex::win32::CurrentTab(header.hwndFrom));
    return FALSE;
}

bool frmBIPPanelSetup::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    (void)wParam;
    if (message == WM_HSCROLL && reinterpret_cast<HWND>(lParam) == Item(IDC_BIP_SLIDERTHRESHOLD)) {
        if (!showing_ && holder_) {
            const int value = static_cast<int>(::SendMessageA(Item(IDC_BIP_SLIDERTHRESHOLD), TBM_GETPOS, 0, 0));
            model_.SetThreshold(value);
            ItemText(IDC_BIP_THRESHOLD_VALUE, ThresholdText(model_.View().Threshold));
        }
        result = 0;
        return true;
    }
    return false;
}

void frmBIPPanelSetup::OnDestroy() {
    SetTileGridSource(Item(IDC_BIP_TILES), nullptr);
    tooltip_.reset();
    // However it closes, the dialog leaves its position for the next one.
    std::int32_t top = 0, left = 0;
    orvex::win32::WindowPositionTwips(Handle(), top, left);
    configuration_.Setup().SetupFormTop(top);
    configuration_.Setup().SetupFormLeft(left);
    // The panel goes dark; the logic repaints it on its next refresh.
    panel_.TurnPanel(kTileDark);
    state_.BIPSetupOpen = false;
}

} // namespace orvex::panels::bip::win32
