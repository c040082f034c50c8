// Per-monitor DPI for the Windows shell: the newer DPI functions where the
// system has them, and windows laid out from their dialog templates at a DPI.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Win32.h"
#include "app/Desktop.h"

inline constexpr UINT BaseDpi = 96;
// The main window's and the music settings dialog's templates.
inline constexpr const char* MainTemplateName = "TIMERZQV2010";
inline constexpr const char* MusicDialogTemplateName = "MP3";

struct TemplateItem {
  DWORD Style = 0;
  Rect Place = {};  // dialog units
  WORD Id = 0;
  std::wstring Class;  // "BUTTON", "EDIT", "STATIC", ... (a system class's ordinal read as its name)
  std::wstring Text;
};

struct DialogTemplate {
  Rect Area = {};  // the position, and the client area's size, in dialog units
  std::wstring Caption;
  WORD PointSize = 0;
  std::wstring Face;
  std::vector<TemplateItem> Items;
};

// The program's DIALOG template of this name, as its resources hold it.
std::optional<DialogTemplate> ReadTemplate(const char* name);

// The DPI of the monitor the window is on; the system's DPI on Windows
// older than 8.1.
UINT WindowDpi(HWND window);
// A length of pixels at 96 DPI, at this DPI.
int ScaleToDpi(int pixels, UINT dpi);
// The system's message, caption and status fonts at this DPI.
NONCLIENTMETRICSW NonClientMetricsForDpi(UINT dpi);

// Lays out a window made from a dialog template for this DPI: its controls'
// font, their rectangles and the window's client size. Each edge is mapped
// from dialog units on its own, so controls that touch in the template touch
// in pixels and never overlap. The window moves to `topLeft` when one is given.
void LayOutForDpi(HWND window, const char* templateName, UINT dpi, const POINT* topLeft = nullptr);
// Frees the font that the layout made for the window.
void ReleaseLayoutFont(HWND window);
// Keeps the system from scaling the dialog on its own as well.
void TakeOverDialogScaling(HWND dialog);
