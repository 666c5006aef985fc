#include "CaptureRing.h"

using zizovez::BlockBytes;
using zizovez::CaptureBlock;

TCaptureRing::~TCaptureRing() {
  if (WaveIn == nullptr || Closing) return;
  waveInReset(WaveIn);
  for (WAVEHDR& header : WaveHeaders) {
    if ((header.dwFlags & WHDR_DONE) != 0) waveInUnprepareHeader(WaveIn, &header, sizeof(WAVEHDR));
  }
  waveInClose(WaveIn);
}

bool TCaptureRing::OpenDevice(MessageTarget* target) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 11025;
  format.nAvgBytesPerSec = 44100;
  format.nBlockAlign = 4;
  format.wBitsPerSample = 16;
  format.cbSize = 0;
  const MMRESULT result = waveInOpen(&WaveIn, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(target),
                                     0, CALLBACK_WINDOW);
  if (result != MMSYSERR_NOERROR) {
    ReportWaveError("waveInOpen: ", result);
    return false;
  }
  return true;
}

void TCaptureRing::QueueAll() {
  for (int i = 0; i < BufferCount; ++i) QueueBuffer(i);
  NextBuffer = 0;
}

void TCaptureRing::StartRecording() {
  Closing = false;
  const MMRESULT result = waveInStart(WaveIn);
  if (result != MMSYSERR_NOERROR) ReportWaveError("waveInStart: ", result);
}

void TCaptureRing::QueueBuffer(int index) {
  WAVEHDR& header = WaveHeaders[index];
  header.lpData = reinterpret_cast<char*>(WaveBuffers + BlockBytes * index);
  header.dwBufferLength = BlockBytes;
  header.dwFlags = 0;
  MMRESULT result = waveInPrepareHeader(WaveIn, &header, sizeof(WAVEHDR));
  if (result != MMSYSERR_NOERROR) {
    ReportWaveError("waveInPrepareHeader: ", result);
    return;
  }
  result = waveInAddBuffer(WaveIn, &header, sizeof(WAVEHDR));
  if (result != MMSYSERR_NOERROR) ReportWaveError("waveInAddBuffer: ", result);
}

void TCaptureRing::HandleWimData(std::intptr_t lParam) {
  if (Closing) return;
  // The ring's own count says which buffer to analyse and queue again; the
  // message only names the header to unprepare. In undisturbed operation the
  // two are the same; after a buffer dropped out, the ring runs one block late.
  const int k = NextBuffer;
  NextBuffer = (k + 1) % BufferCount;
  const MMRESULT result = waveInUnprepareHeader(WaveIn, reinterpret_cast<WAVEHDR*>(lParam), sizeof(WAVEHDR));
  if (result != MMSYSERR_NOERROR) {
    ReportWaveError("waveInUnprepareHeader: ", result);
    return;
  }
  // Always the whole block, whatever dwBytesRecorded says.
  AnalyseCapture(CaptureBlock(WaveBuffers + BlockBytes * k, BlockBytes));
  QueueBuffer(k);
}

void TCaptureRing::StopSequence() {
  waveInReset(WaveIn);
  Closing = true;
  for (int i = 0; i < BufferCount; ++i) {
    if ((WaveHeaders[i].dwFlags & WHDR_DONE) != 0) {
      const MMRESULT result = waveInUnprepareHeader(WaveIn, &WaveHeaders[i], sizeof(WAVEHDR));
      if (result != MMSYSERR_NOERROR) ReportWaveError("waveInUnprepareHeader: ", result);
    }
  }
  waveInClose(WaveIn);
}

void TCaptureRing::ReportWaveError(const char* prefix, MMRESULT code) {
  char text[256];
  waveInGetErrorText(code, text, sizeof text);
  ShowReport(std::string(prefix) + text);
}
