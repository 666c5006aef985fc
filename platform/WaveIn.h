// Our waveform-audio input layer: the small set of calls, types and messages
// the capture ring uses, with the behaviour it relies on. Devices announce
// each filled buffer by posting MM_WIM_DATA to a MessageTarget; the drivers
// behind it are PortAudio (live) and a scripted one (tests).
#pragma once

#include <cstdint>

#include "MessageTarget.h"

using MMRESULT = std::uint32_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using DWORD_PTR = std::uintptr_t;

struct WaveInDevice;
using HWAVEIN = WaveInDevice*;

struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};

struct WAVEHDR {
  char* lpData;            // the buffer
  DWORD dwBufferLength;    // its size in bytes
  DWORD dwBytesRecorded;   // bytes filled when returned
  DWORD_PTR dwUser;
  DWORD dwFlags;           // WHDR_ bits
  DWORD dwLoops;
  WAVEHDR* lpNext;
  DWORD_PTR reserved;
};

inline constexpr WORD WAVE_FORMAT_PCM = 1;
inline constexpr UINT WAVE_MAPPER = 0xFFFFFFFFu;      // the system's default input
inline constexpr DWORD CALLBACK_WINDOW = 0x10000u;    // notify by posting to a target

inline constexpr DWORD WHDR_DONE = 0x1;       // returned by the device
inline constexpr DWORD WHDR_PREPARED = 0x2;   // usable by waveInAddBuffer
inline constexpr DWORD WHDR_INQUEUE = 0x10;   // queued on the device

// Notifications: wParam is the device handle; for MM_WIM_DATA lParam is the
// address of the returned WAVEHDR.
inline constexpr UINT MM_WIM_OPEN = 0x3BE;
inline constexpr UINT MM_WIM_CLOSE = 0x3BF;
inline constexpr UINT MM_WIM_DATA = 0x3C0;

// Results.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;         // unspecified device failure
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;   // no such device
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;     // in use, or not available
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;   // not an open device
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;      // no audio system
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MMSYSERR_BADERRNUM = 9;     // no text for this code
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;      // format not supported
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;   // buffers still queued
inline constexpr MMRESULT WAVERR_UNPREPARED = 34;     // header not prepared

// Opens an input device for recording in `format`. dwCallback is the
// MessageTarget* that receives the notifications; fdwOpen must be CALLBACK_WINDOW.
MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* pwfx, DWORD_PTR dwCallback,
                    DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh);
// Appends a prepared buffer to the device's queue; buffers are filled and
// returned in queue order.
MMRESULT waveInAddBuffer(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh);
MMRESULT waveInStart(HWAVEIN hwi);
MMRESULT waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh);
// Stops recording and returns every queued buffer at once, marked WHDR_DONE,
// each with its MM_WIM_DATA message.
MMRESULT waveInReset(HWAVEIN hwi);
MMRESULT waveInClose(HWAVEIN hwi);
// Writes a terminated text for `code`, at most cchText - 1 characters.
MMRESULT waveInGetErrorText(MMRESULT code, char* pszText, UINT cchText);

// Frames dropped because no buffer was queued when they arrived.
std::uint64_t WaveInOverflowFrames(HWAVEIN hwi);
