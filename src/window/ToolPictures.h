#pragma once

#include <QIcon>
#include <QPixmap>

// Pictures of flat tool bars: a button shows a subdued drawing at rest and the coloured
// one under the mouse.
namespace ToolPictures {

// Colours pulled two thirds of the way toward their grey.
QPixmap subdued(const QPixmap &picture);
// The icon of a tool button drawn as `hot`.
QIcon hotTracked(const QPixmap &hot);

} // namespace ToolPictures
