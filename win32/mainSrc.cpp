#include "mainSrc.h"

#include "DeviceText.h"
#include "DialogTexts.h"
#include "Discovery.h"
#include "FormLook.h"
#include "MessageBoxPresenter.h"
#include "TcpSet.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr wchar_t kWindowClass[] = L"TTcpIpFrm";
// Client area of the 506 x 461 window (a classic frame takes 8 x 27 pixels).
constexpr int kClientWidth = 498;
constexpr int kClientHeight = 434;
constexpr int kGroupWidth = 393;
constexpr int kPanelWidth = 104;
constexpr int kColumnWidth = 100;

enum ControlIds : WORD
{
    kListId = 100,
    kSearchId,
    kEditId,
    kExitId,
};

struct ButtonPlace
{
    int left;
    int top;
};
constexpr ButtonPlace kSearchPlace{8, 16};
constexpr ButtonPlace kEditPlace{9, 48};
constexpr ButtonPlace kExitPlace{6, 400};
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;

HWND createChild(HWND parent, const wchar_t* windowClass, std::string_view caption, DWORD style,
                 DWORD exStyle, WORD id)
{
    return CreateWindowExW(exStyle, windowClass, wide(caption).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                           0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

void insertColumn(HWND list, int index, std::string_view caption, int format)
{
    std::wstring text = wide(caption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = kColumnWidth;
    column.pszText = text.data();
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

void setItemText(HWND list, int row, int column, const std::string& deviceBytes)
{
    std::wstring text = wide(textFromDevice(deviceBytes).text);
    ListView_SetItemText(list, row, column, text.data());
}

} // namespace

TTcpIpFrm::TTcpIpFrm(MessagePresenter& presenter)
    : m_presenter(presenter),
      m_editDevice([this](TModelParm& entry) { return TTcpSetFrm::EditDevice(entry, m_presenter, handle); })
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
    createMembers();
    ConfigureDiscoveryEndpoint(idpclnt1);
    placeCentred(handle, kClientWidth, kClientHeight);
    applyDpi();
    FormCreate();
    return handle;
}

void TTcpIpFrm::createMembers()
{
    // Creation order is the tab order: lv1, btn1, btn2, btn3.
    grp1 = createChild(handle, WC_BUTTONW, texts::kDeviceGroup, BS_GROUPBOX, 0, 0);
    lv1 = createChild(handle, WC_LISTVIEWW, "",
                      WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                      WS_EX_CLIENTEDGE, kListId);
    ListView_SetExtendedListViewStyle(lv1, LVS_EX_FULLROWSELECT);
    insertColumn(lv1, 0, texts::kIpColumn, LVCFMT_LEFT);
    insertColumn(lv1, 1, texts::kMacColumn, LVCFMT_CENTER);
    // Lowered outer and raised inner bevel: an etched edge.
    pnl1 = createChild(handle, WC_STATICW, "", SS_ETCHEDFRAME, 0, 0);
    btn1 = createChild(handle, WC_BUTTONW, texts::kSearchButton, WS_TABSTOP | BS_PUSHBUTTON, 0, kSearchId);
    btn2 = createChild(handle, WC_BUTTONW, texts::kEditButton, WS_TABSTOP | BS_PUSHBUTTON, 0, kEditId);
    btn3 = createChild(handle, WC_BUTTONW, texts::kExitButton, WS_TABSTOP | BS_PUSHBUTTON, 0, kExitId);
    m_lastFocus = lv1;
}

void TTcpIpFrm::applyDpi()
{
    const UINT dpi = windowDpi(handle);
    HFONT font = createFormFont(dpi);
    for (HWND member : {grp1, lv1, pnl1, btn1, btn2, btn3})
        setFont(member, font);
    if (m_font != nullptr)
        DeleteObject(m_font);
    m_font = font;
    for (int column = 0; column < 2; ++column)
        ListView_SetColumnWidth(lv1, column, scaled(kColumnWidth, dpi));
    placeMembers();
}

void TTcpIpFrm::placeMembers()
{
    // The group and the panel follow the height at fixed widths; the buttons stay put.
    const UINT dpi = windowDpi(handle);
    const auto px = [dpi](int pixels) { return scaled(pixels, dpi); };
    RECT client{};
    GetClientRect(handle, &client);
    const int height = client.bottom;
    MoveWindow(grp1, 0, 0, px(kGroupWidth), height, TRUE);
    MoveWindow(lv1, px(2), px(15), px(kGroupWidth - 4), std::max(0, height - px(17)), TRUE);
    MoveWindow(pnl1, px(kGroupWidth), 0, px(kPanelWidth), height, TRUE);
    const std::pair<HWND, ButtonPlace> buttons[] = {
        {btn1, kSearchPlace}, {btn2, kEditPlace}, {btn3, kExitPlace}};
    for (const auto& [button, place] : buttons)
        MoveWindow(button, px(kGroupWidth + place.left), px(place.top), px(kButtonWidth), px(kButtonHeight),
                   TRUE);
}

void TTcpIpFrm::SearchTcp()
{
    ListView_DeleteAllItems(lv1);
    m_entries.clear();
    BusyCursor busy;
    RunSearch(idpclnt1, [this](const TModelParm& entry) { appendRow(entry); });
    focusFirstRowIfNone();
}

void TTcpIpFrm::appendRow(const TModelParm& entry)
{
    m_entries.push_back(std::make_unique<TModelParm>(entry));
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = ListView_GetItemCount(lv1);
    item.lParam = reinterpret_cast<LPARAM>(m_entries.back().get());
    const int row = ListView_InsertItem(lv1, &item);
    setItemText(lv1, row, 0, entry.Ip);
    setItemText(lv1, row, 1, entry.Mac);
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

void TTcpIpFrm::runHandler(const std::function<void()>& body)
{
    runGuarded(m_presenter, ownerHandle(handle), body);
}

void TTcpIpFrm::FormCreate()
{
    runHandler([this] { SearchTcp(); });
}

void TTcpIpFrm::btn1Click()
{
    runHandler([this] {
        // Disabling the focused button would strand the keyboard; it comes back afterwards.
        const HWND focused = GetFocus();
        EnableWindow(btn1, FALSE);
        EnableWindow(btn2, FALSE);
        struct Reenable
        {
            TTcpIpFrm* form;
            HWND focused;
            ~Reenable()
            {
                EnableWindow(form->btn1, TRUE);
                EnableWindow(form->btn2, TRUE);
                if (focused != nullptr && IsWindowEnabled(focused))
                    SetFocus(focused);
            }
        } reenable{this, focused};
        SearchTcp();
    });
}

void TTcpIpFrm::btn2Click()
{
    runHandler([this] {
        const int row = ListView_GetNextItem(lv1, -1, LVNI_FOCUSED);
        if (row < 0)
            return;
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ListView_GetItem(lv1, &item);
        auto* entry = reinterpret_cast<TModelParm*>(item.lParam);
        m_editDevice(*entry);
        setItemText(lv1, row, 0, entry->Ip);
    });
}

void TTcpIpFrm::btn3Click()
{
    runHandler([this] { SendMessageW(handle, WM_CLOSE, 0, 0); });
}

void TTcpIpFrm::onCommand(WORD id)
{
    switch (id) {
    case kSearchId:
        btn1Click();
        return;
    case kEditId:
        btn2Click();
        return;
    case kExitId:
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
        if (header->hwndFrom == lv1 && header->code == NM_DBLCLK)
            btn2Click(); // anywhere in the list, also below the last row
        else if (header->hwndFrom == lv1 && header->code == NM_SETFOCUS)
            focusFirstRowIfNone();
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
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(handle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        applyDpi();
        return 0;
    }
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
