// SPDX-License-Identifier: MIT
// The screen's language: Chinese, the program's own, unless the settings or the system ask for
// another, which is then English (the one translation there is).
#pragma once

#include <QStringList>

#include "core/user_settings.h"

namespace zonedesk {

enum class UiLanguage
{
    Chinese,
    English,
};

/// [user] language when it names a language; otherwise the first of the system's UI languages:
/// Chinese for "zh…", and for none or the C/POSIX locale (the program's own language), English for
/// any other.
UiLanguage chooseUiLanguage(core::LanguageChoice choice, const QStringList& systemLanguages);

/// The same with QLocale::system().uiLanguages() (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
UiLanguage chooseUiLanguage(core::LanguageChoice choice);

/// Installs the translations of `language` in place of any installed before: the program's
/// English texts, or Qt's own Chinese ones (file dialogs, standard buttons). UI thread, once the
/// application object exists and before any window is made.
void installUiLanguage(UiLanguage language);

/// The language installed last; Chinese before any.
UiLanguage uiLanguage();

} // namespace zonedesk
