// SPDX-License-Identifier: MIT
// The program's plain message box: an empty caption, one OK button, no icon.
#pragma once

#include <QMessageBox>

namespace zonedesk {

/// The caption of the program's message boxes. Empty by intent, but Qt on X11 fills an empty
/// title with the program's name before the window manager sees it; a single blank is a caption
/// that shows as empty.
inline QString emptyCaption()
{
    return QStringLiteral(" ");
}

/// Shows `text` modally over `parent`. UI thread.
inline void tell(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, emptyCaption(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace zonedesk
