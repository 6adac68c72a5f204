// SPDX-License-Identifier: MIT
#include "watch/mail_sender.h"
