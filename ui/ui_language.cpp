// SPDX-License-Identifier: MIT
#include "ui/ui_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zonedesk {

namespace {

constexpr const char* TranslatorName = "zonedesk-translation";

UiLanguage installed = UiLanguage::Chinese;

void install(const QString& file, const QString& folder)
{
    auto* translator = new QTranslator(qApp);
    if (translator->load(file, folder)) {
        translator->setObjectName(QLatin1String(TranslatorName));
        QCoreApplication::installTranslator(translator);
    } else {
        qWarning("zonedesk: the translation %s is not installed in %s", qPrintable(file), qPrintable(folder));
        delete translator;
    }
}

} // namespace

UiLanguage chooseUiLanguage(core::LanguageChoice choice, const QStringList& systemLanguages)
{
    switch (choice) {
    case core::LanguageChoice::Chinese: return UiLanguage::Chinese;
    case core::LanguageChoice::English: return UiLanguage::English;
    case core::LanguageChoice::System: break;
    }
    const QString first = systemLanguages.value(0);
    // The C locale is no one's language: it is what a bare system or a test runner has.
    if (first.isEmpty() || first == QLatin1String("C") || first == QLatin1String("POSIX") ||
        first.startsWith(QLatin1String("zh"), Qt::CaseInsensitive))
        return UiLanguage::Chinese;
    return UiLanguage::English;
}

UiLanguage chooseUiLanguage(core::LanguageChoice choice)
{
    return chooseUiLanguage(choice, QLocale::system().uiLanguages());
}

void installUiLanguage(UiLanguage language)
{
    if (qApp == nullptr)
        return;
    for (QTranslator* old :
         qApp->findChildren<QTranslator*>(QLatin1String(TranslatorName), Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(old);
        delete old;
    }
    installed = language;
    if (language == UiLanguage::English) {
        // Qt's own texts are English already.
        install(QStringLiteral("zonedesk_en"), QStringLiteral(":/zonedesk/i18n"));
        return;
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* file : {"qtbase_zh_CN", "qtwebengine_zh_CN"})
        install(QLatin1String(file), folder);
}

UiLanguage uiLanguage()
{
    return installed;
}

} // namespace zonedesk
