#pragma once

#include <QIcon>
#include <QString>

#include <functional>

// One icon per picture for the whole program, made at its first use and kept until the
// application object ends. Windows made again and again (each automation call makes an
// editor) must not make their pictures anew: Qt caches the rendered pixmaps of every new
// SVG icon under a key of its own, so each new icon would add to that cache for good.
namespace SharedIcons {

// The icon of one picture file (a resource path such as ":/window/close.svg"). An SVG file
// whose copy was drawn when the program was built (see src/CMakeLists.txt) is drawn from
// that copy at the copy's size and read only for other sizes.
QIcon fromFile(const QString &path);
// The icon known by `key`, made by `make` the first time.
QIcon cached(const QString &key, const std::function<QIcon()> &make);
// An icon made by `make` only when it is first drawn or measured.
QIcon deferred(std::function<QIcon()> make);

} // namespace SharedIcons
