#include "platform/dialog.h"

#include <windows.h>

#include <algorithm>
#include <exception>

namespace qb::platform {

namespace {
constexpr int kFirstId = 100;  // clear of IDOK and IDCANCEL, which the dialog manager sends

struct Running {
  const DialogLayout& layout;
  std::exception_ptr failure;
  std::vector<std::uint8_t> bitmapInfo;  // BITMAPINFOHEADER and the palette
  std::vector<std::uint8_t> bits;        // the pixels in rows padded to whole DWORDs
};

// The template holds no controls and no font; the controls take the system's stock GUI font, so
// the dialog creates none and has none to free.
struct alignas(4) EmptyTemplate {
  DLGTEMPLATE head;
  WORD menu = 0, windowClass = 0, title = 0;
};

std::vector<std::uint8_t> paddedRows(const Picture& picture) {
  const std::size_t width = static_cast<std::size_t>(picture.width);
  const std::size_t stride = (width + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(picture.height));
  for (std::size_t row = 0; row < static_cast<std::size_t>(picture.height); ++row)
    std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(row * width), width,
                bits.begin() + static_cast<std::ptrdiff_t>(row * stride));
  return bits;
}

std::vector<std::uint8_t> makeBitmapInfo(const Picture& picture) {
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) +
                                 picture.palette.size() * sizeof(RGBQUAD));
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = picture.width;
  header->biHeight = -picture.height;  // rows from the top
  header->biPlanes = 1;
  header->biBitCount = 8;
  header->biCompression = BI_RGB;
  header->biClrUsed = static_cast<DWORD>(picture.palette.size());
  auto* colours = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
  for (std::size_t i = 0; i < picture.palette.size(); ++i) {
    const std::uint32_t rgb = picture.palette[i];
    colours[i] = RGBQUAD{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8),
                         static_cast<BYTE>(rgb >> 16), 0};
  }
  return info;
}

// Gives the dialog the exact client size and centres it on the work area. Frame sizes are
// measured rather than computed, so any caption height comes out right.
void placeDialog(HWND dialog, int width, int height) {
  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  const int outerWidth = (window.right - window.left) - client.right + width;
  const int outerHeight = (window.bottom - window.top) - client.bottom + height;
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - outerWidth) / 2,
               area.top + (area.bottom - area.top - outerHeight) / 2, outerWidth, outerHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND createControl(HWND dialog, const DialogControl& control, int id) {
  const char* windowClass = "STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  switch (control.kind) {
    case ControlKind::Message:
      style |= SS_CENTER | SS_NOPREFIX;
      break;
    case ControlKind::Label:
      style |= SS_LEFT;
      break;
    case ControlKind::List:
      windowClass = "LISTBOX";
      style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Button:
      windowClass = "BUTTON";
      style |= WS_TABSTOP | (control.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
  }
  const PixelRect& r = control.rect;
  HWND hwnd = CreateWindowExA(exStyle, windowClass, control.text.c_str(), style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, dialog,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  if (control.kind == ControlKind::List) {
    for (const std::string& item : control.items)
      SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(hwnd, LB_SETCURSEL, 0, 0);
  }
  return hwnd;
}

void initialise(HWND dialog, Running& running) {
  const DialogLayout& layout = running.layout;
  SetWindowTextA(dialog, layout.title.c_str());
  placeDialog(dialog, layout.width, layout.height);
  // Created in order, so the order of the children is the tab order.
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const int id = kFirstId + static_cast<int>(i);
    createControl(dialog, layout.controls[i], id);
    if (layout.controls[i].isDefault) SendMessageA(dialog, DM_SETDEFID, id, 0);
  }
  running.bitmapInfo = makeBitmapInfo(layout.picture);
  running.bits = paddedRows(layout.picture);
  SetFocus(GetNextDlgTabItem(dialog, nullptr, FALSE));
}

void paint(HWND dialog, const Running& running) {
  const Picture& picture = running.layout.picture;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dialog, &ps);
  if (!running.bits.empty())
    SetDIBitsToDevice(dc, running.layout.pictureLeft, running.layout.pictureTop,
                      static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height), 0, 0,
                      0, static_cast<UINT>(picture.height), running.bits.data(),
                      reinterpret_cast<const BITMAPINFO*>(running.bitmapInfo.data()),
                      DIB_RGB_COLORS);
  EndPaint(dialog, &ps);
}

// Button actions run inside the dialog manager; an exception must not cross it, so it closes
// the dialog and waits to be rethrown.
void command(HWND dialog, Running& running, int id) {
  if (id == IDCANCEL) {
    EndDialog(dialog, 0);
    return;
  }
  const std::size_t index = static_cast<std::size_t>(id - kFirstId);
  if (id < kFirstId || index >= running.layout.controls.size()) return;
  const DialogControl& control = running.layout.controls[index];
  if (control.kind != ControlKind::Button || !control.onClick) return;
  try {
    if (control.onClick()) EndDialog(dialog, 0);
  } catch (...) {
    running.failure = std::current_exception();
    EndDialog(dialog, 0);
  }
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    initialise(dialog, *reinterpret_cast<Running*>(lParam));
    return FALSE;  // the focus is set already
  }
  auto* running = reinterpret_cast<Running*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!running) return FALSE;  // messages of the creation, before the dialog is ours
  switch (message) {
    case WM_PAINT:
      paint(dialog, *running);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) command(dialog, *running, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}
}  // namespace

void runModalDialog(const DialogLayout& layout) {
  EmptyTemplate dialogTemplate{};
  dialogTemplate.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  Running running{layout, nullptr, {}, {}};
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.head, GetActiveWindow(),
                          dialogProc, reinterpret_cast<LPARAM>(&running));
  if (running.failure) std::rethrow_exception(running.failure);
}

void endModalLoops() {
  PostQuitMessage(0);
}

bool desktopVisible() {
  USEROBJECTFLAGS flags{};
  // When the station cannot be asked, the dialog is shown as it always was.
  if (!GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                 nullptr))
    return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

int captionWidth(const std::string& caption) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

}  // namespace qb::platform
