// SPDX-License-Identifier: MIT
#include "app/about_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/dialog_font.h"

namespace zonedesk {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于"));
    setFont(dialogFont());
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/zonedesk/zonedesk.png"))
                        .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* text = new QLabel(
        QStringLiteral("%1 %2 版").arg(QLatin1String(ProgramName), QLatin1String(ProgramVersion)), this);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(text, 0, 1, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    setFixedSize(sizeHint().expandedTo(QSize(352, 125)));
}

} // namespace zonedesk
