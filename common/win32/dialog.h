// A small base for the program's dialogs, which are resource dialogs
// (DIALOGEX templates with DS_SHELLFONT, so they get the system's message
// font and the system's scaling). One dialog procedure hands every message
// to a member function of the C++ object behind the dialog; nothing thrown
// there leaves it.
//
// Modal use:   MyDialog d(...); if (d.ShowModal(owner) == IDOK) ...
// Tests drive the same dialog modeless (Create), through its controls.
#pragma once

#include <windows.h>

#include <string>

namespace orvex::win32 {

class Dialog {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Runs the dialog modally; the value given to End (IDOK, IDCANCEL...),
    // or -1 when it could not be created.
    INT_PTR ShowModal(HWND owner);
    // Creates it modeless and visible (tests; tool windows). False on failure.
    bool Create(HWND owner);
    // Ends the dialog: a modal one returns `result` from ShowModal, a
    // modeless one is destroyed.
    void End(INT_PTR result);
    // The value End was given (IDCANCEL until then).
    INT_PTR Result() const { return result_; }
    bool Ended() const { return ended_; }

    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void ItemText(int id, const std::string& text) const;
    bool Checked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void Check(int id, bool checked) const { ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    void Enable(int id, bool enabled) const { ::EnableWindow(Item(id), enabled ? TRUE : FALSE); }
    void Show(int id, bool visible) const { ::ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); }
    // A click on a button, as the user would give it (BN_CLICKED to the
    // dialog), for tests and for buttons that act for each other.
    void Click(int id) const;

    // The resource module the templates are taken from (the executable).
    static HINSTANCE Module();

protected:
    // WM_INITDIALOG. Return false when the dialog set the focus itself.
    virtual bool OnInit() { return true; }
    // WM_COMMAND. The default ends the dialog with IDOK / IDCANCEL for those
    // two identifiers (Enter and Escape).
    virtual void OnCommand(int id, int code, HWND control);
    // WM_NOTIFY; the result goes back to the control.
    virtual INT_PTR OnNotify(const NMHDR& header) {
        (void)header;
        return 0;
    }
    // Called when the dialog is about to go (WM_DESTROY).
    virtual void OnDestroy() {}
    // Every other message. Return true when handled, with `result` set.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Sets the result of a message for the dialog manager (DWLP_MSGRESULT).
    void MessageResult(LRESULT value) const { ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, value); }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = IDCANCEL;
};

} // namespace orvex::win32
