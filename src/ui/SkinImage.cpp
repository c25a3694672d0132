#include "ui/SkinImage.h"

#include "ui/SkinPackage.h"

#include <QPainter>
#include <QSvgRenderer>

namespace ui {

QPixmap skinPixmap(const QString &path, const QSize &size, qreal devicePixelRatio)
{
    const QByteArray bytes = SkinPackage::embedded().read(path);
    if (bytes.isEmpty())
        return QPixmap();
    if (!path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QPixmap pixmap;
        pixmap.loadFromData(bytes);
        return size.isEmpty() ? pixmap : pixmap.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QSvgRenderer renderer(bytes);
    if (!renderer.isValid())
        return QPixmap();
    const QSize logical = size.isEmpty() ? renderer.defaultSize() : size;
    QPixmap pixmap(logical * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(logical)));
    return pixmap;
}

QIcon skinIcon(const QString &path)
{
    QIcon icon;
    for (int side : { 16, 24, 32, 48 })
        icon.addPixmap(skinPixmap(path, QSize(side, side)));
    return icon;
}

} // namespace ui
