// SPDX-License-Identifier: MIT
// 查询历史: one name's lookups over time, newest first, and the reply the registry sent for the
// selected one.
#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QPlainTextEdit>
#include <QTableWidget>

#include "history/history_store.h"

namespace zonedesk {

class HistoryDialog final : public QDialog
{
    Q_OBJECT

public:
    /// `entries`: the name's lookups, newest first.
    HistoryDialog(std::vector<history::HistoryEntry> entries,
                  const std::string& domain,
                  QWidget* parent = nullptr);

    QTableWidget* lookups() const { return m_lookups; }

    QPlainTextEdit* reply() const { return m_reply; }

private:
    void showReply(int row);

    std::vector<history::HistoryEntry> m_entries;
    QTableWidget* m_lookups;
    QPlainTextEdit* m_reply;
};

} // namespace zonedesk
