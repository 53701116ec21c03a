#pragma once
// Text and Qt's strings: every widget string passes here on its way in or out.

#include <QString>

#include "core/text/text.h"

namespace velmora {

QString toQString(const Text& text);
Text fromQString(const QString& text);

}  // namespace velmora
