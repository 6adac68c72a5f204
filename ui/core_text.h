// SPDX-License-Identifier: MIT
// The Qt-free floors' texts on the screen (status words, column titles, error and skip reasons,
// kinds of change): their Chinese is the source text of the translation context "zonedesk::core".
#pragma once

#include <string_view>

#include <QString>

#include "history/record_changes.h"

namespace zonedesk {

inline constexpr const char* CoreTextContext = "zonedesk::core";

/// A UTF-8 text of the Qt-free floors in the screen's language. UI thread.
QString coreText(std::string_view utf8);

/// A GBK text of the Qt-free floors (a status word) in the screen's language. UI thread.
QString coreTextFromGbk(std::string_view gbk);

/// A change between two lookups as the list's tool tip and the history say it: "续费：A → B" in
/// Chinese (history::changeTextZh's words), "Renewed: A → B" in English. UI thread.
QString changeTextOnScreen(const history::Change& change);

} // namespace zonedesk
