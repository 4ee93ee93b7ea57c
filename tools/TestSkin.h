#pragma once
#include <QByteArray>
#include <vector>

#include "tools/SkinFiles.h"

// A skin for tests: every sprite is one flat colour of its own, so a screenshot
// tells which sprite is on screen. Pixels outside every sprite are black.
std::vector<SkinFile> TestSkinFiles();
// The map tests read the screen back with, as JSON: for each sprite its bitmap,
// rectangle and colour ("#rrggbb"), plus the colours of "pledit.txt".
QByteArray TestSkinMap();
