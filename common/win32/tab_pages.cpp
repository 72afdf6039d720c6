#include "common/win32/tab_pages.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <string>

namespace orvex::win32 {

namespace {

// What the page's controls report goes to the dialog above it; the answer
// to a notification comes back the same way.
INT_PTR CALLBACK PageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;  // the dialog above decides where the focus goes
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL: {
        const LRESULT result = ::SendMessageA(::GetParent(page), message, wParam, lParam);
        ::SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

HWND CreateTabPage(HINSTANCE module, int templateId, HWND tab) {
    HWND parent = ::GetParent(tab);
    HWND page = ::CreateDialogParamA(module, MAKEINTRESOURCEA(templateId), parent, &PageProcedure, 0);
    if (!page) return nullptr;
    ::EnableThemeDialogTexture(page, ETDT_ENABLETAB);
    // The page covers the tab's display area and follows the tab strip in
    // the tab order; the strip does not paint over it (WS_CLIPSIBLINGS).
    RECT area{};
    ::GetWindowRect(tab, &area);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    ::SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    ::SetWindowPos(page, tab, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOACTIVATE);
    return page;
}

void ChainTabOrder(HWND const* pages, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i)
        if (pages[i] && pages[i - 1])
            ::SetWindowPos(pages[i], pages[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ShowTabPage(HWND const* pages, std::size_t count, std::size_t shown) {
    for (std::size_t i = 0; i < count; ++i)
        if (pages[i]) ::ShowWindow(pages[i], i == shown ? SW_SHOW : SW_HIDE);
}

void AddTabs(HWND tab, const char* const* names, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::string text = names[i];
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

int CurrentTab(HWND tab) { return static_cast<int>(::SendMessageA(tab, TCM_GETCURSEL, 0, 0)); }

void CheckOption(HWND parent, int firstId, int count, int value) {
    for (int i = 0; i < count; ++i)
        ::CheckDlgButton(parent, firstId + i, i == value ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace orvex::win32
