// SPDX-License-Identifier: MIT
// The About box: icon, name and version, and 确定.
#pragma once

#include <QDialog>

namespace zonedesk {

inline constexpr const char* ProgramName = "zonedesk";
inline constexpr const char* ProgramVersion = "1.0713";

class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace zonedesk
