// SPDX-License-Identifier: MIT
#include "dialogs/about_dialog.h"

#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "core/data_dates.h"
#include "core/data_files.h"
#include "core/library_versions.h"
#include "core/service_choice.h"
#include "ui/dialog_font.h"
#include "ui/settings_path.h"

namespace zonedesk {

namespace {

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString AboutDialog::text()
{
    QStringList lines = {
        tr("%1 %2 版").arg(QLatin1String(ProgramName), QLatin1String(ProgramVersion)),
        tr("许可证：MIT"),
    };
    // Beside the program in a build folder, in the user's configuration folder once installed.
    if (const std::filesystem::path settings = settingsFilePath(); !settings.empty())
        lines << tr("设置文件：%1").arg(QFile::decodeName(QByteArray::fromStdString(settings.string())));
    lines << QString() << tr("使用的库：") << QStringLiteral("Qt %1").arg(QLatin1String(qVersion()));
    for (const core::LibraryVersion& library : core::libraryVersions())
        lines << utf8(library.name) + QLatin1Char(' ') + utf8(library.version);
    lines << QString() << tr("数据文件：");
    for (const core::DataFileDate& file : core::dataFileDates(core::defaultServiceData(), core::dataDir()))
        lines << tr("%1：%2").arg(utf8(file.file), file.date.empty() ? tr("日期不详") : utf8(file.date));
    return lines.join(QLatin1Char('\n'));
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("关于"));
    setFont(dialogFont());
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/zonedesk/zonedesk.png"))
                        .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* text = new QLabel(AboutDialog::text(), this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* ok = new QPushButton(tr("确定"), this);
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
