#pragma once

namespace Platform {
// Plays the player's click sound (mono, 22050 Hz, 16-bit, 2292 samples) to the sound
// output and returns once it was heard. Without a sound output it does nothing.
void PlayClickAndWait();
}  // namespace Platform
