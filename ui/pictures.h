#pragma once
// The pictures of the picture button and of the thanks window, drawn rather than stored.

#include <QPixmap>

namespace velmora {

/// Four coloured characters inviting a tip.
QPixmap tipPicture(QSize size);
/// The pictures of the thanks window, index 0 to 3.
QPixmap thanksPicture(int index, QSize size);

}  // namespace velmora
