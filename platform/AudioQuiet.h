// Keeps ALSA and JACK from printing what they probe on standard error while
// PortAudio starts up, so that users see only our messages. Idempotent.
#pragma once

void QuietAudioChatter();
