// The dialog's form: its pages, controls, captions, positions, tab order, colours and
// button images, at the window's DPI.
#include "TcpSet.h"

#include "DialogTexts.h"
#include "FormLook.h"
#include "TcpIpForm.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr wchar_t kPageClass[] = L"TTcpSetPage";
constexpr WORD kFirstControlId = 200;
constexpr int kDroppedItems = 10; // list height when dropped down, in items
constexpr COLORREF kImageMask = RGB(255, 0, 255);

// A page forwards its controls' notifications and colour questions to the dialog.
LRESULT CALLBACK pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return SendMessageW(GetParent(page), message, wParam, lParam);
    default:
        return DefWindowProcW(page, message, wParam, lParam);
    }
}

void registerPageClass(HINSTANCE instance)
{
    WNDCLASSEXW pageClass{};
    pageClass.cbSize = sizeof pageClass;
    pageClass.lpfnWndProc = pageProc;
    pageClass.hInstance = instance;
    pageClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    pageClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    pageClass.lpszClassName = kPageClass;
    RegisterClassExW(&pageClass); // fails harmlessly when already registered
}

// A button image in the six states a button asks for (normal, hot, pressed, disabled,
// default, stylus hot), the disabled one greyed; drawn here so it stays sharp at any DPI.
HIMAGELIST buttonImages(const ButtonImage& image, UINT dpi)
{
    constexpr int kStates = 6;
    constexpr int kDisabled = 3;
    const int size = scaled(kButtonImageSize, dpi);
    const double scale = dpi / 96.0;
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kStates, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, size * kStates, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, strip);
    HBRUSH mask = CreateSolidBrush(kImageMask);
    const RECT all{0, 0, size * kStates, size};
    FillRect(dc, &all, mask);
    DeleteObject(mask);
    for (int state = 0; state < kStates; ++state) {
        const Rgb colour = state == kDisabled ? kDisabledImageColour : image.colour;
        LOGBRUSH brush{BS_SOLID, RGB(colour.red, colour.green, colour.blue), 0};
        const int penWidth = scaled(static_cast<int>(kButtonImagePen * 2), dpi) / 2;
        HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                static_cast<DWORD>(std::max(2, penWidth)), &brush, 0, nullptr);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        SetViewportOrgEx(dc, state * size, 0, nullptr);
        for (const std::span<const ImagePoint> stroke : image.strokes) {
            std::vector<POINT> points;
            for (const ImagePoint& point : stroke)
                points.push_back(
                    {static_cast<LONG>(point.x * scale + 0.5), static_cast<LONG>(point.y * scale + 0.5)});
            Polyline(dc, points.data(), static_cast<int>(points.size()));
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    ImageList_AddMasked(images, strip, kImageMask);
    DeleteObject(strip);
    return images;
}

SIZE textSize(HWND control, HFONT font)
{
    const std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    std::wstring caption = text;
    caption.resize(
        static_cast<std::size_t>(GetWindowTextW(control, caption.data(), static_cast<int>(text.size()))));
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

} // namespace

COLORREF backgroundColour(FieldBackground background)
{
    switch (background) {
    case FieldBackground::Editable:
        return RGB(255, 255, 255);
    case FieldBackground::Menu:
        return GetSysColor(COLOR_MENU);
    case FieldBackground::ScrollBar:
        return GetSysColor(COLOR_SCROLLBAR);
    }
    return RGB(255, 255, 255);
}

void TTcpSetFrm::buildForm()
{
    SetWindowTextW(handle, wide(texts::kDialogTitle).c_str());
    registerPageClass(GetModuleHandleW(nullptr));
    // The pages lie above the tab strip, which must not paint over them; so the pages'
    // controls come first in the Tab order, then the tab strip (arrows change the page),
    // then the buttons.
    ts1 = createChild(handle, kPageClass, "", WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
    ts2 = createChild(handle, kPageClass, "", WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
    pgc1 = createChild(handle, WC_TABCONTROLW, "", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS);
    for (std::string_view caption : {texts::kNetworkPage, texts::kSerialPage}) {
        std::wstring text = wide(caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        TabCtrl_InsertItem(pgc1, TabCtrl_GetItemCount(pgc1), &item);
    }
    for (const ControlSpec& spec : controlTable()) {
        HWND page = spec.page == DialogPage::Network ? ts1 : ts2;
        labels[controlIndex(spec.id)] =
            createChild(page, WC_STATICW, spec.label, WS_VISIBLE | SS_LEFT | SS_NOPREFIX);
    }
    // Creation order is the Tab order within a page.
    for (ControlId id : tabOrder()) {
        const ControlSpec& spec = controlSpec(id);
        HWND page = spec.page == DialogPage::Network ? ts1 : ts2;
        const auto controlId = static_cast<WORD>(kFirstControlId + controlIndex(id));
        HWND control = nullptr;
        if (spec.kind == ControlKind::Edit) {
            control = createChild(page, WC_EDITW, "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                  WS_EX_CLIENTEDGE, controlId);
            if (spec.accepts != TypedChars::Any) {
                SetWindowSubclass(control, &TTcpSetFrm::filterProc, controlIndex(id),
                                  reinterpret_cast<DWORD_PTR>(this));
                // An input method's text arrives as WM_IME_CHAR, past the filter: with Chinese
                // punctuation on, "." would come as "。". These fields take digits only.
                ImmAssociateContextEx(control, nullptr, 0);
            }
        } else {
            // Pick-only: the user chooses an item but cannot type.
            control = createChild(page, WC_COMBOBOXW, "",
                                  WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, controlId);
            for (std::string_view item : spec.items)
                SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item).c_str()));
        }
        controls[controlIndex(id)] = control;
    }
    buildPanel();
}

void TTcpSetFrm::buildPanel()
{
    // Lowered outer and raised inner bevel: an etched edge.
    pnl1 = createChild(handle, WC_STATICW, "", WS_VISIBLE | SS_ETCHEDFRAME);
    const std::array<ButtonSpec, 2>& specs = buttonTable();
    btn3 = createChild(handle, WC_BUTTONW, specs[0].caption, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                       IDOK);
    btn4 = createChild(handle, WC_BUTTONW, specs[1].caption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                       IDCANCEL);
}

void TTcpSetFrm::applyDpi()
{
    const UINT dpi = m_dpi;
    HFONT font = createFormFont(dpi);
    for (HWND window : {pgc1, pnl1, btn3, btn4})
        setFont(window, font);
    for (const ControlSpec& spec : controlTable()) {
        HWND control = controls[controlIndex(spec.id)];
        setFont(control, font);
        setFont(labels[controlIndex(spec.id)], font);
        if (spec.kind == ControlKind::List) {
            // The closed list is as high as an edit; its frame takes 6 pixels.
            SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), scaled(kFieldHeight, dpi) - 6);
        }
    }
    if (m_font != nullptr)
        DeleteObject(m_font);
    m_font = font;

    const std::array<const ButtonImage*, 2> images{&okImage(), &cancelImage()};
    const std::array<HWND, 2> buttons{btn3, btn4};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        HIMAGELIST list = buttonImages(*images[i], dpi);
        BUTTON_IMAGELIST image{list, {scaled(2, dpi), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
        Button_SetImageList(buttons[i], &image);
        if (m_images[i] != nullptr)
            ImageList_Destroy(m_images[i]);
        m_images[i] = list;
    }
    placeMembers();
}

void TTcpSetFrm::placeMembers()
{
    if (pgc1 == nullptr)
        return;
    const UINT dpi = m_dpi;
    const auto px = [dpi](int pixels) { return scaled(pixels, dpi); };
    RECT client{};
    GetClientRect(handle, &client);
    const int panelHeight = px(kPanelHeight);
    const int pagesHeight = std::max(0, static_cast<int>(client.bottom) - panelHeight);
    MoveWindow(pgc1, 0, 0, client.right, pagesHeight, TRUE);
    RECT display{0, 0, client.right, pagesHeight};
    TabCtrl_AdjustRect(pgc1, FALSE, &display);
    for (HWND page : {ts1, ts2})
        MoveWindow(page, display.left, display.top, display.right - display.left,
                   display.bottom - display.top, TRUE);
    for (const ControlSpec& spec : controlTable()) {
        HWND label = labels[controlIndex(spec.id)];
        const SIZE caption = textSize(label, m_font);
        MoveWindow(label, px(spec.labelLeft), px(spec.labelTop), caption.cx, caption.cy, TRUE);
        const bool list = spec.kind == ControlKind::List;
        // A list's window height includes its dropped-down part.
        MoveWindow(controls[controlIndex(spec.id)], px(spec.bounds.left), px(spec.bounds.top),
                   px(spec.bounds.width),
                   list ? px(spec.bounds.height * kDroppedItems) : px(spec.bounds.height), TRUE);
    }
    MoveWindow(pnl1, 0, pagesHeight, client.right, panelHeight, TRUE);
    const std::array<HWND, 2> buttons{btn3, btn4};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const FormRect& bounds = buttonTable()[i].bounds;
        MoveWindow(buttons[i], px(bounds.left), pagesHeight + px(bounds.top), px(bounds.width),
                   px(bounds.height), TRUE);
    }
}

void TTcpSetFrm::showPage(DialogPage page)
{
    TabCtrl_SetCurSel(pgc1, page == DialogPage::Network ? 0 : 1);
    ShowWindow(ts1, page == DialogPage::Network ? SW_SHOW : SW_HIDE);
    ShowWindow(ts2, page == DialogPage::Serial ? SW_SHOW : SW_HIDE);
}

HBRUSH TTcpSetFrm::fieldBrush(HWND control, HDC dc) const
{
    const std::optional<ControlId> id = controlOf(control);
    // Labels, and disabled fields, which keep the system's disabled look.
    if (!id || controlSpec(*id).kind != ControlKind::Edit || !IsWindowEnabled(control))
        return nullptr;
    const FieldBackground background = m_model->controlView(*id).background;
    SetBkColor(dc, backgroundColour(background));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    switch (background) {
    case FieldBackground::Menu:
        return GetSysColorBrush(COLOR_MENU);
    case FieldBackground::ScrollBar:
        return GetSysColorBrush(COLOR_SCROLLBAR);
    case FieldBackground::Editable:
        break;
    }
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}
