#pragma once
#include <vector>

#include "tools/SkinFiles.h"

// The player's own default skin: every bitmap a window cuts from, drawn with
// QPainter in one consistent look (slate body, teal display, amber accents),
// plus its "pledit.txt".
std::vector<SkinFile> DefaultSkinFiles();
