#pragma once

namespace Platform {
// Plays the player's click sound to the sound output and returns once it was heard.
void PlayClickAndWait();
}  // namespace Platform
