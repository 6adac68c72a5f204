// SPDX-License-Identifier: MIT
#include "panel/web_pane.h"

#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include "ui/ui_language.h"

namespace zonedesk {

namespace {

const QByteArray AppScheme = QByteArrayLiteral("app");

/// A request that still reaches the scheme (typed into nothing, loaded by a script) is refused:
/// "app:" addresses only ever mean a command.
class RefusingSchemeHandler final : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    }
};

} // namespace

bool WebPanePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // The URL arrives with its scheme lower-cased, so "APP:" and "App:" match as well.
    const QString address = url.toString();
    if (address.left(4).compare(QStringLiteral("app:"), Qt::CaseInsensitive) == 0) {
        if (onAppLink)
            onAppLink(address.mid(4));
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

WebPane::WebPane(QWidget* parent)
    : QWebEngineView(parent)
    , m_page(new WebPanePage(this))
{
    m_page->onAppLink = [this](const QString& rest) {
        if (onAppLink)
            onAppLink(rest);
    };
    setPage(m_page);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void WebPane::replacePlaceholder(QWidget* placeholder)
{
    if (placeholder != nullptr) {
        move(placeholder->pos());
        delete placeholder;
    }
    resize(WebPaneWidth, WebPaneHeight);
    setUrl(startPage());
    show();
}

QUrl WebPane::startPage()
{
    return QUrl(uiLanguage() == UiLanguage::English ? QStringLiteral("qrc:/zonedesk/start_en.html")
                                                    : QStringLiteral("qrc:/zonedesk/start.html"));
}

void WebPane::registerAppScheme()
{
    QWebEngineUrlScheme scheme(AppScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Not a local scheme: Chromium refuses a page of another scheme (the start page is qrc:)
    // any navigation to a local one before the page is asked, so the link would do nothing.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void WebPane::installAppSchemeHandler()
{
    auto* profile = QWebEngineProfile::defaultProfile();
    if (profile->urlSchemeHandler(AppScheme) == nullptr)
        profile->installUrlSchemeHandler(AppScheme, new RefusingSchemeHandler(profile));
}

} // namespace zonedesk
