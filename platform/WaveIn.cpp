#include "WaveIn.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <semaphore>
#include <set>
#include <string>
#include <thread>

#include "SpscRing.h"
#include "WaveInDriver.h"

// One open input device. The queue of buffers runs from the caller's thread
// to the capture thread, the filled ones back to a notifier thread, which
// posts their messages: the capture thread itself takes no lock and
// allocates nothing.
struct WaveInDevice final : FrameSink {
  WaveInDriver* Driver = nullptr;
  MessageTarget* Target = nullptr;
  SpscRing<WAVEHDR*, 256> Queued;     // caller -> capture thread
  SpscRing<WAVEHDR*, 256> Completed;  // capture thread -> notifier
  std::size_t Filled = 0;             // bytes in the buffer at the head of Queued
  std::atomic<std::uint64_t> Overflow{0};
  std::counting_semaphore<> Wake{0};
  std::atomic<bool> Ending{false};
  std::thread Notifier;
  bool Started = false;

  void Capture(const std::uint8_t* frames, std::size_t count) override;
  void Lost(std::size_t count) override { Overflow.fetch_add(count, std::memory_order_relaxed); }
  void Complete(WAVEHDR* header);
  void Notify();
};

namespace {

std::mutex Lock;                       // guards the registry below and the driver choice
std::set<WaveInDevice*> OpenDevices;
WaveInDriver* ChosenDriver = nullptr;
std::map<MMRESULT, std::string> Reasons;  // the driver's words for the last failure with a code

constexpr std::size_t FrameSize = 4;  // 16-bit stereo

bool IsOpen(HWAVEIN device) {
  std::lock_guard<std::mutex> guard(Lock);
  return OpenDevices.count(device) != 0;
}

MMRESULT Remember(MMRESULT code, const std::string& reason) {
  if (code != MMSYSERR_NOERROR) {
    std::lock_guard<std::mutex> guard(Lock);
    if (reason.empty()) {
      Reasons.erase(code);
    } else {
      Reasons[code] = reason;
    }
  }
  return code;
}

// A call on a device: the handle must be open, and the driver may refuse it.
MMRESULT Check(HWAVEIN device, WaveCall call) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  return Remember(device->Driver->Refuse(call), "");
}

MMRESULT CheckHeader(WAVEHDR* header, UINT size) {
  if (header == nullptr || size != sizeof(WAVEHDR) || header->lpData == nullptr) return MMSYSERR_INVALPARAM;
  return MMSYSERR_NOERROR;
}

const char* BaseText(MMRESULT code) {
  switch (code) {
    case MMSYSERR_NOERROR: return "no error";
    case MMSYSERR_ERROR: return "the sound input device reported an error";
    case MMSYSERR_BADDEVICEID: return "no sound input device is available; connect one and start again";
    case MMSYSERR_ALLOCATED:
      return "the sound input device is not available: it may be in use by another program";
    case MMSYSERR_INVALHANDLE: return "the sound input device is not open";
    case MMSYSERR_NODRIVER: return "no sound system is available on this computer";
    case MMSYSERR_NOMEM: return "not enough memory for the sound input device";
    case MMSYSERR_INVALFLAG: return "the device was asked to notify in a way it does not support";
    case MMSYSERR_INVALPARAM: return "a capture buffer was handed to the device wrongly";
    case WAVERR_BADFORMAT: return "the device does not support 16-bit stereo at 11025 Hz";
    case WAVERR_STILLPLAYING: return "the device still holds capture buffers";
    case WAVERR_UNPREPARED: return "a capture buffer was not prepared for the device";
    default: return nullptr;
  }
}

}  // namespace

void WaveInDevice::Capture(const std::uint8_t* frames, std::size_t count) {
  while (count > 0) {
    WAVEHDR* head = nullptr;
    if (!Queued.Front(head)) {
      // No buffer to take them: the frames are dropped, and counted.
      Overflow.fetch_add(count, std::memory_order_relaxed);
      return;
    }
    const std::size_t room = (head->dwBufferLength - Filled) / FrameSize;
    const std::size_t take = std::min(room, count);
    std::memcpy(head->lpData + Filled, frames, take * FrameSize);
    Filled += take * FrameSize;
    frames += take * FrameSize;
    count -= take;
    if (Filled + FrameSize > head->dwBufferLength) Complete(head);
  }
}

// Returns the head buffer, marked done, and has its message posted.
void WaveInDevice::Complete(WAVEHDR* header) {
  WAVEHDR* popped = nullptr;
  Queued.Pop(popped);
  header->dwBytesRecorded = static_cast<DWORD>(Filled);
  header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
  Filled = 0;
  Completed.Push(header);
  Wake.release();
}

void WaveInDevice::Notify() {
  for (;;) {
    Wake.acquire();
    WAVEHDR* header = nullptr;
    while (Completed.Pop(header)) {
      Target->PostMessage(MM_WIM_DATA, reinterpret_cast<std::uintptr_t>(this),
                          reinterpret_cast<std::intptr_t>(header));
    }
    if (Ending.load() && Completed.Empty()) return;
  }
}

void SetWaveInDriver(WaveInDriver* driver) {
  std::lock_guard<std::mutex> guard(Lock);
  ChosenDriver = driver;
}

MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* pwfx, DWORD_PTR dwCallback,
                    DWORD_PTR, DWORD fdwOpen) {
  if (phwi == nullptr || pwfx == nullptr || dwCallback == 0) return MMSYSERR_INVALPARAM;
  if (fdwOpen != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  if (pwfx->wFormatTag != WAVE_FORMAT_PCM || pwfx->wBitsPerSample != 16 || pwfx->nChannels != 2 ||
      pwfx->nBlockAlign != FrameSize || pwfx->nAvgBytesPerSec != pwfx->nSamplesPerSec * FrameSize) {
    return WAVERR_BADFORMAT;
  }
  WaveInDriver* driver = nullptr;
  {
    std::lock_guard<std::mutex> guard(Lock);
    driver = ChosenDriver != nullptr ? ChosenDriver : &PortAudioWaveIn();
  }
  if (const MMRESULT refused = driver->Refuse(WaveCall::Open)) return Remember(refused, "");

  auto* device = new WaveInDevice;
  device->Driver = driver;
  device->Target = reinterpret_cast<MessageTarget*>(dwCallback);
  std::string reason;
  if (const MMRESULT result = driver->Open(uDeviceID, *pwfx, *device, reason)) {
    delete device;
    return Remember(result, reason);
  }
  device->Notifier = std::thread([device] { device->Notify(); });
  {
    std::lock_guard<std::mutex> guard(Lock);
    OpenDevices.insert(device);
  }
  *phwi = device;
  device->Target->PostMessage(MM_WIM_OPEN, reinterpret_cast<std::uintptr_t>(device), 0);
  return MMSYSERR_NOERROR;
}

MMRESULT waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh) {
  if (const MMRESULT r = Check(hwi, WaveCall::PrepareHeader)) return r;
  if (const MMRESULT r = CheckHeader(pwh, cbwh)) return r;
  pwh->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInAddBuffer(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh) {
  if (const MMRESULT r = Check(hwi, WaveCall::AddBuffer)) return r;
  if (const MMRESULT r = CheckHeader(pwh, cbwh)) return r;
  if ((pwh->dwFlags & WHDR_PREPARED) == 0) return WAVERR_UNPREPARED;
  if ((pwh->dwFlags & WHDR_INQUEUE) != 0 || pwh->dwBufferLength < FrameSize) return MMSYSERR_INVALPARAM;
  pwh->dwFlags = (pwh->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
  pwh->dwBytesRecorded = 0;
  if (!hwi->Queued.Push(pwh)) {
    pwh->dwFlags &= ~WHDR_INQUEUE;
    return MMSYSERR_NOMEM;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT waveInStart(HWAVEIN hwi) {
  if (const MMRESULT r = Check(hwi, WaveCall::Start)) return r;
  if (hwi->Started) return MMSYSERR_NOERROR;
  std::string reason;
  if (const MMRESULT r = hwi->Driver->Start(reason)) return Remember(r, reason);
  hwi->Started = true;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh) {
  if (const MMRESULT r = Check(hwi, WaveCall::UnprepareHeader)) return r;
  if (const MMRESULT r = CheckHeader(pwh, cbwh)) return r;
  if ((pwh->dwFlags & WHDR_INQUEUE) != 0) return WAVERR_STILLPLAYING;
  pwh->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInReset(HWAVEIN hwi) {
  if (const MMRESULT r = Check(hwi, WaveCall::Reset)) return r;
  hwi->Driver->Stop();
  hwi->Started = false;
  // The capture thread has stopped: this thread now returns the queue, the
  // partly filled head first, in order, each with its message.
  WAVEHDR* header = nullptr;
  while (hwi->Queued.Front(header)) hwi->Complete(header);
  return MMSYSERR_NOERROR;
}

MMRESULT waveInClose(HWAVEIN hwi) {
  if (const MMRESULT r = Check(hwi, WaveCall::Close)) return r;
  if (!hwi->Queued.Empty()) return WAVERR_STILLPLAYING;
  {
    std::lock_guard<std::mutex> guard(Lock);
    OpenDevices.erase(hwi);
  }
  hwi->Driver->Stop();
  hwi->Driver->Close();
  hwi->Ending.store(true);
  hwi->Wake.release();
  hwi->Notifier.join();  // every completion's message is out before the close notice
  hwi->Target->PostMessage(MM_WIM_CLOSE, reinterpret_cast<std::uintptr_t>(hwi), 0);
  delete hwi;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInGetErrorText(MMRESULT code, char* pszText, UINT cchText) {
  if (pszText == nullptr || cchText == 0) return MMSYSERR_INVALPARAM;
  const char* base = BaseText(code);
  std::string text = base != nullptr ? base : "unknown sound device error " + std::to_string(code);
  {
    std::lock_guard<std::mutex> guard(Lock);
    const auto reason = Reasons.find(code);
    if (reason != Reasons.end()) text += " (" + reason->second + ")";
  }
  const std::size_t n = std::min<std::size_t>(text.size(), cchText - 1);
  std::memcpy(pszText, text.data(), n);
  pszText[n] = '\0';
  return base != nullptr ? MMSYSERR_NOERROR : MMSYSERR_BADERRNUM;
}

std::uint64_t WaveInOverflowFrames(HWAVEIN hwi) {
  return IsOpen(hwi) ? hwi->Overflow.load(std::memory_order_relaxed) : 0;
}
