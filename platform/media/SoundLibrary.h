#pragma once
#include <stddef.h>
#include <stdint.h>

// libtarnello-sound.so: short sounds to the sound output, for the player itself. A
// library of its own, opened at the first sound, so an idle player maps no sound
// server client.
#ifdef __cplusplus
extern "C" {
#endif
// Plays mono 16-bit samples at 22050 Hz to the sound output and returns once they
// were heard. 1 when played; 0 when no output could be opened.
// The output is the one TARNELLO_CLICK_AUDIO names, else the one TARNELLO_AUDIO
// names, except that a "wav:" or "wav-timed:" file there belongs to the media player control: the
// sounds then go to a timed null output rather than into that file.
int32_t PlayPcmAndWait(const int16_t* samples, size_t frames);
#ifdef __cplusplus
}
#endif

#define TARNELLO_SOUND_LIBRARY "libtarnello-sound.so"
#define TARNELLO_SOUND_FUNCTION "PlayPcmAndWait"
/* SoundOutput* TarnelloOpenSoundOutput(const char* spec): the media player
   control's outputs (see OpenSoundOutput in SoundOutput.h). */
#define TARNELLO_SOUND_OUTPUT_FUNCTION "TarnelloOpenSoundOutput"
