#include "platform/Sound.h"

namespace Platform {
void PlayClickAndWait() {}
}  // namespace Platform
