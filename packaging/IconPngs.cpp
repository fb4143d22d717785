#include "app/ToolbarGlyphs.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>

// Writes the program icon as the PNGs of an icon theme:
//   zelton-icon-pngs FOLDER NAME SIZE...  ->  FOLDER/<size>x<size>/apps/NAME.png
// The pictures come from the same drawing as the window icon, so the two never differ.
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: zelton-icon-pngs FOLDER NAME SIZE...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QIcon icon = applicationIcon();
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString sizeFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString file = sizeFolder + u'/' + name + QStringLiteral(".png");
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        if (size <= 0 || pixmap.size() != QSize(size, size) || !QDir().mkpath(sizeFolder) || !pixmap.save(file)) {
            std::fprintf(stderr, "zelton-icon-pngs: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
