#include "mainSrc.h"

#include "DialogTexts.h"
#include "MessageBoxPresenter.h"
#include "TcpIpForm.h"
#include "TcpSet.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

namespace {

constexpr wchar_t kWindowClass[] = L"TTcpIpFrm";

// A button's id is its position in mainButtonTable() after the list's.
constexpr WORD kListId = 100;
constexpr WORD kFirstButtonId = 101;

void setItemText(HWND list, int row, int column, const std::string& utf8Text)
{
    std::wstring text = wide(utf8Text);
    ListView_SetItemText(list, row, column, text.data());
}

void moveTo(HWND window, const FormRect& bounds, int left, int top, UINT dpi)
{
    MoveWindow(window, scaled(left + bounds.left, dpi), scaled(top + bounds.top, dpi),
               scaled(bounds.width, dpi), scaled(bounds.height, dpi), TRUE);
}

} // namespace

TTcpIpFrm::TTcpIpFrm(MessagePresenter& presenter)
    : m_model(
          view(), presenter,
          [this, &presenter](TModelParm& entry) { return TTcpSetFrm::EditDevice(entry, presenter, handle); }),
      idpclnt1(m_model.idpclnt1)
{
}

TTcpIpFrm::~TTcpIpFrm()
{
    if (handle != nullptr)
        DestroyWindow(handle);
    if (m_font != nullptr)
        DeleteObject(m_font);
}

HWND TTcpIpFrm::create(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TTcpIpFrm::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1)); // tcpmodcfg.rc
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    if (CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, wide(texts::kApplicationTitle).c_str(),
                        WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        nullptr, nullptr, instance, this) == nullptr)
        return nullptr;
    m_dpi = windowDpi(handle);
    createMembers();
    placeCentred(handle, kMainClientWidth, kMainClientHeight);
    applyDpi();
    FormCreate();
    return handle;
}

void TTcpIpFrm::createMembers()
{
    // Creation order is the tab order: lv1, btn1, btn2, btn3.
    grp1 = createChild(handle, WC_BUTTONW, texts::kDeviceGroup, WS_VISIBLE | BS_GROUPBOX);
    lv1 = createChild(handle, WC_LISTVIEWW, "",
                      WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                          LVS_NOSORTHEADER,
                      WS_EX_CLIENTEDGE, kListId);
    ListView_SetExtendedListViewStyle(lv1, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (int column = 0; column < 2; ++column) {
        const ColumnSpec& spec = columnTable()[column];
        std::wstring caption = wide(spec.caption);
        LVCOLUMNW item{};
        item.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        item.fmt = spec.align == ColumnAlign::Centre ? LVCFMT_CENTER : LVCFMT_LEFT;
        item.cx = spec.width;
        item.pszText = caption.data();
        item.iSubItem = column;
        ListView_InsertColumn(lv1, column, &item);
    }
    // Lowered outer and raised inner bevel: an etched edge.
    pnl1 = createChild(handle, WC_STATICW, "", WS_VISIBLE | SS_ETCHEDFRAME);
    std::array<HWND*, 3> buttons{&btn1, &btn2, &btn3};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        *buttons[i] =
            createChild(handle, WC_BUTTONW, mainButtonTable()[i].caption,
                        WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, static_cast<WORD>(kFirstButtonId + i));
    m_lastFocus = lv1;
}

void TTcpIpFrm::applyDpi()
{
    HFONT font = createFormFont(m_dpi);
    for (HWND member : {grp1, lv1, pnl1, btn1, btn2, btn3})
        setFont(member, font);
    if (m_font != nullptr)
        DeleteObject(m_font);
    m_font = font;
    for (int column = 0; column < 2; ++column)
        ListView_SetColumnWidth(lv1, column, scaled(columnTable()[column].width, m_dpi));
    placeMembers();
}

void TTcpIpFrm::placeMembers()
{
    RECT client{};
    GetClientRect(handle, &client);
    // The layout at the form's height; the group and the panel fill the client height exactly
    // and the list keeps the form's margin below it.
    const int formHeight = MulDiv(client.bottom, USER_DEFAULT_SCREEN_DPI, static_cast<int>(m_dpi));
    const MainLayout layout = mainLayout(formHeight);
    MoveWindow(grp1, 0, 0, scaled(layout.grp1.width, m_dpi), client.bottom, TRUE);
    MoveWindow(
        lv1, scaled(layout.lv1.left, m_dpi), scaled(layout.lv1.top, m_dpi), scaled(layout.lv1.width, m_dpi),
        std::max(0, static_cast<int>(client.bottom) - scaled(layout.grp1.height - layout.lv1.height, m_dpi)),
        TRUE);
    MoveWindow(pnl1, scaled(layout.pnl1.left, m_dpi), 0, scaled(layout.pnl1.width, m_dpi), client.bottom,
               TRUE);
    const std::array<HWND, 3> buttons{btn1, btn2, btn3};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        moveTo(buttons[i], mainButtonTable()[i].bounds, layout.pnl1.left, 0, m_dpi);
}

void TTcpIpFrm::focusFirstRowIfNone()
{
    // As a list that gets the keyboard: the first row holds the focus, unselected, so that
    // Down goes to the second and "设置设备" opens the first.
    if (GetFocus() != lv1 || ListView_GetItemCount(lv1) == 0 ||
        ListView_GetNextItem(lv1, -1, LVNI_FOCUSED) >= 0)
        return;
    ListView_SetItemState(lv1, 0, LVIS_FOCUSED, LVIS_FOCUSED);
}

LRESULT TTcpIpFrm::drawRow(NMLVCUSTOMDRAW& draw) const
{
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && row < m_model.rowCount() &&
        m_model.rowView(row).sharedIp)
        draw.clrText = RGB(kSharedIpColour.red, kSharedIpColour.green, kSharedIpColour.blue);
    return CDRF_DODEFAULT;
}

void TTcpIpFrm::tipOfRow(NMLVGETINFOTIPW& tip) const
{
    const auto row = static_cast<std::size_t>(tip.iItem);
    if (row >= m_model.rowCount() || !m_model.rowView(row).sharedIp || tip.cchTextMax <= 0)
        return;
    // The tip replaces the clipped text the list would offer.
    const std::wstring text = wide(texts::kSharedIpHint);
    lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
}

TcpIpView TTcpIpFrm::view()
{
    TcpIpView view;
    view.showRows = [this](const std::vector<RowView>& rows) {
        ListView_DeleteAllItems(lv1);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            LVITEMW item{};
            item.iItem = static_cast<int>(i);
            const int row = ListView_InsertItem(lv1, &item);
            setItemText(lv1, row, 0, rows[i].ip);
            setItemText(lv1, row, 1, rows[i].mac);
        }
        focusFirstRowIfNone();
    };
    view.showRow = [this](std::size_t index, const RowView& row) {
        setItemText(lv1, static_cast<int>(index), 0, row.ip);
        setItemText(lv1, static_cast<int>(index), 1, row.mac);
    };
    view.enableSearchButtons = [this](bool enabled) {
        EnableWindow(btn1, enabled);
        EnableWindow(btn2, enabled);
    };
    view.focusedRow = [this]() -> std::optional<std::size_t> {
        const int row = ListView_GetNextItem(lv1, -1, LVNI_FOCUSED);
        return row >= 0 ? std::optional<std::size_t>(row) : std::nullopt;
    };
    view.focusedControl = []() -> WindowHandle { return GetFocus(); };
    view.restoreFocus = [this](WindowHandle control) {
        auto* window = static_cast<HWND>(control);
        if (window != nullptr && IsChild(handle, window) && IsWindowEnabled(window))
            SetFocus(window);
    };
    // No message is handled during a search, so nothing resets the cursor meanwhile.
    view.setBusy = [this](bool busy) {
        if (busy)
            m_busy.emplace();
        else
            m_busy.reset();
    };
    view.closeWindow = [this] { SendMessageW(handle, WM_CLOSE, 0, 0); };
    view.ownerWindow = [this] { return ownerHandle(handle); };
    return view;
}

void TTcpIpFrm::onCommand(WORD id)
{
    switch (id) {
    case kFirstButtonId:
        btn1Click();
        return;
    case kFirstButtonId + 1:
        btn2Click();
        return;
    case kFirstButtonId + 2:
        btn3Click();
        return;
    case IDOK:
        // Enter: a plain window has no default button; it presses the focused one.
        if (const HWND focused = GetFocus(); focused == btn1 || focused == btn2 || focused == btn3)
            SendMessageW(focused, BM_CLICK, 0, 0);
        return;
    default:
        return;
    }
}

LRESULT CALLBACK TTcpIpFrm::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TTcpIpFrm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->handle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TTcpIpFrm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    return form->handleMessage(message, wParam, lParam);
}

LRESULT TTcpIpFrm::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            onCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom != lv1)
            return 0;
        if (header->code == NM_DBLCLK)
            btn2Click(); // anywhere in the list, also below the last row
        else if (header->code == NM_SETFOCUS)
            focusFirstRowIfNone();
        else if (header->code == NM_CUSTOMDRAW)
            return drawRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        else if (header->code == LVN_GETINFOTIPW)
            tipOfRow(*reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (const HWND focused = GetFocus(); focused != nullptr && IsChild(handle, focused))
                m_lastFocus = focused;
        } else if (m_lastFocus != nullptr && IsWindowEnabled(m_lastFocus)) {
            SetFocus(m_lastFocus);
            return 0;
        }
        break;
    case WM_SIZE:
        placeMembers();
        return 0;
    case WM_DPICHANGED:
        acceptDpiChange(handle, wParam, lParam, m_dpi);
        applyDpi();
        return 0;
    case WM_DESTROY:
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        handle = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(handle, message, wParam, lParam);
}
