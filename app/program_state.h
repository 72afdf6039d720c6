// The program-wide state that the poll loop, the main window and the panel
// logics share. One object, created at start-up and handed to whoever needs
// it; nothing of this lives in scattered globals.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvex::app {

struct ProgramState {
    // Poll loop.
    bool SimConnected = false;       // the link is open and answering
    std::string AircraftInUse;       // title read by the last successful tick
    std::string LastAircraft;        // title the profile was last chosen for; survives a disconnection
    std::uint8_t SimVersion = 0;     // simulator identifier read at connection

    // Main window.
    bool DialogOpen = false;         // a modal dialog started from the main window is shown
    bool CloseRequested = false;     // the window was asked to close while a dialog was shown
    std::int16_t SetupPanelIndex = 0;
    std::string NewAircraftTitle;    // handed to the aircraft binding dialog
    std::string ChosenProfile;       // picked in that dialog
    bool AircraftHasRetractableGear = false;

    // Shared by the panels. Index 0 of the ADF arrays is unused (ADF1, ADF2).
    std::uint8_t RadioUpperSelection = 1;  // 1-4: COM1, COM2, NAV1, NAV2 on Radio Panel 1's upper selector
    std::array<float, 3> ADFActive{};      // kHz, as last read or set
    std::array<float, 3> ADFStandby{};     // kHz, only in the program
    bool BIPSetupOpen = false;
};

} // namespace orvex::app
