#include "app/main_logic.h"

#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "simlink/tests/fake_link.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

namespace orvex::app {
namespace {

const std::string kFolder = "C:\\Orvex";
const std::string kIni = kFolder + "\\Orvex.ini";

class FakeConnection final : public ISimConnection {
public:
    explicit FakeConnection(simlink::testing::FakeLink& link) : link_(link) {}
    simlink::LinkAnswer Open(std::int32_t& result) override {
        ++opens;
        result = available ? simlink::ResultOk : failure;
        link_.open = available;
        return available ? simlink::LinkAnswer::Ok : simlink::LinkAnswer::Failed;
    }
    simlink::LinkAnswer Exchange(std::int32_t& result) override {
        if (late) {
            ++lateExchanges;
            link_.queue.clear();
            return simlink::LinkAnswer::Pending;
        }
        return link_.LinkProcess(result) ? simlink::LinkAnswer::Ok : simlink::LinkAnswer::Failed;
    }
    // A link running its exchanges in the background.
    bool Busy() override { return busy; }
    std::uint32_t LateMs() override { return lateMs; }
    simlink::LinkEvents TakeEvents() override { return std::exchange(events, simlink::LinkEvents{}); }
    bool late = false, busy = false;
    std::uint32_t lateMs = 0;
    int lateExchanges = 0;
    simlink::LinkEvents events;
    void Close() override {
        ++closes;
        link_.open = false;
    }
    void Reset() override { ++resets; }
    bool available = false;
    std::int32_t failure = simlink::ResultNoSimulator;  // the result of a failing open
    int opens = 0, closes = 0, resets = 0;

private:
    simlink::testing::FakeLink& link_;
};

class FakeView final : public IMainView {
public:
    void SetStatusText(StatusPanel panel, const std::string& text) override {
        status[static_cast<std::size_t>(panel)] = text;
        ++statusWrites;
    }
    void ShowStatusNotice(const std::string& text) override {
        notice = text;
        ++notices;
    }
    void SetTrayConnected(bool c) override { trayConnected = c; }
    void ShowTrayIcon(bool v) override { trayVisible = v; }
    void SetPollInterval(std::uint32_t ms) override { interval = ms; }
    void StopAndUnload() override { unloaded = true; }
    void PumpMessages() override { ++pumps; }
    void FillProfileList(const std::vector<std::string>& names) override { list = names; }
    void ShowProfileSelection(int index) override { selected = index; }
    std::string ChooseAircraftProfile() override {
        ++dialogs;
        if (duringDialog) duringDialog();
        return chosen;
    }
    std::array<std::string, 4> status;
    int statusWrites = 0;
    std::string notice;
    int notices = 0;
    bool trayConnected = false, trayVisible = false, unloaded = false;
    std::uint32_t interval = 0;
    int pumps = 0, dialogs = 0, selected = -1;
    std::vector<std::string> list;
    std::string chosen = "Chosen";
    std::function<void()> duringDialog;
};

class FakePanel final : public IPanel {
public:
    FakePanel(PanelKindId kind, std::int16_t index) : kind_(kind), index_(index) {}
    PanelKindId Kind() const override { return kind_; }
    std::int16_t Index() const override { return index_; }
    void RefreshData() override { ++refreshes; }
    void GetPositions() override {
        ++positions;
        if (onPositions) onPositions();
    }
    void SimulatorLost() override { ++lost; }
    void ReloadSetup() override { ++reloads; }
    void ApplySetup() override { ++applied; }
    void OpenSetupDialog() override { ++setups; }
    int refreshes = 0, positions = 0, lost = 0, reloads = 0, applied = 0, setups = 0;
    // Runs inside GetPositions, as the messages a panel lets run would.
    std::function<void()> onPositions;

private:
    PanelKindId kind_;
    std::int16_t index_;
};

struct MainLogicTest : ::testing::Test {
    MainLogicTest() {
        // FSUIPC 3.999 build 'z' (48 + 74), FSX.
        link.Put(0x3304, {0x00, 74, 0x99, 0x39});
        link.Put(0x3308, {8, 0});
        config.BeginStartUp();
        EXPECT_TRUE(config.FinishStartUp());
        logic.SetPanels({&radio, &multi});
        logic.Load();
    }
    void Title(const char* title) {
        std::memset(link.table.data() + 0x3D00, 0, 60);
        std::memcpy(link.table.data() + 0x3D00, title, std::strlen(title));
    }
    void Connect() {
        connection.available = true;
        logic.Tick();
    }

    config::MemoryIniStore store;
    config::testing::RecordingMessages messages;
    config::cConfiguration config{store, kFolder, messages};
    ProgramState state;
    simlink::testing::FakeLink link;
    FakeConnection connection{link};
    simlink::RegisteredOffsets offsets{link};
    FakeView view;
    cMainLogic logic{state, config, link, connection, offsets, view};
    FakePanel radio{PanelKindId::Radio, 1}, multi{PanelKindId::Multi, 1};
};

TEST_F(MainLogicTest, WaitsOncePerSecondThenConnectsWithVersionTexts) {
    EXPECT_EQ(view.status[0], "FSUIPC Status: Disconnected");
    EXPECT_TRUE(view.trayVisible);
    EXPECT_FALSE(view.trayConnected);
    EXPECT_EQ(view.list, std::vector<std::string>{"Default"});
    EXPECT_EQ(view.selected, 0) << "the last entry, Default, is loaded";
    EXPECT_EQ(connection.resets, 1);

    logic.Tick();  // no simulator
    logic.Tick();
    EXPECT_EQ(connection.opens, 2);
    EXPECT_FALSE(state.SimConnected);
    EXPECT_EQ(view.status[0], "FSUIPC Status: Disconnected") << "a failed open is silent";
    EXPECT_EQ(link.processCalls, 0);

    Connect();
    EXPECT_TRUE(state.SimConnected);
    EXPECT_TRUE(view.trayConnected);
    EXPECT_EQ(view.interval, 10u);
    EXPECT_EQ(view.status[0], "FSUIPC Status: Connected");
    EXPECT_EQ(view.status[1], "FSUIPC Version: 3.999z");
    EXPECT_EQ(view.status[2], "Flight Simulator Version: FSX");
    EXPECT_EQ(state.SimVersion, 8);
    EXPECT_TRUE(offsets.OffsetExists("AIRCRAFT"));
    EXPECT_EQ(offsets.Item("AIRCRAFT")->Lenght, 60);
    EXPECT_EQ(radio.positions, 1);
    EXPECT_EQ(multi.positions, 1);
    EXPECT_EQ(radio.refreshes, 0) << "the first exchange is the next tick";
}

TEST_F(MainLogicTest, OtherRightsAreSaidOnceAndGoWhenTheLinkConnects) {
    connection.failure = simlink::ResultAccessDenied;
    for (int i = 0; i < 5; ++i) logic.Tick();
    EXPECT_EQ(connection.opens, 5) << "the open is still tried at every tick";
    EXPECT_EQ(view.notice, kOtherRightsNotice);
    EXPECT_EQ(view.notices, 1) << "said once, not at every tick";
    EXPECT_TRUE(messages.shown.empty()) << "no message box";

    // The simulator closed (and started again with the same rights).
    connection.failure = simlink::ResultNoSimulator;
    logic.Tick();
    EXPECT_EQ(view.notice, "");
    connection.failure = simlink::ResultAccessDenied;
    logic.Tick();
    EXPECT_EQ(view.notices, 3);
    Connect();
    EXPECT_EQ(view.notice, "");
    EXPECT_TRUE(state.SimConnected);
    EXPECT_EQ(view.status[0], "FSUIPC Status: Connected");
}

TEST_F(MainLogicTest, EachTickIsOneExchangeThenRefreshesInOrder) {
    offsets.AddOffset(0x311A, 3, "COM1STANDBY");
    Connect();
    const int before = link.processCalls;
    link.processed.clear();
    logic.Tick();
    EXPECT_EQ(link.processCalls, before + 1);
    ASSERT_EQ(link.processed.size(), 2u) << "every registered offset, in one batch";
    EXPECT_EQ(link.processed[0].offset, 0x311A);
    EXPECT_EQ(link.processed[1].offset, 0x3D00);
    EXPECT_EQ(radio.refreshes, 1);
    EXPECT_EQ(multi.refreshes, 1);
    EXPECT_EQ(view.status[3], "Aircraft in use: ");

    const int writes = view.statusWrites;
    logic.Tick();
    logic.Tick();
    EXPECT_EQ(view.statusWrites, writes) << "unchanged status texts are not written again";
    EXPECT_EQ(radio.refreshes, 3);
}

TEST_F(MainLogicTest, ALateExchangeSkipsTicksShowsInTheStatusAndItsEndCarriesOn) {
    Connect();
    connection.late = true;
    logic.Tick();
    EXPECT_EQ(connection.lateExchanges, 1);
    EXPECT_EQ(radio.refreshes, 0) << "the refresh waits for the answer";

    connection.busy = true;
    connection.lateMs = 900;
    logic.Tick();
    EXPECT_EQ(view.status[0], "FSUIPC Status: Connected");
    connection.lateMs = 1100;
    logic.Tick();
    EXPECT_EQ(view.status[0], "FSUIPC Status: Simulator not answering");
    EXPECT_EQ(connection.lateExchanges, 1) << "ticks falling due meanwhile are skipped";
    EXPECT_EQ(logic.SkippedTicks(), 2u);
    EXPECT_TRUE(state.SimConnected);

    // The answer comes: the panels follow and the status is back.
    connection.busy = false;
    connection.events.ticked = true;
    EXPECT_TRUE(logic.LinkAnswered());
    EXPECT_EQ(radio.refreshes, 1);
    EXPECT_EQ(view.status[0], "FSUIPC Status: Connected");
    EXPECT_FALSE(logic.LinkAnswered()) << "once";

    // Another exchange running out of tries: the simulator is gone.
    connection.events.gaveUp = true;
    connection.events.gaveUpResult = simlink::ResultTimeout;
    logic.Tick();
    EXPECT_FALSE(state.SimConnected);
    EXPECT_EQ(view.status[0], "FSUIPC Status: Disconnected");
    EXPECT_EQ(radio.lost, 1);
    EXPECT_EQ(connection.closes, 1);
    EXPECT_EQ(view.interval, 1000u);

    // A connection attempt ending in the background connects.
    connection.available = false;
    connection.events.opened = true;
    connection.events.openResult = simlink::ResultOk;
    EXPECT_TRUE(logic.LinkAnswered());
    EXPECT_TRUE(state.SimConnected);
    EXPECT_EQ(view.interval, 10u);
}

TEST_F(MainLogicTest, NewTitlesBindToDefaultAndKnownOnesSelectTheirProfile) {
    store.SetFileText(kIni, "[Profiles]\nHeavy= \n[Aircrafts]\nBoeing 737=Heavy\n");
    config.LoadProfilesList();
    config.LoadAircraftsList();
    logic.FillProfileList();
    Connect();

    logic.Tick();  // empty title: never a change
    EXPECT_TRUE(state.LastAircraft.empty());
    const int reloads = radio.reloads;

    Title("Cessna 172");
    logic.Tick();
    EXPECT_EQ(state.LastAircraft, "Cessna 172");
    EXPECT_EQ(config.CurrentProfile, "Default");
    EXPECT_EQ(config.GetAircraftProfile("Cessna 172"), "Default");
    EXPECT_NE(store.FileText(kIni).find("Cessna 172=Default"), std::string::npos) << "saved at once";
    EXPECT_EQ(radio.reloads, reloads + 1);
    EXPECT_EQ(view.status[3], "Aircraft in use: Cessna 172");

    logic.Tick();  // the same title: nothing but refreshes
    EXPECT_EQ(radio.reloads, reloads + 1);

    Title("Boeing 737");
    logic.Tick();
    EXPECT_EQ(config.CurrentProfile, "Heavy");
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(view.dialogs, 0);

    Title("BOEING 737");  // another aircraft, reported as such
    logic.Tick();
    EXPECT_EQ(state.LastAircraft, "BOEING 737");
    EXPECT_EQ(radio.reloads, reloads + 3);
}

TEST_F(MainLogicTest, ManualProfileAsksOnceEvenWhenTicksRunDuringTheDialog) {
    config.Setup().ManualProfile(true);
    config.AddProfile("Chosen");
    logic.FillProfileList();
    Connect();
    Title("Dash 8");
    view.duringDialog = [&] {
        EXPECT_TRUE(state.DialogOpen);
        logic.Tick();  // the poll loop keeps running while the dialog is open
        logic.Tick();
    };
    logic.Tick();
    EXPECT_EQ(view.dialogs, 1);
    EXPECT_FALSE(state.DialogOpen);
    EXPECT_EQ(state.ChosenProfile, "Chosen");
    EXPECT_EQ(config.CurrentProfile, "Chosen");
    EXPECT_EQ(config.GetAircraftProfile("Dash 8"), "Chosen");

    // A dialog closed without a choice binds the aircraft to "Default".
    view.chosen.clear();
    view.duringDialog = nullptr;
    Title("Dash 7");
    logic.Tick();
    EXPECT_EQ(config.GetAircraftProfile("Dash 7"), "Default");
}

TEST_F(MainLogicTest, LosingTheSimulatorBlanksPanelsAndReconnectKeepsTheAircraft) {
    Connect();
    Title("Cessna 172");
    logic.Tick();
    const int reloads = radio.reloads;

    link.processFails = true;
    logic.Tick();
    EXPECT_FALSE(state.SimConnected);
    EXPECT_EQ(view.interval, 1000u);
    EXPECT_FALSE(view.trayConnected);
    EXPECT_EQ(view.status[0], "FSUIPC Status: Disconnected");
    EXPECT_EQ(view.status[1], "FSUIPC Version:");
    EXPECT_EQ(view.status[2], "Flight Simulator Version:");
    EXPECT_EQ(view.status[3], "Aircraft in use:");
    EXPECT_EQ(radio.lost, 1);
    EXPECT_EQ(multi.lost, 1);
    EXPECT_EQ(connection.closes, 1);
    EXPECT_EQ(connection.resets, 2);
    EXPECT_FALSE(view.unloaded);
    EXPECT_EQ(state.LastAircraft, "Cessna 172") << "survives the disconnection";

    link.processFails = false;
    Connect();
    logic.Tick();
    EXPECT_EQ(radio.reloads, reloads) << "the same aircraft after reconnecting is no change";
    EXPECT_EQ(view.status[3], "Aircraft in use: Cessna 172");
}

TEST_F(MainLogicTest, AutoQuitEndsTheProgramWhenTheSimulatorCloses) {
    config.Setup().AutoQuit(true);
    Connect();
    link.processFails = true;
    logic.Tick();
    EXPECT_TRUE(view.unloaded);
    EXPECT_EQ(radio.lost, 1);
}

TEST_F(MainLogicTest, ACloseAskedForDuringNestedDialogsWaitsForTheOutermost) {
    logic.RunModal([&] {
        logic.RunModal([&] { state.CloseRequested = true; });
        EXPECT_TRUE(state.DialogOpen) << "the outer dialog is still shown";
        EXPECT_FALSE(view.unloaded);
    });
    EXPECT_FALSE(state.DialogOpen);
    EXPECT_TRUE(view.unloaded);
    EXPECT_FALSE(state.CloseRequested);

    view.unloaded = false;
    logic.RunModal([] {});
    EXPECT_FALSE(view.unloaded) << "no close was asked for";
}

TEST_F(MainLogicTest, ProfileDialogAndSetupRequestsReloadThePanels) {
    store.SetFileText(kIni, "[Profiles]\nHeavy= \n[Aircrafts]\nBoeing 737=Heavy\n");
    config.LoadProfilesList();
    config.LoadAircraftsList();
    state.LastAircraft = "Boeing 737";
    logic.AfterProfilesDialog();
    EXPECT_EQ(view.list, (std::vector<std::string>{"Heavy", "Default"}));
    EXPECT_EQ(config.CurrentProfile, "Heavy");
    EXPECT_EQ(view.selected, 0);

    store.SetFileText(kFolder + "\\Heavy.ini", "[Common]\nSpecialMode=NGX\n");
    logic.ProfileSelected("Heavy");
    EXPECT_EQ(config.SpecialMode, 2);

    const int reloads = multi.reloads;
    logic.SetupRequested(multi);
    EXPECT_EQ(multi.setups, 1);
    EXPECT_EQ(multi.reloads, reloads + 1);
    EXPECT_EQ(state.SetupPanelIndex, 1);
    EXPECT_FALSE(state.DialogOpen);
    EXPECT_EQ(radio.setups, 0);
}

TEST_F(MainLogicTest, TheMultiPanelsDialogAppliesEveryRadioPanelsSetupAgain) {
    FakePanel radio2{PanelKindId::Radio, 2}, switchPanel{PanelKindId::Switch, 1};
    logic.SetPanels({&radio, &multi, &radio2, &switchPanel});
    const int reloads = radio.reloads;
    logic.SetupRequested(multi);
    EXPECT_EQ(radio.applied, 1);
    EXPECT_EQ(radio2.applied, 1);
    EXPECT_EQ(switchPanel.applied, 0);
    EXPECT_EQ(radio.reloads, reloads) << "applied as it is, not reloaded";
    logic.SetupRequested(switchPanel);
    logic.SetupRequested(radio2);
    EXPECT_EQ(radio.applied, 1) << "only after the Multi Panel's dialog";
}

// Raising a panel's positions lets messages run; a panel that comes back
// meanwhile gives the logic a new list. The walk goes on over the new list
// (the old one is gone) and every panel gets its positions.
TEST_F(MainLogicTest, APanelThatReturnsWhilePositionsAreRaisedReplacesTheListSafely) {
    FakePanel back{PanelKindId::Radio, 2};
    std::vector<IPanel*> longer;
    for (int i = 0; i < 64; ++i) longer.push_back(&multi);
    bool replaced = false;
    radio.onPositions = [&] {
        if (replaced) return;
        replaced = true;
        std::vector<IPanel*> next{&radio, &back};
        next.insert(next.end(), longer.begin(), longer.end());
        logic.SetPanels(std::move(next));
    };
    Connect();
    ASSERT_TRUE(state.SimConnected);
    EXPECT_GE(radio.positions, 1);
    EXPECT_EQ(back.positions, 1);
    EXPECT_GE(multi.positions, 64);
}

TEST(MainLogicNames, SimulatorNamesAndVersionText) {
    EXPECT_EQ(cMainLogic::SimulatorName(0), "Any");
    EXPECT_EQ(cMainLogic::SimulatorName(10), "P3D");
    EXPECT_EQ(cMainLogic::SimulatorName(11), "FSX64");
    EXPECT_EQ(cMainLogic::SimulatorName(12), "P3D64");
    EXPECT_EQ(cMainLogic::SimulatorName(13), "MSFS");
    EXPECT_EQ(cMainLogic::SimulatorName(14), "14") << "no name: the number";
    EXPECT_EQ(cMainLogic::SimulatorName(-1), "-1");
    EXPECT_EQ(cMainLogic::FsuipcVersionText(4974, 2, ','), "4,9742");
    // FSUIPC 5, 6 and 7: the upper digit is the major version, the minor one keeps its three digits.
    EXPECT_EQ(cMainLogic::FsuipcVersionText(3000, 0, '.'), "3.0000");
    EXPECT_EQ(cMainLogic::FsuipcVersionText(5151, 0, '.'), "5.1510");
    EXPECT_EQ(cMainLogic::FsuipcVersionText(6100, 0, ','), "6,1000");
    EXPECT_EQ(cMainLogic::FsuipcVersionText(7040, 0, '.'), "7.0400");
}

} // namespace
} // namespace orvex::app
