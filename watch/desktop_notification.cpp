// SPDX-License-Identifier: MIT
#include "watch/desktop_notification.h"
