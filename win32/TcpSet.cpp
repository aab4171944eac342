#include "TcpSet.h"

#include "DialogOpening.h"
#include "FormLook.h"
#include "MessageBoxPresenter.h"
#include "TextChange.h"

#include <commctrl.h>

namespace {

TTcpSetFrm* s_instance = nullptr; // the one existing dialog

// Reports a refused paste once the edit's change is over.
constexpr UINT kReportTooLong = WM_APP + 1;

// An empty dialog template: the form builds its controls itself, in pixels.
struct alignas(DWORD) EmptyDialogTemplate
{
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

} // namespace

TTcpSetFrm* TTcpSetFrm::instance()
{
    return s_instance;
}

TTcpSetFrm::TTcpSetFrm(MessagePresenter& presenter, ConfigAccess access)
    : m_presenter(presenter), m_access(whileGuarded<BusyCursor>(std::move(access)))
{
}

TTcpSetFrm::~TTcpSetFrm()
{
    FormDestroy();
    if (m_pageKeys != nullptr)
        UnhookWindowsHookEx(m_pageKeys);
    // The window and its buttons are gone by now.
    for (HIMAGELIST images : m_images) {
        if (images != nullptr)
            ImageList_Destroy(images);
    }
    if (m_font != nullptr)
        DeleteObject(m_font);
}

bool TTcpSetFrm::EditDevice(TModelParm& entry, MessagePresenter& presenter, HWND owner, ConfigAccess access)
{
    DialogOpening opening;
    if (!opening.begin())
        return false;
    // Created for each opening, destroyed as it closes: no control keeps an earlier value.
    TTcpSetFrm dialog(presenter, std::move(access));
    s_instance = &dialog;
    dialog.EditedEntry = &entry;
    dialog.m_opening = &opening;
    EmptyDialogTemplate form{};
    // An ordinary resizable frame, topmost; the dialog's controls take part in Tab.
    form.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME;
    form.header.dwExtendedStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &form.header, owner, &TTcpSetFrm::dialogProc,
                                reinterpret_cast<LPARAM>(&dialog));
    return opening.end(result == IDOK);
}

void TTcpSetFrm::FormCreate()
{
    showPage(DialogPage::Network);
}

void TTcpSetFrm::FormClose(INT_PTR result)
{
    EndDialog(handle, result);
}

void TTcpSetFrm::FormDestroy()
{
    if (s_instance == this)
        s_instance = nullptr;
}

bool TTcpSetFrm::LoadConfig(const TModelParm& entry)
{
    if (!m_model->LoadConfig(entry))
        return false;
    render();
    return true;
}

void TTcpSetFrm::render()
{
    m_rendering = true;
    for (const ControlSpec& spec : controlTable()) {
        const ControlView view = m_model->controlView(spec.id);
        HWND control = controls[controlIndex(spec.id)];
        EnableWindow(control, view.enabled);
        if (spec.kind == ControlKind::List) {
            SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(view.position), 0);
            continue;
        }
        if (windowTextUtf8(control) != view.text)
            SetWindowTextW(control, wide(view.text).c_str());
        SendMessageW(control, EM_SETREADONLY, view.readOnly, 0);
        InvalidateRect(control, nullptr, TRUE);
    }
    m_rendering = false;
}

std::optional<ControlId> TTcpSetFrm::controlOf(HWND window) const
{
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i] == window)
            return static_cast<ControlId>(i);
    }
    return std::nullopt;
}

void TTcpSetFrm::onEditChange(ControlId id)
{
    if (m_rendering)
        return;
    HWND control = controls[controlIndex(id)];
    const std::string oldText = m_model->controlView(id).text;
    const std::string newText = windowTextUtf8(control);
    const EditVerdict verdict = m_model->judgeEdit(id, oldText, newText);
    if (verdict == EditVerdict::Accept) {
        m_model->setText(id, newText);
        return;
    }
    // Refused: only the inserted part is put back as it was (a replaced selection too), and
    // the caret stays where the insertion began.
    const std::wstring before = wide(oldText);
    const TextChange change = changeBetween<wchar_t>(before, wide(newText));
    const std::wstring removed = before.substr(change.at, change.removed);
    m_rendering = true;
    SendMessageW(control, EM_SETSEL, change.at, static_cast<LPARAM>(change.at + change.inserted));
    SendMessageW(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(removed.c_str()));
    SendMessageW(control, EM_SETSEL, change.at, static_cast<LPARAM>(change.at));
    m_rendering = false;
    if (verdict == EditVerdict::RefuseAndReport)
        PostMessageW(handle, kReportTooLong, controlIndex(id), 0);
}

void TTcpSetFrm::btn3Click()
{
    if (EditedEntry == nullptr)
        return;
    const ConfirmResult result = m_model->btn3Click(*EditedEntry);
    if (result.closesDialog()) {
        FormClose(IDOK);
    } else if (const std::optional<ControlId> field = result.fieldToShow()) {
        showPage(controlSpec(*field).page);
        SendMessageW(handle, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(controls[controlIndex(*field)]), TRUE);
    }
}

void TTcpSetFrm::cbb2Change(int position)
{
    m_model->pick(ControlId::cbb2, position);
    render();
}

bool TTcpSetFrm::edt4KeyPress(ControlId id, wchar_t key) const
{
    return m_model->acceptsChar(id, key);
}

bool TTcpSetFrm::edt5KeyPress(wchar_t key) const
{
    return m_model->acceptsChar(ControlId::edt5, key);
}

void TTcpSetFrm::onCommand(WORD id, WORD code, HWND control)
{
    if (id == IDOK && (code == BN_CLICKED || control == nullptr)) {
        btn3Click(); // the button, Alt+O or Enter
        return;
    }
    if (id == IDCANCEL) {
        FormClose(IDCANCEL); // the button, Alt+C, Esc or the close box
        return;
    }
    const std::optional<ControlId> controlId = controlOf(control);
    if (!controlId)
        return;
    if (code == EN_CHANGE) {
        onEditChange(*controlId);
    } else if (code == CBN_SELENDOK || code == CBN_CLOSEUP ||
               (code == CBN_SELCHANGE && SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) == FALSE)) {
        // The final pick only: moving over the items of the open list is no choice yet
        // (passing over "服务器" must not give up a change of the target fields).
        const auto position = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        if (position == m_model->controlView(*controlId).position)
            return;
        if (*controlId == ControlId::cbb2)
            cbb2Change(position);
        else
            m_model->pick(*controlId, position);
    }
}

LRESULT CALLBACK TTcpSetFrm::filterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data)
{
    if (message == WM_CHAR) {
        const auto* form = reinterpret_cast<const TTcpSetFrm*>(data);
        const auto control = static_cast<ControlId>(id);
        const auto key = static_cast<wchar_t>(wParam);
        const bool accepted =
            control == ControlId::edt5 ? form->edt5KeyPress(key) : form->edt4KeyPress(control, key);
        if (!accepted)
            return 0;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

LRESULT CALLBACK TTcpSetFrm::pageKeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    // The dialog's own message loop hands each message here first: Ctrl+Tab and
    // Ctrl+Shift+Tab change the page, as in Windows' property sheets.
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    TTcpSetFrm* form = s_instance;
    if (code == MSGF_DIALOGBOX && form != nullptr && message->message == WM_KEYDOWN &&
        message->wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) != 0 &&
        GetAncestor(message->hwnd, GA_ROOT) == form->handle) {
        const DialogPage shown = IsWindowVisible(form->ts1) ? DialogPage::Network : DialogPage::Serial;
        const DialogPage next = shown == DialogPage::Network ? DialogPage::Serial : DialogPage::Network;
        form->showPage(next);
        HWND page = next == DialogPage::Network ? form->ts1 : form->ts2;
        SendMessageW(form->handle, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetNextDlgTabItem(page, nullptr, FALSE)), TRUE);
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK TTcpSetFrm::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<TTcpSetFrm*>(lParam);
        form->handle = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    }
    auto* form = reinterpret_cast<TTcpSetFrm*>(GetWindowLongPtrW(window, DWLP_USER));
    if (form == nullptr)
        return FALSE;
    INT_PTR result = FALSE;
    // No exception may cross the dialog's message loop.
    runGuarded(form->m_presenter, ownerHandle(window),
               [&] { result = form->handleMessage(message, wParam, lParam); });
    return result;
}

INT_PTR TTcpSetFrm::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        m_model.emplace(m_presenter, ownerHandle(handle), m_access);
        keepOwnDialogLayout(handle);
        m_dpi = windowDpi(handle);
        m_pageKeys = SetWindowsHookExW(WH_MSGFILTER, &TTcpSetFrm::pageKeyHook, nullptr, GetCurrentThreadId());
        buildForm();
        applyDpi();
        placeCentred(handle, kDialogClientWidth, kDialogClientHeight);
        render();
        FormCreate();
        // Read while hidden; a dialog ended here is never shown.
        if (!m_opening->load([this] { return LoadConfig(*EditedEntry); })) {
            FormClose(IDCANCEL);
            return TRUE;
        }
        SendMessageW(handle, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(controls[0]), TRUE);
        return FALSE;
    }
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == pgc1 && header->code == TCN_SELCHANGE)
            showPage(TabCtrl_GetCurSel(pgc1) == 0 ? DialogPage::Network : DialogPage::Serial);
        return TRUE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            fieldBrush(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    case kReportTooLong:
        m_model->reportTooLong(static_cast<ControlId>(wParam));
        return TRUE;
    case WM_SIZE:
        placeMembers();
        return TRUE;
    case WM_DPICHANGED:
        acceptDpiChange(handle, wParam, lParam, m_dpi);
        applyDpi();
        return TRUE;
    default:
        return FALSE;
    }
}
