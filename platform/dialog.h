#pragma once
// The program's one kind of window: a modal dialog of fixed size built from a list of controls.
// Windows shows it for real; the native build has no window and writes the dialog's message and
// list to standard error instead.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qb::platform {

struct PixelRect {
  int top = 0, left = 0, bottom = 0, right = 0;
};

// An 8-bit picture: each pixel indexes the palette, whose entries are 0xRRGGBB.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> palette;
  std::vector<std::uint8_t> pixels;  // rows from the top, width bytes each
};

enum class ControlKind {
  Message,  // centred, wrapped, read-only text; an ampersand is shown as it is
  Label,    // left-aligned text whose ampersand marks the mnemonic
  List,     // single-selection list with its first item selected
  Button,
};

struct DialogControl {
  ControlKind kind = ControlKind::Label;
  std::string text;                // the caption; unused by a list
  PixelRect rect;                  // in the dialog's client area
  std::vector<std::string> items;  // a list's lines
  bool isDefault = false;          // the button Enter activates
  std::function<bool()> onClick;   // a button's action; true closes the dialog
};

struct DialogLayout {
  std::string title;
  int width = 0, height = 0;            // the client area in pixels
  std::vector<DialogControl> controls;  // in tab order
  Picture picture;                      // painted at (pictureLeft, pictureTop) on every paint
  int pictureLeft = 0, pictureTop = 0;
};

// Shows the dialog modally and centred until a button's action closes it, or Escape or the close
// box cancels it. An exception thrown by an action closes the dialog and is rethrown here. Returns
// at once when no window can be made.
void runModalDialog(const DialogLayout& layout);

// Lets the modal loops still running end, as the program quits after an error: on Windows a quit
// message with code 0 goes to the thread's queue; natively no dialog runs a loop.
void endModalLoops();

// Whether a dialog shown now can be seen, and so answered: not when the process runs on a window
// station other than the interactive one, as a task run whether or not a user is logged on does.
bool desktopVisible();

// The width in pixels of a caption in the dialog's font.
int captionWidth(const std::string& caption);

}  // namespace qb::platform
