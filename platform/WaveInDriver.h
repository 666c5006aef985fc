// What a capture driver does for the waveform-audio layer. The layer keeps
// the buffers and their queue; a driver only delivers frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "WaveIn.h"

// The calls of the layer, named so that a driver can refuse any of them.
enum class WaveCall { Open, PrepareHeader, AddBuffer, Start, UnprepareHeader, Reset, Close };

// Receives captured frames. Called on the driver's own thread (or the
// test's), one call at a time, never while the driver is stopped.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual void Capture(const std::uint8_t* frames, std::size_t count) = 0;
  // Frames the driver itself lost (for example an overflow below it).
  virtual void Lost(std::size_t count) = 0;
};

class WaveInDriver {
 public:
  virtual ~WaveInDriver() = default;
  // Opens the device for `format`; on failure `reason` may say why in the
  // driver's own words.
  virtual MMRESULT Open(UINT deviceId, const WAVEFORMATEX& format, FrameSink& sink,
                        std::string& reason) = 0;
  virtual MMRESULT Start(std::string& reason) = 0;
  // After it returns, Capture is not running and is not called again until Start.
  virtual void Stop() = 0;
  virtual void Close() = 0;
  // Lets a driver make a call fail before the layer carries it out.
  virtual MMRESULT Refuse(WaveCall) { return MMSYSERR_NOERROR; }
};

// The driver that waveInOpen uses from now on (nullptr: PortAudio). The
// caller keeps it alive while devices opened with it are open.
void SetWaveInDriver(WaveInDriver* driver);
WaveInDriver& PortAudioWaveIn();
