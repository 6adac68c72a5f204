// SPDX-License-Identifier: MIT
// The font every dialog of the program is laid out in.
#pragma once

#include <QFont>

namespace zonedesk {

/// The dialog font: 宋体 9 pt where it exists, otherwise an installed CJK font.
QFont dialogFont();

} // namespace zonedesk
