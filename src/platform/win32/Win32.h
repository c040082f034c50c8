// The Windows headers, as every file of the Windows shell includes them, in
// the order they need.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

// The tune store's method is called FindResource; keep the Windows macro of
// that name from renaming it in some files and not in others.
#undef FindResource
