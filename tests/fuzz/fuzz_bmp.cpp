// Any byte string given to the bitmap reader gives an image or none, within budget.
#include <cstdint>
#include <cstdlib>

#include "skin/BmpReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QImage image = Bmp::Decode(data, size);
  if (!image.isNull() && qint64(image.width()) * image.height() > Bmp::kMaxPixels) std::abort();
  return 0;
}
