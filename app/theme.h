#pragma once
// Our own theme layer, called where a skin library would be: attach the theme data, adjust its
// hue and level, detach before the window goes.

#include <QByteArray>
#include <QString>

class QApplication;

namespace velmora {

struct SkinArguments {
    int hue;  ///< -180 .. 180 degrees
    int level;  ///< -100 .. 100 per cent of lightness
};

/// Out-of-range values become the nearest bound.
SkinArguments clampSkinArguments(int hue, int level);

class Theme {
public:
    explicit Theme(QApplication& app) : app_(app) {}
    /// Takes the theme data (a style sheet with colour tokens); false when it is unusable.
    bool attachRes(const QByteArray& data);
    /// Shifts the theme's colours and applies them.
    void adjustHSV(int hue, int level);
    /// Back to the plain style.
    void detach();
    bool loaded() const { return !template_.isEmpty(); }
    const QString& styleSheet() const { return applied_; }

private:
    QApplication& app_;
    QString template_;
    QString applied_;
};

/// The theme carried by the program.
QByteArray themeData();
/// Attaches data and adjusts it by hue and level, clamped.
void skinAttach(Theme& theme, const QByteArray& data, int hue, int level);

}  // namespace velmora
