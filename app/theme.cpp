#include "app/theme.h"

#include <QApplication>
#include <QColor>
#include <QFile>

#include <algorithm>

namespace velmora {
namespace {

struct Token {
    const char* name;
    QColor colour;
};

const Token kPalette[] = {
    {"window", QColor(0xF3, 0xF5, 0xF8)},        {"panel", QColor(0xFF, 0xFF, 0xFF)},
    {"field", QColor(0xFF, 0xFF, 0xFF)},         {"text", QColor(0x24, 0x2B, 0x36)},
    {"muted", QColor(0x5B, 0x66, 0x75)},         {"border", QColor(0xD5, 0xDB, 0xE3)},
    {"accent", QColor(0x3D, 0x7E, 0xD8)},        {"accentHover", QColor(0x4F, 0x8D, 0xE4)},
    {"accentPressed", QColor(0x2F, 0x69, 0xBA)}, {"onAccent", QColor(0xFF, 0xFF, 0xFF)},
    {"hover", QColor(0xE6, 0xEE, 0xF9)},         {"focus", QColor(0x16, 0x33, 0x5C)},
    {"focusTint", QColor(0xC6, 0xDA, 0xF6)},
};

QColor shifted(const QColor& colour, int hue, int level) {
    float h = 0;
    float s = 0;
    float l = 0;
    float a = 0;
    colour.getHslF(&h, &s, &l, &a);
    if (h >= 0) h = std::fmod(h + static_cast<float>(hue) / 360.0f + 1.0f, 1.0f);
    l = std::clamp(l + (level >= 0 ? (1.0f - l) : l) * static_cast<float>(level) / 100.0f, 0.0f, 1.0f);
    return QColor::fromHslF(h < 0 ? 0 : h, s, l, a);
}

}  // namespace

SkinArguments clampSkinArguments(int hue, int level) {
    return {std::clamp(hue, -180, 180), std::clamp(level, -100, 100)};
}

bool Theme::attachRes(const QByteArray& data) {
    template_ = QString::fromUtf8(data);
    return loaded();
}

void Theme::adjustHSV(int hue, int level) {
    if (!loaded()) return;
    const SkinArguments args = clampSkinArguments(hue, level);
    QString sheet = template_;
    for (const Token& token : kPalette)
        sheet.replace(QLatin1Char('@') + QLatin1String(token.name) + QLatin1Char('@'),
                      shifted(token.colour, args.hue, args.level).name());
    applied_ = sheet;
    app_.setStyleSheet(sheet);
}

void Theme::detach() {
    template_.clear();
    applied_.clear();
    app_.setStyleSheet(QString());
}

QByteArray themeData() {
    QFile file(QStringLiteral(":/theme.qss"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void skinAttach(Theme& theme, const QByteArray& data, int hue, int level) {
    const SkinArguments args = clampSkinArguments(hue, level);
    if (!theme.attachRes(data)) return;  // without a theme the window stays plain and usable
    theme.adjustHSV(args.hue, args.level);
}

}  // namespace velmora
