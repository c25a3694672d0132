// Renders the application icon's SVG to a square PNG at build time, so the
// PNG in the icon theme never drifts from its source.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool sizeOk = false;
    const int size = arguments.size() == 4 ? arguments[3].toInt(&sizeOk) : 0;
    if (!sizeOk || size <= 0 || size > 4096) {
        std::fputs("usage: render-icon SOURCE.svg TARGET.png SIZE\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(arguments[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render-icon: cannot read %s\n", qPrintable(arguments[1]));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(arguments[2], "PNG")) {
        std::fprintf(stderr, "render-icon: cannot write %s\n", qPrintable(arguments[2]));
        return 1;
    }
    return 0;
}
