// SPDX-License-Identifier: MIT
// The program's plain message box: empty caption, one OK button, no icon.
#pragma once

#include <QMessageBox>

namespace zonedesk {

/// Shows `text` modally over `parent`. UI thread.
inline void tell(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace zonedesk
