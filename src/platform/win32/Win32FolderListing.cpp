// Directory search with FindFirstFileA: each entry's name, attributes and size.
#include "Win32.h"
#include "Win32Adapters.h"

namespace {
void Fill(const WIN32_FIND_DATAA& raw, FindData& data) {
  data.Name.assign(raw.cFileName, strnlen(raw.cFileName, sizeof raw.cFileName));
  data.Attributes = raw.dwFileAttributes;
  data.SizeHigh = raw.nFileSizeHigh;
  data.SizeLow = raw.nFileSizeLow;
}

HANDLE ToHandle(FolderListing::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
}  // namespace

FolderListing::Handle Win32FolderListing::FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) {
  WIN32_FIND_DATAA raw;
  const HANDLE handle = FindFirstFileA(pattern.c_str(), &raw);
  if (handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return InvalidHandle;
  }
  Fill(raw, data);
  return reinterpret_cast<Handle>(handle);
}

bool Win32FolderListing::FindNext(Handle handle, FindData& data, std::uint32_t& error) {
  WIN32_FIND_DATAA raw;
  if (!FindNextFileA(ToHandle(handle), &raw)) {
    error = GetLastError();
    return false;
  }
  Fill(raw, data);
  return true;
}

void Win32FolderListing::FindClose(Handle handle) {
  if (handle != InvalidHandle) ::FindClose(ToHandle(handle));
}
