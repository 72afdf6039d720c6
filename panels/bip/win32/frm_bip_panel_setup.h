// frmBIPPanelSetup: the modal dialog that assigns a tile function, colour
// and threshold to each of the 24 tiles of one BIP in the profile in use.
// It works on a holder of its own, loaded from the profile file on
// opening; OK saves it back, Cancel drops it. While it is open the panel
// does not follow the simulator (BIPSetupOpen); when it goes the physical
// panel turns dark until the logic's next refresh. The main window reloads
// the panel's configuration once it has closed.
//
//     frmBIPPanelSetup dialog(configuration, state, panelIndex, panelControl, monitors);
//     dialog.ShowModal(mainWindow);
#pragma once

#include "app/program_state.h"
#include "common/place_window.h"
#include "common/win32/dialog.h"
#include "common/win32/handles.h"
#include "config/configuration.h"
#include "panels/bip/bip_actions_holder.h"
#include "panels/bip/bip_control.h"
#include "panels/bip/bip_setup_model.h"
#include "panels/bip/win32/bip_tile_face.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

namespace orvex::panels::bip::win32 {

// The dialog's copy of the 24 tiles (window class "OrvexBIPTileGrid"): it
// draws them from its source and reports the tile the user picks with the
// mouse or the arrow keys.
class ITileGridSource {
public:
    virtual ~ITileGridSource() = default;
    virtual COLORREF GridFill(int tile) const = 0;
    virtual const TileLegends& GridLegends() const = 0;
    virtual int GridCurrent() const = 0;
    virtual void GridPicked(int tile) = 0;
};
// Registers the grid's window class (once per process).
void RegisterTileGridClass();
// The grid's source (null: it draws nothing and reports nothing).
void SetTileGridSource(HWND grid, ITileGridSource* source);

class frmBIPPanelSetup final : public orvex::win32::Dialog, private ITileGridSource {
public:
    // All references must outlive the dialog; `panel` is the BIP's device
    // control, darkened when the dialog goes.
    frmBIPPanelSetup(config::cConfiguration& configuration, app::ProgramState& state, std::int16_t panelIndex,
                     IBIPPanelControl& panel, const MonitorList& monitors);

    // The dialog's own configuration (null before it is shown) and the
    // editing model.
    cBIPPanelActionHolder* Holder() const { return holder_.get(); }
    const BIPSetupModel& Model() const { return model_; }
    int CurrentTile() const { return model_.CurrentTile(); }
    // The function group page shown (0-7).
    int GroupTab() const { return groupTab_; }
    // A control of the dialog or of one of its group pages, by identifier
    // (optFunction f is IDC_BIP_OPTFUNCTION + f).
    HWND Control(int id) const;
    // The shape of a tile in the tile grid's client pixels.
    RECT TileShape(int tile) const;
    // The legends the dialog's tiles show.
    const TileLegends& Legends() const { return legends_; }

    // Selects a tile as a click on it does.
    void SelectTile(int tile);

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDestroy() override;

private:
    // ITileGridSource
    COLORREF GridFill(int tile) const override;
    const TileLegends& GridLegends() const override { return legends_; }
    int GridCurrent() const override { return model_.CurrentTile(); }
    void GridPicked(int tile) override { SelectTile(tile); }

    bool MakeGroupPages();
    void ShowGroup(int tab);
    void ShowView();
    void FunctionClicked(int function);
    void RedrawTile(int tile);
    void RedrawAllTiles();

    config::cConfiguration& configuration_;
    app::ProgramState& state_;
    std::int16_t panelIndex_;
    IBIPPanelControl& panel_;
    const MonitorList& monitors_;

    std::unique_ptr<cBIPPanelActionHolder> holder_;
    BIPSetupModel model_;
    TileLegends legends_;
    // Children of the dialog: the window system owns them.
    std::array<HWND, kTileGroupCount> groupPages_{};
    int groupTab_ = -1;
    orvex::win32::UniqueWindow tooltip_;
    bool showing_ = false;  // the controls are being set from the model
};

} // namespace orvex::panels::bip::win32
