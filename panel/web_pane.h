// SPDX-License-Identifier: MIT
// The panel's small browser: shows the built-in start page; "app:" links (any letter case) are not
// followed but handed to followAppLink.
#pragma once

#include <functional>

#include <QWebEnginePage>
#include <QWebEngineView>

namespace zonedesk {

/// The page that filters navigations. Chromium asks only about schemes it knows, so "app" is
/// registered before the application object exists (registerAppScheme).
class WebPanePage final : public QWebEnginePage
{
    Q_OBJECT

public:
    using QWebEnginePage::QWebEnginePage;

    std::function<void(const QString&)> onAppLink;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

class WebPane final : public QWebEngineView
{
    Q_OBJECT

public:
    static constexpr int WebPaneWidth = 340;
    static constexpr int WebPaneHeight = 288;

    explicit WebPane(QWidget* parent = nullptr);

    /// Takes the place (position) of `placeholder`, which it deletes, and loads the start page.
    void replacePlaceholder(QWidget* placeholder);

    /// Called with the address behind "app:" of a clicked link.
    std::function<void(const QString&)> onAppLink;

    /// The start page in the screen's language.
    static QUrl startPage();

    /// Registers the "app" scheme; call before the QApplication is created.
    static void registerAppScheme();

    /// Refuses every request for an "app:" address; install once a profile exists.
    static void installAppSchemeHandler();

private:
    WebPanePage* m_page;
};

} // namespace zonedesk
