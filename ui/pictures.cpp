#include "ui/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace velmora {
namespace {

QFont pictureFont(int pixels, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

QPixmap tipPicture(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QString word = QStringLiteral("赞赏一下");
    const QColor colours[] = {QColor(0xE8, 0x5D, 0x4A), QColor(0xF2, 0xA5, 0x3A), QColor(0x3F, 0xA7, 0x7A),
                              QColor(0x3D, 0x7E, 0xD8)};
    p.setFont(pictureFont(size.height() * 11 / 20, true));
    const int cell = size.width() / 4;
    for (int i = 0; i < 4; ++i) {
        p.setPen(colours[i]);
        p.drawText(QRect(i * cell, 0, cell, size.height()), Qt::AlignCenter, word.mid(i, 1));
    }
    return pixmap;
}

QPixmap thanksPicture(int index, QSize size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor tones[][2] = {{QColor(0x3D, 0x7E, 0xD8), QColor(0x6C, 0xC5, 0xE8)},
                               {QColor(0x3F, 0xA7, 0x7A), QColor(0xA6, 0xDB, 0x7C)},
                               {QColor(0xE8, 0x5D, 0x4A), QColor(0xF2, 0xA5, 0x3A)},
                               {QColor(0x8A, 0x5C, 0xD8), QColor(0xE0, 0x7C, 0xC4)}};
    const auto& tone = tones[index % 4];
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, tone[0]);
    gradient.setColorAt(1, tone[1]);
    p.fillRect(pixmap.rect(), gradient);
    p.setPen(Qt::white);
    const bool large = size.width() >= 150;
    p.setFont(pictureFont(large ? size.height() / 5 : size.height() / 2, true));
    const QString captions[] = {QStringLiteral("谢谢你"), QStringLiteral("感谢支持"), QStringLiteral("谢谢"),
                                QStringLiteral("加油")};
    if (large) {
        QPainterPath heart;
        const qreal w = size.width();
        const qreal h = size.height();
        heart.moveTo(w / 2, h * 0.42);
        heart.cubicTo(w * 0.2, h * 0.05, w * 0.02, h * 0.45, w / 2, h * 0.72);
        heart.cubicTo(w * 0.98, h * 0.45, w * 0.8, h * 0.05, w / 2, h * 0.42);
        p.fillPath(heart, QColor(255, 255, 255, 90));
    }
    p.drawText(pixmap.rect(), Qt::AlignCenter, captions[index % 4]);
    return pixmap;
}

}  // namespace velmora
