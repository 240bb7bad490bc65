#pragma once

#include <QIcon>

namespace dwfm {

// The pictures of the location tree's image list: 1 a closed folder, 2 an open folder,
// 3 a new folder, 4 search results. They come from the desktop's icon theme, so the tree looks like the
// desktop's own file manager; without a theme the style's standard folder pictures are
// used. Any other index has no picture.
QIcon treeImage(int image);

} // namespace dwfm
