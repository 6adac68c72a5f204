// SPDX-License-Identifier: MIT
#include "watch/watch_message.h"
