#include "AudioQuiet.h"

#include <dlfcn.h>

#include <alsa/asoundlib.h>

#include <mutex>

namespace {

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}

}  // namespace

void QuietAudioChatter() {
  static std::once_flag once;
  std::call_once(once, [] {
    snd_lib_error_set_handler(QuietAlsa);
    // JACK's reporters, if PortAudio brought JACK in: looked up at run time.
    using JackReporter = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
      if (void* set = dlsym(RTLD_DEFAULT, name)) reinterpret_cast<JackReporter>(set)(QuietJack);
    }
  });
}
