// Build tool: draws an SVG icon as PNG files of the given square sizes.
// Usage: vt_render_icon ICON.svg OUTPUT_FOLDER NAME SIZE...
// Writes OUTPUT_FOLDER/<size>x<size>/NAME.png for every size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: vt_render_icon ICON.svg OUTPUT_FOLDER NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "vt_render_icon: %s is not a readable SVG picture\n", qPrintable(args[1]));
        return 1;
    }
    for (int i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "vt_render_icon: %s is not an icon size\n", qPrintable(args[i]));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2").arg(args[2]).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        if (!QDir().mkpath(folder) || !image.save(folder + QLatin1Char('/') + args[3] + QStringLiteral(".png"))) {
            std::fprintf(stderr, "vt_render_icon: can not write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
