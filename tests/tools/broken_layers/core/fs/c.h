#pragma once
#include "core/fs/b.h"
#include "core/text/a.h"
