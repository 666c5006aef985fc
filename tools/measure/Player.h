// Plays a test signal through the default output device.
#pragma once

#include <atomic>
#include <string>

#include "TestSignal.h"

namespace zizovez {

// Plays `signal` (once, or again and again with `forever`) until it is out
// or `stop` is set, then lets what is queued play out. False, with `error`
// saying why, if the device cannot be used.
bool PlayTestSignal(const TestSignal& signal, bool forever, const std::atomic<bool>& stop, std::string& error);

}  // namespace zizovez
