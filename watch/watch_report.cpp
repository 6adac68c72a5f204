// SPDX-License-Identifier: MIT
#include "watch/watch_report.h"
