// SPDX-License-Identifier: MIT
// The program's message boxes: an empty caption; a plain one with one OK button and no icon, modal
// or not, and a question with Yes and No.
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

/// Shows `text` over `parent` without holding anything up; the box deletes itself once closed.
/// UI thread.
inline QMessageBox* notify(QWidget* parent, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, emptyCaption(), text, QMessageBox::Ok, parent);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return box;
}

/// Asks `question` modally over `parent` with Yes and No; true for Yes. UI thread.
inline bool ask(QWidget* parent, const QString& question)
{
    QMessageBox box(
        QMessageBox::Question, emptyCaption(), question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace zonedesk
