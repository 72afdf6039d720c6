// Action keys of a panel section in a real profile file, through cInifile.
#include "actions/event_action.h"

#include "config/tests/fake_messages.h"
#include "config/tests/win32/temp_folder.h"
#include "config/win32/program_configuration.h"

#include <gtest/gtest.h>

#include <array>

namespace orvex::actions {
namespace {

TEST(ActionFiles, MalformedKeysKeepDefaultsAndTheRestRoundTrips) {
    config::testing::TempFolder folder("actions");
    folder.Write("Default.ini", "[Common]\r\nSpecialMode=NGX\r\n"
                                "[SwitchPanel1]\r\n"
                                "SwitchBATOn=VKey,66,3\r\n"        // too few items
                                "SwitchBATOff=vbutton, 64 ,2\r\n"
                                "SwitchALTOn=VKey,65,1,97,extra\r\n"
                                "SwitchALTOff=None\r\n"
                                "RetractableGear=0\r\n");
    config::win32::cInifile store;
    config::testing::RecordingMessages messages;
    config::cConfiguration model(store, folder.Path(), messages);
    model.LoadCurrentProfileCommon();
    EXPECT_EQ(model.SpecialMode, 2);

    std::array<EventAction, 4> actions{};
    const std::vector<ActionRow> rows = {{"SwitchBATOn", &actions[0], kOffset},
                                         {"SwitchBATOff", &actions[1], kOffset},
                                         {"SwitchALTOn", &actions[2], kOffset},
                                         {"SwitchALTOff", &actions[3], kOffset}};
    const ActionSection where{store, model.ProfilePath(model.CurrentProfile), "SwitchPanel1", Field3Type::Byte,
                              model.Locale(), &model.BadValues()};
    LoadActionDefaults(rows);
    LoadActions(where, rows);
    EXPECT_EQ(actions[0].Kind, kOffset);
    EXPECT_EQ(actions[1], (EventAction{kVButton, 64, 2, 0}));
    EXPECT_EQ(actions[2], (EventAction{kVKey, 65, 1, 97}));
    EXPECT_EQ(actions[3].Kind, kNone);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].Text.find("SwitchBATOn"), std::string::npos);
    EXPECT_NE(messages.shown[0].Text.find(folder.File("Default.ini")), std::string::npos);

    LoadActions(where, rows); // loading again reports nothing new
    EXPECT_EQ(messages.shown.size(), 1u);

    // The text that did not read stays while its record holds the default.
    SaveActions(where, rows);
    EXPECT_EQ(folder.Read("Default.ini"), "[Common]\r\nSpecialMode=NGX\r\n"
                                          "[SwitchPanel1]\r\n"
                                          "SwitchBATOn=VKey,66,3\r\n"
                                          "SwitchBATOff=VButton,64,2\r\n"
                                          "SwitchALTOn=VKey,65,1,97\r\n"
                                          "SwitchALTOff=None\r\n"
                                          "RetractableGear=0\r\n");
}

} // namespace
} // namespace orvex::actions
