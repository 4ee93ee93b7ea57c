#include "platform/FontWarmup.h"

#include <QFontDatabase>

#include "platform/Canvas.h"

namespace Platform {

FontWarmup::FontWarmup() : thread_([] { QFontDatabase::hasFamily(Canvas::DefaultFace()); }) {}

FontWarmup::~FontWarmup() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace Platform
