#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace ui {

// An image of the skin package (SVG or any format Qt reads) drawn at a size;
// a null pixmap when the image is missing.
QPixmap skinPixmap(const QString &path, const QSize &size, qreal devicePixelRatio = 1.0);
QIcon skinIcon(const QString &path);

} // namespace ui
