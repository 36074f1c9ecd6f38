#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The pictures of the import window, drawn as SVG files compiled into the program.
namespace ImportPictures {

// A tool button's picture by its file name ("tb_ie"): a subdued drawing at rest, the
// coloured one under the mouse.
QIcon toolButtonIcon(const QString &name);

// The picture of a row whose address is stored already.
QIcon duplicateIcon();

// One tile of the band behind the tool bar, `height` pixels high; it repeats sideways.
QPixmap bandTile(int height);

} // namespace ImportPictures
