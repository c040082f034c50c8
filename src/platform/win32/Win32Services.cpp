// Clock, output volume, tune resources and program launching on the Windows API.
#include "Win32.h"
#include "Win32Adapters.h"

// clang-format off
#include <mmdeviceapi.h>
#include <audiopolicy.h>
// clang-format on

namespace {
// FILETIME counts 100 ns steps from 1601; UTC seconds count from 1970.
constexpr std::int64_t FileTimeTicksPerSecond = 10000000;
constexpr std::int64_t FileTimeOf1970 = 116444736000000000;

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}
}  // namespace

std::int64_t Win32Clock::UtcSeconds() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (Ticks(now) - FileTimeOf1970) / FileTimeTicksPerSecond;
}

// GetTickCount64 goes on through sleep and hibernation and never follows a
// setting of the system time; it does not wrap after 49 days as GetTickCount does.
std::int64_t Win32Clock::BootSeconds() { return static_cast<std::int64_t>(GetTickCount64() / 1000); }

std::int32_t Win32Clock::UtcOffset(std::int64_t utcSeconds) {
  const std::int64_t ticks = utcSeconds * FileTimeTicksPerSecond + FileTimeOf1970;
  if (ticks < 0) return 0;
  const FILETIME utcFile{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc, local;
  FILETIME localFile;
  // The zone's rules for that date, daylight saving included.
  if (!FileTimeToSystemTime(&utcFile, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
      !SystemTimeToFileTime(&local, &localFile))
    return 0;
  return static_cast<std::int32_t>((Ticks(localFile) - ticks) / FileTimeTicksPerSecond);
}

std::optional<std::uint64_t> Win32Clock::PerformanceCounter() {
  LARGE_INTEGER counter;
  if (!QueryPerformanceCounter(&counter)) return std::nullopt;
  return static_cast<std::uint64_t>(counter.QuadPart);
}

std::uint32_t Win32Clock::MillisecondsSinceStart() { return GetTickCount(); }

namespace {
// The handle serves only the volume calls, so any format the device takes
// will do; the common CD format first, a modest one as a fallback.
HWAVEOUT OpenWaveOut() {
  static const WAVEFORMATEX formats[] = {
      {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0},
      {WAVE_FORMAT_PCM, 1, 22050, 22050, 1, 8, 0},
  };
  for (const WAVEFORMATEX& format : formats) {
    HWAVEOUT wave = nullptr;
    if (waveOutOpen(&wave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR) return wave;
  }
  return nullptr;
}
}  // namespace

std::optional<std::uint32_t> WinmmOutputVolume::GetWaveVolume() {
  const HWAVEOUT wave = OpenWaveOut();
  if (wave == nullptr) return std::nullopt;
  DWORD value = 0;
  const bool read = waveOutGetVolume(wave, &value) == MMSYSERR_NOERROR;
  waveOutClose(wave);
  if (!read) return std::nullopt;
  return value;
}

void WinmmOutputVolume::SetWaveVolume(std::uint32_t value) {
  const HWAVEOUT wave = OpenWaveOut();
  if (wave == nullptr) return;
  waveOutSetVolume(wave, value);
  waveOutClose(wave);
}

void WinmmOutputVolume::SetMidiVolume(std::uint32_t value) { midiOutSetVolume(reinterpret_cast<HMIDIOUT>(0), value); }

namespace {
// Holds one COM interface and releases it.
template <typename Interface>
struct ComReference {
  Interface* Pointer = nullptr;
  ComReference() = default;
  ComReference(const ComReference&) = delete;
  ComReference& operator=(const ComReference&) = delete;
  ~ComReference() {
    if (Pointer != nullptr) Pointer->Release();
  }
  void** Out() { return reinterpret_cast<void**>(&Pointer); }
  Interface* operator->() const { return Pointer; }
};
}  // namespace

void WinmmOutputVolume::UnmuteStream() {
  // The program's session on the default output device, as the volume mixer
  // shows it. The Core Audio objects come through COM, so nothing is
  // imported that a system without them would lack; each failure (no device,
  // no sound service, as under Wine without sound) just leaves things as
  // they are.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    ComReference<IMMDeviceEnumerator> devices;
    ComReference<IMMDevice> device;
    ComReference<IAudioSessionManager> sessions;
    ComReference<ISimpleAudioVolume> session;
    if (SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                   __uuidof(IMMDeviceEnumerator), devices.Out())) &&
        SUCCEEDED(devices->GetDefaultAudioEndpoint(eRender, eConsole, &device.Pointer)) &&
        SUCCEEDED(device->Activate(__uuidof(IAudioSessionManager), CLSCTX_INPROC_SERVER, nullptr, sessions.Out())) &&
        SUCCEEDED(sessions->GetSimpleAudioVolume(nullptr, FALSE, &session.Pointer))) {
      session->SetMute(FALSE, nullptr);  // the session's own volume stays
    }
  }
  // Only a successful start is paired with an end; a thread already in
  // another apartment (RPC_E_CHANGED_MODE) keeps its COM as it was.
  if (SUCCEEDED(com)) CoUninitialize();
}

std::optional<std::string_view> ResourceTuneStore::FindResource(const std::string& name, const std::string& type) {
  // Resource names match without regard to case, so "a" finds "A".
  const HRSRC info = ::FindResourceA(nullptr, name.c_str(), type.c_str());
  if (info == nullptr) return std::nullopt;
  const HGLOBAL loaded = LoadResource(nullptr, info);
  if (loaded == nullptr) return std::nullopt;
  const void* bytes = LockResource(loaded);
  const DWORD size = SizeofResource(nullptr, info);
  if (bytes == nullptr) return std::nullopt;
  return std::string_view(static_cast<const char*>(bytes), size);
}

bool ResourceTuneStore::WriteFile(const std::string& path, std::string_view bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool wrote =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  const bool closed = CloseHandle(file);
  // A short write (a full disk) is reported, so a caller can tell.
  return wrote && closed;
}

bool ShellLauncher::Launch(const std::string& program) {
  const HINSTANCE result =
      ShellExecuteA(reinterpret_cast<HWND>(owner_), "open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}
