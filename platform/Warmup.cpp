#include "platform/Warmup.h"

#include <QFontDatabase>

#include "platform/Canvas.h"

namespace Platform {

Warmup::Warmup(const std::function<void()>& work) {
  if (work) thread_ = std::thread(work);
}

Warmup::~Warmup() {
  if (thread_.joinable()) thread_.join();
}

Warmup WarmFonts() {
  return Warmup([] { QFontDatabase::hasFamily(Canvas::DefaultFace()); });
}

}  // namespace Platform
