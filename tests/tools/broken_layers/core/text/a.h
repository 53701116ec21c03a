#pragma once
// Text reaching up into the file layer, and naming a widget.
#include "core/fs/b.h"
inline const char* box() { return velmora::component::编辑框1.name.data(); }
