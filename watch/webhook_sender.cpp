// SPDX-License-Identifier: MIT
#include "watch/webhook_sender.h"
