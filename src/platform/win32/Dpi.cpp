// Per-monitor DPI: the DPI functions of Windows 8.1 and 10 looked up at run
// time (the program starts on Windows 7), and the layout of the two windows
// from their dialog templates at the DPI of their monitor.
#include "Dpi.h"

#include <array>
#include <cstring>

namespace {
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
constexpr int MonitorEffectiveDpi = 0;    // MDT_EFFECTIVE_DPI
constexpr int DialogScalingDisabled = 1;  // DDC_DISABLE_ALL
constexpr const char* LayoutFontProperty = "TimerLayoutFont";

template <typename Function>
Function Find(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Null where the system is older than the function.
struct DpiFunctions {
  GetDpiForWindowFunction GetDpiForWindow;
  GetDpiForMonitorFunction GetDpiForMonitor;
  AdjustWindowRectExForDpiFunction AdjustWindowRectExForDpi;
  SystemParametersInfoForDpiFunction SystemParametersInfoForDpi;
  SetDialogDpiChangeBehaviorFunction SetDialogDpiChangeBehavior;
};

const DpiFunctions& Functions() {
  static const DpiFunctions functions = [] {
    const HMODULE user = GetModuleHandleA("user32.dll");
    // Only in Windows 8.1 and later; from the system folder only.
    const HMODULE shellCore = LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return DpiFunctions{
        Find<GetDpiForWindowFunction>(user, "GetDpiForWindow"),
        Find<GetDpiForMonitorFunction>(shellCore, "GetDpiForMonitor"),
        Find<AdjustWindowRectExForDpiFunction>(user, "AdjustWindowRectExForDpi"),
        Find<SystemParametersInfoForDpiFunction>(user, "SystemParametersInfoForDpi"),
        Find<SetDialogDpiChangeBehaviorFunction>(user, "SetDialogDpiChangeBehavior"),
    };
  }();
  return functions;
}

UINT SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : BaseDpi;
}

// Reads a DLGTEMPLATE (the form the DIALOG statement makes); a read past the
// end marks it failed and yields zeros.
class TemplateReader {
 public:
  TemplateReader(const BYTE* bytes, std::size_t size) : begin_(bytes), at_(bytes), end_(bytes + size) {}
  bool Ok() const { return ok_; }
  WORD Word() {
    if (!ok_ || end_ - at_ < 2) {
      ok_ = false;
      return 0;
    }
    WORD value;
    std::memcpy(&value, at_, sizeof value);
    at_ += 2;
    return value;
  }
  short Short() { return static_cast<short>(Word()); }
  DWORD Dword() {
    const WORD low = Word();
    return MAKELONG(low, Word());
  }
  std::wstring String() {
    std::wstring text;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  // A menu, class or title: none, an ordinal (returned), or a string.
  WORD NameOrOrdinal(std::wstring* name = nullptr) {
    const WORD first = Word();
    if (first == 0xFFFF) return Word();
    if (first == 0) return 0;
    const std::wstring rest = String();
    if (name != nullptr) *name = static_cast<wchar_t>(first) + rest;
    return 0;
  }
  void Skip(std::size_t bytes) {
    if (static_cast<std::size_t>(end_ - at_) < bytes) {
      ok_ = false;
      return;
    }
    at_ += bytes;
  }
  void AlignToDword() {
    if ((at_ - begin_) % 4 != 0) Word();
  }

 private:
  const BYTE* begin_;
  const BYTE* at_;
  const BYTE* end_;
  bool ok_ = true;
};

// The font's dialog base units, found as the dialog manager finds them.
std::optional<DialogUnits> BaseUnits(HWND window, HFONT font) {
  const HDC context = GetDC(window);
  if (context == nullptr) return std::nullopt;
  const HGDIOBJ previous = SelectObject(context, font);
  TEXTMETRICW metrics = {};
  SIZE extent = {};
  const bool measured =
      GetTextMetricsW(context, &metrics) &&
      GetTextExtentPoint32W(context, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &extent);
  SelectObject(context, previous);
  ReleaseDC(window, context);
  if (!measured) return std::nullopt;
  return DialogUnits::FromFont(extent.cx, metrics.tmHeight);
}

HFONT TemplateFont(const DialogTemplate& dialog, UINT dpi) {
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(dialog.PointSize, static_cast<int>(dpi), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  dialog.Face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

void AdjustFrame(RECT& frame, HWND window, UINT dpi) {
  const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  const BOOL menu = GetMenu(window) != nullptr;
  if (Functions().AdjustWindowRectExForDpi != nullptr) {
    Functions().AdjustWindowRectExForDpi(&frame, style, menu, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&frame, style, menu, exStyle);
  }
}
}  // namespace

std::optional<DialogTemplate> ReadTemplate(const char* name) {
  const HMODULE program = GetModuleHandleA(nullptr);
  const HRSRC info = FindResourceA(program, name, MAKEINTRESOURCEA(5));  // RT_DIALOG
  const HGLOBAL loaded = info != nullptr ? LoadResource(program, info) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  TemplateReader reader(static_cast<const BYTE*>(bytes), SizeofResource(program, info));
  DialogTemplate dialog;
  const DWORD style = reader.Dword();
  if (style == 0xFFFF0001) return std::nullopt;  // a DIALOGEX template: none here
  reader.Dword();                                // extended style
  const WORD count = reader.Word();
  dialog.Area.X = reader.Short();
  dialog.Area.Y = reader.Short();
  dialog.Area.Width = reader.Short();
  dialog.Area.Height = reader.Short();
  reader.NameOrOrdinal();  // menu
  reader.NameOrOrdinal();  // class
  dialog.Caption = reader.String();
  if ((style & DS_SETFONT) != 0) {
    dialog.PointSize = reader.Word();
    dialog.Face = reader.String();
  }
  for (WORD i = 0; i < count && reader.Ok(); ++i) {
    reader.AlignToDword();
    TemplateItem item;
    item.Style = reader.Dword();
    reader.Dword();  // extended style
    item.Place.X = reader.Short();
    item.Place.Y = reader.Short();
    item.Place.Width = reader.Short();
    item.Place.Height = reader.Short();
    item.Id = reader.Word();
    const WORD system = reader.NameOrOrdinal(&item.Class);
    if (system >= 0x80 && system <= 0x82) item.Class = std::array{L"BUTTON", L"EDIT", L"STATIC"}[system - 0x80];
    reader.NameOrOrdinal(&item.Text);
    const WORD extra = reader.Word();  // creation data, its size word included
    if (extra > 2) reader.Skip(extra - 2u);
    dialog.Items.push_back(item);
  }
  if (!reader.Ok()) return std::nullopt;
  return dialog;
}

UINT WindowDpi(HWND window) {
  const DpiFunctions& functions = Functions();
  if (functions.GetDpiForWindow != nullptr) {
    if (const UINT dpi = functions.GetDpiForWindow(window); dpi != 0) return dpi;
  }
  if (functions.GetDpiForMonitor != nullptr) {
    UINT x = 0, y = 0;
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (functions.GetDpiForMonitor(monitor, MonitorEffectiveDpi, &x, &y) == S_OK && y != 0) return y;
  }
  return SystemDpi();
}

int ScaleToDpi(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(BaseDpi)); }

NONCLIENTMETRICSW NonClientMetricsForDpi(UINT dpi) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (Functions().SystemParametersInfoForDpi != nullptr &&
      Functions().SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    return metrics;
  }
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  // Given at the system's DPI: scale the fonts to the one asked for.
  const int system = static_cast<int>(SystemDpi());
  for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont, &metrics.lfStatusFont,
                         &metrics.lfMessageFont}) {
    font->lfHeight = MulDiv(font->lfHeight, static_cast<int>(dpi), system);
  }
  return metrics;
}

void LayOutForDpi(HWND window, const char* templateName, UINT dpi, const POINT* topLeft) {
  const std::optional<DialogTemplate> dialog = ReadTemplate(templateName);
  if (!dialog || dialog->PointSize == 0) return;  // the dialog manager's layout stays
  const HFONT font = TemplateFont(*dialog, dpi);
  if (font == nullptr) return;
  const std::optional<DialogUnits> units = BaseUnits(window, font);
  if (!units) {
    DeleteObject(font);
    return;
  }

  // The controls come in template order; each takes the next item of its id,
  // as several static texts share one.
  std::size_t next = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const WORD id = LOWORD(GetDlgCtrlID(child));
    std::size_t i = next;
    while (i < dialog->Items.size() && dialog->Items[i].Id != id) ++i;
    if (i == dialog->Items.size()) continue;  // not one of the template's
    const Rect place = units->ToPixels(dialog->Items[i].Place);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(child, nullptr, place.X, place.Y, place.Width, place.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    next = i + 1;
  }

  const int clientWidth = units->X(dialog->Area.Width);
  const int clientHeight = units->Y(dialog->Area.Height);
  RECT frame = {0, 0, clientWidth, clientHeight};
  AdjustFrame(frame, window, dpi);
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (topLeft != nullptr ? 0 : SWP_NOMOVE);
  SetWindowPos(window, nullptr, topLeft != nullptr ? topLeft->x : 0, topLeft != nullptr ? topLeft->y : 0,
               frame.right - frame.left, frame.bottom - frame.top, flags);
  // A menu bar that wraps onto more lines takes from the client area, down to
  // none of it (a menu at the system's DPI on a window at a lower one, as
  // Windows 8.1 keeps it): grow until the client area is whole again.
  RECT client = {};
  for (int tries = 0; tries < 4 && !IsIconic(window) && GetClientRect(window, &client) &&
                      (client.right != clientWidth || client.bottom != clientHeight);
       ++tries) {
    RECT outer = {};
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + clientWidth - client.right,
                 outer.bottom - outer.top + clientHeight - client.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }

  ReleaseLayoutFont(window);
  SetPropA(window, LayoutFontProperty, font);
  InvalidateRect(window, nullptr, TRUE);
}

void ReleaseLayoutFont(HWND window) {
  if (const HANDLE font = RemovePropA(window, LayoutFontProperty); font != nullptr) DeleteObject(font);
}

void TakeOverDialogScaling(HWND dialog) {
  if (Functions().SetDialogDpiChangeBehavior != nullptr) {
    Functions().SetDialogDpiChangeBehavior(dialog, DialogScalingDisabled, DialogScalingDisabled);
  }
}
