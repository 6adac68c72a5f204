// SPDX-License-Identifier: MIT
#include "ui/dialog_font.h"

#include <QStringList>

namespace zonedesk {

QFont dialogFont()
{
    QFont font(QStringLiteral("SimSun"), 9);
    font.setFamilies({QStringLiteral("SimSun"),
                      QStringLiteral("宋体"),
                      QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    return font;
}

} // namespace zonedesk
