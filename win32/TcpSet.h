#pragma once
// The settings dialog of one module, in Win32: renders the dialog model (TcpSetModel) and
// forwards the user's keys, edits and picks to it.

#include "TcpSetModel.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <optional>

class DialogOpening;
class MessagePresenter;

// Backgrounds of the edit fields, in the system's colours.
COLORREF backgroundColour(FieldBackground background);

class TTcpSetFrm
{
public:
    // Reads the module, shows the dialog modally over owner and writes on OK. True exactly
    // when a write succeeded; then entry.Ip holds the address written. False after a failed
    // read (reported as "读取TCP模块参数失败!") or when the user cancelled. Errors raised
    // while reading pass to the caller; errors raised while writing are shown and the
    // dialog stays open.
    static bool EditDevice(TModelParm& entry, MessagePresenter& presenter, HWND owner,
                           ConfigAccess access = moduleAccess());

    // The one existing dialog, or nullptr.
    static TTcpSetFrm* instance();

    ~TTcpSetFrm();
    TTcpSetFrm(const TTcpSetFrm&) = delete;
    TTcpSetFrm& operator=(const TTcpSetFrm&) = delete;

    // The window and its controls, as the form lays them out. The controls of a page are
    // children of the page (ts1, ts2), which lies over pgc1's display area.
    HWND handle = nullptr;
    HWND pgc1 = nullptr;
    HWND ts1 = nullptr;
    HWND ts2 = nullptr;
    HWND pnl1 = nullptr;
    HWND btn3 = nullptr;
    HWND btn4 = nullptr;
    // The controls and their labels by ControlId.
    std::array<HWND, kControlCount> controls{};
    std::array<HWND, kControlCount> labels{};

    // The entry being edited; the main window's row owns it.
    TModelParm* EditedEntry = nullptr;

private:
    TTcpSetFrm(MessagePresenter& presenter, ConfigAccess access);

    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK pageKeyHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK filterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);

    // The form (TcpSet_form.cpp).
    void buildForm();
    void buildPanel();
    void applyDpi();
    void placeMembers();
    void showPage(DialogPage page);
    HBRUSH fieldBrush(HWND control, HDC dc) const;

    // Shows what the model says of every control.
    void render();
    std::optional<ControlId> controlOf(HWND window) const;
    void onEditChange(ControlId id);
    void onCommand(WORD id, WORD code, HWND control);

    void FormCreate();
    void FormClose(INT_PTR result);
    void FormDestroy();
    void btn3Click();
    void cbb2Change(int position);
    bool edt4KeyPress(ControlId id, wchar_t key) const;
    bool edt5KeyPress(wchar_t key) const;

    bool LoadConfig(const TModelParm& entry);

    MessagePresenter& m_presenter;
    ConfigAccess m_access;
    std::optional<TcpSetModel> m_model; // made once the window exists: it owns the messages
    DialogOpening* m_opening = nullptr; // the EditDevice that shows the dialog
    HFONT m_font = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    HIMAGELIST m_images[2]{};
    bool m_rendering = false;   // texts set by render() are no user edits
    HHOOK m_pageKeys = nullptr; // Ctrl+Tab, Ctrl+Shift+Tab
};
