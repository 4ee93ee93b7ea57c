// Any colour file is read without fault; colours are always 24-bit values.
#include <cstdint>
#include <cstdlib>

#include "skin/SkinSet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SkinColours colours;
  ParseColourText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), colours);
  for (Colour c : {colours.normalText, colours.currentText, colours.normalBackground, colours.selectedBackground})
    if (c > 0xFFFFFF) std::abort();
  return 0;
}
