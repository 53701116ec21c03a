#pragma once
// Two units of one wing that need each other.
#include "core/fs/c.h"
