#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

// The pictures of the main window, drawn as SVG files compiled into the program.
namespace MainPictures {

// Indices into the small images shared by the group tree and the address list.
enum SmallImage {
    Computer = 0, // the root node "网址"
    Crystal = 1, // the node "收藏夹" and favourite rows
    Binders = 2, // a group node
    Binder = 3, // an ordinary address row
    OpenFolder = 4, // the selected group or favourites node
};

// The five small images, in index order.
QList<QIcon> smallImages();
// A tree node's picture: `image` normally, `selectedImage` while the node is selected.
QIcon nodeIcon(int image, int selectedImage);

// A toolbar button's picture: a subdued drawing normally, the coloured one under the mouse.
QIcon toolButtonIcon(const QString &name);

// Tab pictures: 0 for the contents tab, 1 for the search tab.
QIcon tabImage(int index);

// The picture behind the toolbar band, stretched over its height.
QPixmap bandPicture(const QSize &size);

} // namespace MainPictures
