#pragma once
// Text reaching up into the file layer.
#include "core/fs/b.h"
