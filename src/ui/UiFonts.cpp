#include "UiFonts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace UiFonts {

QFont yaHei(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                   QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("Droid Sans Fallback")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont tahoma(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
                   QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

qreal scale(const QWidget *w) {
    const qreal dpi = w ? w->logicalDpiX()
                        : (QGuiApplication::primaryScreen()
                               ? QGuiApplication::primaryScreen()->logicalDotsPerInchX()
                               : 96.0);
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

int scaled(const QWidget *w, int px96) {
    return int(std::lround(px96 * scale(w)));
}

} // namespace UiFonts
