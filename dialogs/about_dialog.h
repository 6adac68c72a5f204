// SPDX-License-Identifier: MIT
// The About box: icon, name and version, licence, where the settings are, the libraries with
// their versions, the shipped data's dates, and 确定.
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

private:
    /// What the box says, line by line.
    static QString text();
};

} // namespace zonedesk
