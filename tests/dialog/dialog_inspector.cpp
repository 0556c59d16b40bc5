// Finds the error dialog of another process, checks what it shows against the Error.log in the
// current folder, then closes it one way. Exit code 0 when every check held.
//
//   dialog_inspector {retry|default|both|neither}
//                    {look|escape|enter|close|quit|retry|default|viewer}
//                    [outer]
//
// The first word names the flags the error allows, and so the buttons expected. "look" only
// checks and prints the dialog's screen rectangle ("window X Y W H"), leaving it open. "outer"
// first presses the Raise button of the test program's own dialog.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
  if (ok) return;
  ++failures;
  std::printf("FAIL: %s\n", what.c_str());
  std::fflush(stdout);
}

template <typename T>
void expectEqual(const T& actual, const T& expected, const std::string& what) {
  std::ostringstream text;
  text << what << ": got [" << actual << "], expected [" << expected << "]";
  check(actual == expected, text.str());
}

HWND waitForWindow(const char* title, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (HWND w = FindWindowA(nullptr, title)) return w;
    Sleep(100);
  }
  return nullptr;
}

std::string textOf(HWND w) {
  char buffer[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  return std::string(buffer, copied);
}

std::string classOf(HWND w) {
  char buffer[64] = {};
  GetClassNameA(w, buffer, sizeof buffer);
  return buffer;
}

LONG styleOf(HWND w) {
  return GetWindowLongA(w, GWL_STYLE);
}

// Left, top, right, bottom in the dialog's client coordinates.
std::string clientRect(HWND control, HWND dialog) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  std::ostringstream text;
  text << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  return text.str();
}

std::vector<std::string> reportLines() {
  std::ifstream file("Error.log", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(all.substr(start, end - start));
  return lines;
}

struct Expected {
  std::vector<std::string> buttons;  // the choice buttons, left of the viewer in tab order
  std::vector<int> lefts;            // their left edges in pixels
  bool quitIsDefault;
};

Expected expectedFor(const std::string& flags) {
  if (flags == "retry") return {{"&Retry", "&Quit"}, {306, 82}, false};
  if (flags == "default") return {{"&Quit", "&Default"}, {82, 300}, false};
  if (flags == "both") return {{"&Retry", "&Quit", "&Default"}, {44, 194, 344}, true};
  return {{"&Quit"}, {194}, true};
}

void pressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

void clickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  Sleep(100);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
}

void clickControl(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  clickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// The close box as the window itself reports it: the first point of the caption, scanning from
// the right, that hit-tests as HTCLOSE.
bool clickCloseBox(HWND dialog) {
  RECT r;
  GetWindowRect(dialog, &r);
  for (int y = r.top + 2; y < r.top + 40; y += 2)
    for (int x = r.right - 2; x > r.right - 60; x -= 2) {
      const LRESULT hit = SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y));
      if (hit == HTCLOSE) {
        clickAt({x, y});
        return true;
      }
    }
  return false;
}

COLORREF screenPixel(HWND dialog, int x, int y) {
  POINT p{x, y};
  ClientToScreen(dialog, &p);
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

void checkPicture(HWND dialog, const char* when) {
  const std::string at = std::string(" (") + when + ")";
  expectEqual<COLORREF>(screenPixel(dialog, 6 + 16, 6 + 16), RGB(0, 0, 0), "pupil at 22,22" + at);
  expectEqual<COLORREF>(screenPixel(dialog, 6, 6), RGB(0xC0, 0xC0, 0xC0),
                        "picture corner 6,6" + at);
  expectEqual<COLORREF>(screenPixel(dialog, 37, 37), RGB(0xC0, 0xC0, 0xC0),
                        "picture corner 37,37" + at);
  expectEqual<COLORREF>(screenPixel(dialog, 5, 5), GetSysColor(COLOR_BTNFACE),
                        "dialog face 5,5" + at);
  expectEqual<COLORREF>(screenPixel(dialog, 38, 38), GetSysColor(COLOR_BTNFACE),
                        "dialog face 38,38" + at);
}

void inspect(HWND dialog, const Expected& expected) {
  RECT client;
  GetClientRect(dialog, &client);
  expectEqual<long>(client.right, 450, "client width");
  expectEqual<long>(client.bottom, 350, "client height");

  RECT window, area;
  GetWindowRect(dialog, &window);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  check(std::abs((window.left + window.right) - (area.left + area.right)) <= 1 &&
            std::abs((window.top + window.bottom) - (area.top + area.bottom)) <= 1,
        "dialog centred on the work area");
  const LONG dialogStyle = styleOf(dialog);
  check((dialogStyle & WS_CAPTION) == WS_CAPTION && (dialogStyle & WS_SYSMENU),
        "caption and system menu (close box)");

  std::vector<HWND> children;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  const std::size_t count = 4 + expected.buttons.size();
  expectEqual(children.size(), count, "number of controls");
  if (children.size() != count) return;

  const std::vector<std::string> report = reportLines();
  check(report.size() > 7, "Error.log in the current folder");
  const std::string description = report.size() > 7 ? report[6] : std::string();
  check(description.rfind("   Error description: ", 0) == 0,
        "line 7 of Error.log is the description");

  HWND message = children[0], label = children[1], list = children[2];
  expectEqual(classOf(message), std::string("Static"), "message class");
  expectEqual(textOf(message), description + "\r\n", "message text");
  expectEqual(clientRect(message, dialog), std::string("104,6,336,50"), "message rectangle");
  check((styleOf(message) & SS_TYPEMASK) == SS_CENTER, "message centred");
  check(styleOf(message) & SS_NOPREFIX, "message shows '&' literally");

  expectEqual(classOf(label), std::string("Static"), "label class");
  expectEqual(textOf(label), std::string("&Stack List"), "label text");
  check((styleOf(label) & SS_TYPEMASK) == SS_LEFT && !(styleOf(label) & SS_NOPREFIX),
        "label left-aligned with a mnemonic");
  RECT labelRect;
  GetWindowRect(label, &labelRect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&labelRect), 2);
  expectEqual<long>(labelRect.left, 12, "label left");
  expectEqual<long>(labelRect.top, 48, "label top");
  expectEqual<long>(labelRect.bottom, 76, "label bottom");
  {
    HDC dc = GetDC(label);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE shown{};
    GetTextExtentPoint32A(dc, "Stack List", 10, &shown);
    SelectObject(dc, font);
    ReleaseDC(label, dc);
    check(labelRect.right - labelRect.left >= shown.cx,
          "label wide enough for its caption: " + std::to_string(labelRect.right - labelRect.left) +
              " < " + std::to_string(shown.cx));
  }

  expectEqual(classOf(list), std::string("ListBox"), "list class");
  expectEqual(clientRect(list, dialog), std::string("6,66,444,318"), "list rectangle");
  check(!(styleOf(list) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)), "list single selection");
  std::vector<std::string> stack;
  for (std::size_t i = 0; i < report.size(); ++i)
    if (report[i].rfind("   Called from: ", 0) == 0) stack.push_back(report[i]);
  check(!stack.empty(), "Error.log lists the call stack");
  const LRESULT items = SendMessageA(list, LB_GETCOUNT, 0, 0);
  expectEqual<long>(items, static_cast<long>(stack.size()), "list items");
  for (LRESULT i = 0; i < items && static_cast<std::size_t>(i) < stack.size(); ++i) {
    wchar_t item[512] = {};
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof item / sizeof *item))
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
    char ansi[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, item, -1, ansi, sizeof ansi, nullptr, nullptr);
    expectEqual(std::string(ansi), stack[static_cast<std::size_t>(i)], "list item");
  }
  expectEqual<long>(SendMessageA(list, LB_GETCURSEL, 0, 0), 0, "first item selected");

  const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  for (std::size_t i = 0; i < expected.buttons.size(); ++i) {
    HWND button = children[3 + i];
    const std::string& caption = expected.buttons[i];
    expectEqual(classOf(button), std::string("Button"), caption + " class");
    expectEqual(textOf(button), caption, "button text");
    std::ostringstream rect;
    rect << expected.lefts[i] << ",324," << expected.lefts[i] + 60 << ",346";
    expectEqual(clientRect(button, dialog), rect.str(), caption + " rectangle");
    const bool shouldDefault = caption == "&Quit" && expected.quitIsDefault;
    expectEqual((styleOf(button) & BS_TYPEMASK) == BS_DEFPUSHBUTTON, shouldDefault,
                caption + " is the default button");
    if (shouldDefault) {
      expectEqual<long>(HIWORD(defId), DC_HASDEFID, "dialog has a default id");
      expectEqual<long>(LOWORD(defId), GetDlgCtrlID(button), "default id is Quit's");
    }
  }
  HWND viewer = children.back();
  expectEqual(classOf(viewer), std::string("Button"), "viewer class");
  expectEqual(textOf(viewer), std::string("See Error.log file"), "viewer text");
  expectEqual(clientRect(viewer, dialog), std::string("350,42,442,62"), "viewer rectangle");
  check((styleOf(viewer) & BS_TYPEMASK) == BS_PUSHBUTTON, "viewer is an ordinary button");

  // Tab order: the list, each button left to right in table order, the viewer, round again.
  std::vector<HWND> tabs = {list};
  for (int i = 0; i < static_cast<int>(count) - 2; ++i)
    tabs.push_back(GetNextDlgTabItem(dialog, tabs.back(), FALSE));
  std::vector<HWND> expectedTabs(children.begin() + 2, children.end());
  expectedTabs.push_back(list);
  check(tabs == expectedTabs, "tab order is the order of the controls");

  checkPicture(dialog, "first paint");
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  Sleep(500);
  checkPicture(dialog, "after a repaint");
}

BOOL CALLBACK notepadIfVisible(HWND w, LPARAM found) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  if (!IsWindowVisible(w) || lstrcmpiA(name, "Notepad") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

HWND findNotepad() {
  HWND found = nullptr;
  EnumWindows(notepadIfVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND childWithText(HWND dialog, const std::string& text) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (textOf(c) == text) return c;
  return nullptr;
}

void act(HWND dialog, const std::string& action, const Expected& expected) {
  SetForegroundWindow(dialog);
  Sleep(200);
  if (action == "escape") {
    pressKey(VK_ESCAPE);
  } else if (action == "enter") {
    // Enter presses the default button; without one it does nothing, and Escape ends the dialog.
    pressKey(VK_RETURN);
    if (expected.quitIsDefault) return;
    Sleep(1000);
    check(IsWindow(dialog), "Enter leaves a dialog without a default button open");
    pressKey(VK_ESCAPE);
  } else if (action == "close") {
    check(clickCloseBox(dialog), "close box found on the caption");
  } else if (action == "viewer") {
    HWND viewer = childWithText(dialog, "See Error.log file");
    check(viewer != nullptr, "viewer button");
    if (!viewer) return;
    clickControl(viewer);
    HWND notepad = nullptr;
    for (int i = 0; i < 300 && !(notepad = findNotepad()); ++i) Sleep(100);
    check(notepad != nullptr, "Notepad's window appears");
    Sleep(500);
    check(IsWindow(dialog) && IsWindowVisible(dialog), "the dialog stays open beside Notepad");
    if (notepad) PostMessageA(notepad, WM_CLOSE, 0, 0);
    SetForegroundWindow(dialog);
    Sleep(300);
    act(dialog, "quit", expected);
    return;
  } else {
    const std::string caption =
        "&" + std::string(1, static_cast<char>(action[0] - 'a' + 'A')) + action.substr(1);
    HWND button = childWithText(dialog, caption);
    check(button != nullptr, caption + " button");
    if (button) clickControl(button);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: dialog_inspector flags action [outer]\n");
    return 2;
  }
  const std::string flags = argv[1], action = argv[2];
  if (argc > 3 && std::string(argv[3]) == "outer") {
    HWND outer = waitForWindow("Dialog subject", 60);
    check(outer != nullptr, "the test program's own dialog");
    HWND raise = outer ? FindWindowExA(outer, nullptr, "Button", "Raise") : nullptr;
    if (raise)
      PostMessageA(outer, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(raise), BN_CLICKED),
                   reinterpret_cast<LPARAM>(raise));
  }
  HWND dialog = waitForWindow("Vantrell for Korvath", 60);
  check(dialog != nullptr, "the error dialog appears");
  if (!dialog) return 1;
  Sleep(500);  // let it paint
  const Expected expected = expectedFor(flags);
  inspect(dialog, expected);
  if (action == "look") {
    RECT r;
    GetWindowRect(dialog, &r);
    std::printf("window %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  } else {
    act(dialog, action, expected);
    bool gone = false;
    for (int i = 0; i < 150 && !gone; ++i, Sleep(100)) gone = !IsWindow(dialog);
    check(gone, "the dialog closes on " + action);
  }
  std::printf("%s: %d failed checks\n", failures ? "FAILED" : "passed", failures);
  return failures ? 1 : 0;
}
