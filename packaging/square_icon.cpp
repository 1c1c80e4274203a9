// Centres the window icon on a transparent square: icon themes (hicolor)
// expect square pictures, and the gear is 85 x 68. The picture is not
// scaled, so its pixels stay as drawn.
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE.png SIZE TARGET.png\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    if (source.isNull() || size < source.width() || size < source.height()) {
        std::fprintf(stderr, "%s: cannot centre %s on a %s-pixel square\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    QImage square(size, size, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((size - source.width()) / 2, (size - source.height()) / 2, source);
    painter.end();
    return square.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
