// The profile dialogs: the profile manager frmProfilesSetup (profiles with
// their special mode, aircraft with their profile), the name prompt
// frmProfileName, the aircraft binding dialog frmAircraftProfile and the
// import wizard frmProfileImport. Each is a resource dialog shown modally
// (ShowModal) by its creator, or modeless (Create) by the tests. Each keeps
// its window position in the general setup, sets DialogOpen while it is
// shown, and shows its messages through IUserMessages.
//
// Templates are in profile_dialogs.rc: an executable that shows these
// dialogs adds ${ORVEX_DIALOGS_RC} to its sources.
#pragma once

#include "app/program_state.h"
#include "common/place_window.h"
#include "common/win32/dialog.h"
#include "config/configuration.h"
#include "config/profile_operations.h"
#include "config/setup_holder.h"
#include "config/user_messages.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace orvex::config::win32 {

// What every profile dialog shares: the model, the messages, the program
// state, the monitors and the pair of position keys.
class ProfileDialogBase : public orvex::win32::Dialog {
public:
    ProfileDialogBase(int templateId, cConfiguration& configuration, IUserMessages& messages,
                      app::ProgramState& state, const MonitorList& monitors, cSetupHolder::Item topKey,
                      cSetupHolder::Item leftKey);
    // Destroys a dialog still shown modeless here, where the position can
    // still be stored.
    ~ProfileDialogBase() override;

protected:
    // Restores the position and sets DialogOpen; derived classes call it first.
    bool OnInit() override;
    // Stores the position and gives DialogOpen back its value.
    void OnDestroy() override;

    // A message with the title "  ORVEX".
    void Tell(const std::string& text, bool critical) const;
    void Tell(const ProfileMessage& message) const;

    cConfiguration& config_;
    IUserMessages& messages_;
    app::ProgramState& state_;
    const MonitorList& monitors_;

private:
    cSetupHolder::Item topKey_, leftKey_;
    bool dialogOpenBefore_ = false;
};

// The name prompt. OK with a valid new name (or an empty one) closes with
// IDOK and NewProfileName() holds it; Cancel leaves it "".
class frmProfileName final : public ProfileDialogBase {
public:
    frmProfileName(cConfiguration& configuration, IUserMessages& messages, app::ProgramState& state,
                   const MonitorList& monitors);
    const std::string& NewProfileName() const { return newProfileName_; }

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    std::string newProfileName_;
};

// The aircraft binding dialog for state.NewAircraftTitle, kept above every
// other window. OK with a listed or a new valid profile name sets
// state.ChosenProfile (a new name is added to colProfiles; the caller saves
// the lists); Cancel leaves ChosenProfile "".
class frmAircraftProfile final : public ProfileDialogBase {
public:
    frmAircraftProfile(cConfiguration& configuration, IUserMessages& messages, app::ProgramState& state,
                       const MonitorList& monitors);
    // True when OK added the chosen profile to colProfiles.
    bool ProfileAdded() const { return profileAdded_; }

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    bool profileAdded_ = false;
};

// The import wizard: the source profile, then the sections, then the
// confirmation; the sections chosen replace those of the target profile.
class frmProfileImport final : public ProfileDialogBase {
public:
    frmProfileImport(cConfiguration& configuration, IUserMessages& messages, app::ProgramState& state,
                     const MonitorList& monitors, std::string targetProfile);
    // 0 source, 1 sections, 2 confirmation.
    int Page() const { return page_; }

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;

private:
    void ShowPage(int page);
    void Advance();
    std::vector<std::string> CheckedSections() const;

    std::string target_;
    std::string source_;
    std::vector<std::string> sections_;
    int page_ = 0;
};

// The profile manager.
class frmProfilesSetup final : public ProfileDialogBase {
public:
    frmProfilesSetup(cConfiguration& configuration, IUserMessages& messages, app::ProgramState& state,
                     const MonitorList& monitors);
    ~frmProfilesSetup() override;

    // A control of either page or of the dialog itself (for tests).
    HWND Control(int id) const;
    // The page shown: 0 profiles, 1 aircraft.
    int CurrentPage() const;
    void SelectPage(int page);

protected:
    bool OnInit() override;
    void OnCommand(int id, int code, HWND control) override;
    INT_PTR OnNotify(const NMHDR& header) override;

private:
    class Page;

    void PageCommand(int id, int code);
    void FillLists();
    std::string SelectedProfile() const;
    std::string SelectedAircraft() const;
    void ShowSpecialMode();
    void SpecialModeClicked(int mode);
    void NewProfile();
    void DeleteProfile();
    void ImportProfile();
    void ShowAircraftProfile();
    void ChangeAircraftProfile();
    void LayoutPages();

    std::unique_ptr<Page> profilesPage_;
    std::unique_ptr<Page> aircraftsPage_;
};

} // namespace orvex::config::win32
