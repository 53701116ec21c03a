#include "ui/qt_text.h"

namespace velmora {

QString toQString(const Text& text) { return QString::fromStdString(text.toUtf8()); }
Text fromQString(const QString& text) { return Text::fromUtf8(text.toStdString()); }

}  // namespace velmora
