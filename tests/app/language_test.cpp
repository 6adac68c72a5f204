// SPDX-License-Identifier: MIT
// The screen's language under a window manager (scripts/run-gui-test --wm): Chinese on a Chinese
// or a C locale, English on any other, [user] language over both; the menus, the panel, the status
// bar, the boxes, the list, the About box and the start page follow it, and so do Qt's own buttons.
// The system's language is the process's: main() sets it from --system=en|zh|C before the
// application object exists, as a user's session would.
#include <cstring>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include "app/application.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "dialogs/about_dialog.h"
#include "dialogs/history_dialog.h"
#include "history/record_changes.h"
#include "listfile/domain_import.h"
#include "panel/web_pane.h"
#include "tests/support/gui_test_main.h"
#include "tests/support/program_fixture.h"
#include "tests/support/temp_dir.h"
#include "ui/core_text.h"
#include "ui/ui_language.h"
#include "view/domain_list_model.h"
#include "view/domain_list_view.h"

Q_DECLARE_METATYPE(zonedesk::core::LanguageChoice)
Q_DECLARE_METATYPE(zonedesk::UiLanguage)

namespace zonedesk {

namespace {

/// The session's language as main() set it up.
UiLanguage systemLanguage = UiLanguage::Chinese;

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// Every text the Qt-free floors give the screen, as they give it (UTF-8).
std::vector<std::string> coreScreenTexts()
{
    std::vector<std::string> texts;
    for (std::int32_t status = 0; status <= 3; ++status)
        texts.push_back(core::gbkToUtf8(core::statusText(status)));
    const auto table = core::DomainTable::allocate();
    table->setCount(1);
    (*table)[0].server[0] = 'x'; // a name with a server, waiting for its lookup
    texts.push_back(core::gbkToUtf8(core::recordStatusText((*table)[0])));
    for (const std::string_view title : core::LeadingColumnTitles)
        texts.emplace_back(title);
    for (const core::ResultField& field : core::ResultFields)
        texts.emplace_back(field.title);
    for (std::uint8_t reason = 1; !core::errorReasonKey(reason).empty(); ++reason)
        texts.emplace_back(core::errorReasonTextZh(reason));
    for (std::size_t reason = 0; reason < listfile::SkipReasonCount; ++reason)
        texts.emplace_back(listfile::skipReasonTextZh(static_cast<listfile::SkipReason>(reason)));
    using history::ChangeKind;
    for (const ChangeKind kind : {ChangeKind::Dropped,
                                  ChangeKind::Registered,
                                  ChangeKind::Renewed,
                                  ChangeKind::ExpiryMovedBack,
                                  ChangeKind::RegistrarChanged,
                                  ChangeKind::OwnerChanged})
        texts.emplace_back(history::changeKindTextZh(kind));
    return texts;
}

} // namespace

class LanguageTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    /// `zh` or `en`, as `language` speaks.
    static QString inLanguage(UiLanguage language, const char* zh, const char* en)
    {
        return QString::fromUtf8(language == UiLanguage::English ? en : zh);
    }

    static UiLanguage other(UiLanguage language)
    {
        return language == UiLanguage::English ? UiLanguage::Chinese : UiLanguage::English;
    }

    /// The start page's <html lang>, once the page has loaded.
    QString startPageLanguage()
    {
        QString lang;
        (void)QTest::qWaitFor(
            [&] {
                bool answered = false;
                panel().webPane()->page()->runJavaScript(
                    QStringLiteral("document.readyState === 'complete' ? document.documentElement.lang : ''"),
                    [&](const QVariant& result) {
                        lang = result.toString();
                        answered = true;
                    });
                return QTest::qWaitFor([&] { return answered; }, 5000) && !lang.isEmpty();
            },
            20000);
        return lang;
    }

    /// Starts the program with `config` and goes through it as a user would, checking that every
    /// place speaks `language`.
    void checkScreenSpeaks(UiLanguage language, std::string_view config)
    {
        QVERIFY(startProgram(config));
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        QCOMPARE(uiLanguage(), language);
        const auto say = [language](const char* zh, const char* en) { return inLanguage(language, zh, en); };

        QStringList menus;
        for (const QAction* menu : mainWindow().menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus,
                 language == UiLanguage::English ? QStringList({QStringLiteral("&File"),
                                                                QStringLiteral("&Edit"),
                                                                QStringLiteral("&View"),
                                                                QStringLiteral("&Help")})
                                                 : QStringList({QStringLiteral("文件(&F)"),
                                                                QStringLiteral("编辑(&E)"),
                                                                QStringLiteral("查看(&V)"),
                                                                QStringLiteral("帮助(&H)")}));
        QCOMPARE(panel().importButton()->text(), say("导入域名", "Import"));
        QCOMPARE(panel().startButton()->text(), say("开始查询", "Start"));
        QCOMPARE(panel().exportButton()->text(), say("导出数据", "Export"));
        QCOMPARE(mainWindow().panelBar().windowTitle(), say("侧边栏", "Sidebar"));
        QCOMPARE(mainWindow().paneText(0), say("就绪", "Ready"));
        QCOMPARE(mainWindow().view().model()->headerData(1, Qt::Horizontal).toString(),
                 say("域名", "Domain"));
        QCOMPARE(startPageLanguage(), say("zh-CN", "en"));
        // The English texts fit the places the panel's template drew for the Chinese ones.
        const QList<QWidget*> placed =
            language == UiLanguage::English ? panel().findChildren<QWidget*>() : QList<QWidget*>();
        for (QWidget* widget : placed) {
            if (auto* button = qobject_cast<QPushButton*>(widget))
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                         qPrintable(button->text()));
            else if (qobject_cast<QCheckBox*>(widget) != nullptr || qobject_cast<QLabel*>(widget) != nullptr)
                QVERIFY2(widget->sizeHint().width() <= widget->width(), widget->metaObject()->className());
        }

        // A box of the program's own, with Qt's button, answered with the mouse.
        QString text;
        QString button;
        test::ModalWatcher<QMessageBox> emptyList([&](QMessageBox* box) {
            text = box->text();
            button = box->button(QMessageBox::Ok)->text();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        QTest::mouseClick(panel().exportButton(), Qt::LeftButton);
        QTRY_VERIFY(emptyList.seen);
        QCOMPARE(
            text,
            say("列表中没有域名，没有可导出的数据。", "The list has no names: there is nothing to export."));
        QCOMPARE(button, say("确定", "OK"));

        // An import that leaves a line out says so, a core reason among its words, counted.
        const auto list = m_dir->write("names.txt", "example.de\nnodot\n");
        panel().chooseImportFile = [list] { return QString::fromStdString(list.string()); };
        test::ModalWatcher<QMessageBox> imported([&](QMessageBox* box) {
            text = box->text();
            box->accept();
        });
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_VERIFY(imported.seen);
        QCOMPARE(text,
                 say("导入了 1 个域名（ASCII 编码）。\n1 行没有点号，未导入。",
                     "Imported 1 name (ASCII encoding).\n1 line without a dot: not imported."));
        QTRY_COMPARE(mainWindow().paneText(2), say("域名数量：1", "Names: 1"));

        // F5 runs the list (a name no registry of the ten serves: nothing goes out) to its end.
        mainWindow().activateWindow();
        QVERIFY(activateMainWindow());
        QTest::keyClick(&mainWindow(), Qt::Key_F5);
        QTRY_COMPARE(mainWindow().paneText(0),
                     say("操作结束！ 0 个域名将在 30 天内到期", "Done! 0 names expire within 30 days"));
        QCOMPARE(mainWindow().view().model()->index(0, 2).data().toString(),
                 say("无whois服务器", "No WHOIS server"));

        // Help > About from the keyboard.
        QString title;
        QString ok;
        QString about;
        test::ModalWatcher<AboutDialog> aboutBox([&](AboutDialog* dialog) {
            title = dialog->windowTitle();
            ok = dialog->findChild<QPushButton*>()->text();
            about = dialog->findChild<QLabel*>(QStringLiteral("aboutText"))->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(&mainWindow(), Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
        QTRY_VERIFY(aboutBox.seen);
        QCOMPARE(title, say("关于", "About"));
        QCOMPARE(ok, say("确定", "OK"));
        QVERIFY2(about.contains(say("许可证：MIT", "Licence: MIT")), qPrintable(about));
    }

private Q_SLOTS:

    void initTestCase()
    {
        QVERIFY2(!QGuiApplication::platformName().compare(QStringLiteral("xcb")), "needs X");
    }

    void cleanup() { dropProgram(); }

    void theSettingOrTheSystemsFirstLanguageDecides_data()
    {
        QTest::addColumn<core::LanguageChoice>("choice");
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<UiLanguage>("expected");
        using core::LanguageChoice;
        const QStringList en = {QStringLiteral("en-US"), QStringLiteral("en")};
        const QStringList zh = {QStringLiteral("zh-CN"), QStringLiteral("zh-Hans-CN")};
        QTest::newRow("Chinese system") << LanguageChoice::System << zh << UiLanguage::Chinese;
        QTest::newRow("English system") << LanguageChoice::System << en << UiLanguage::English;
        QTest::newRow("German system, no German: English")
            << LanguageChoice::System << QStringList{QStringLiteral("de-DE")} << UiLanguage::English;
        QTest::newRow("C locale is nobody's language")
            << LanguageChoice::System << QStringList{QStringLiteral("C")} << UiLanguage::Chinese;
        QTest::newRow("POSIX locale")
            << LanguageChoice::System << QStringList{QStringLiteral("POSIX")} << UiLanguage::Chinese;
        QTest::newRow("no language at all") << LanguageChoice::System << QStringList() << UiLanguage::Chinese;
        QTest::newRow("only the first counts") << LanguageChoice::System << (en + zh) << UiLanguage::English;
        QTest::newRow("Taiwan's Chinese is Chinese")
            << LanguageChoice::System << QStringList{QStringLiteral("zh-TW")} << UiLanguage::Chinese;
        QTest::newRow("setting zh over English") << LanguageChoice::Chinese << en << UiLanguage::Chinese;
        QTest::newRow("setting en over Chinese") << LanguageChoice::English << zh << UiLanguage::English;
        QTest::newRow("setting en over C")
            << LanguageChoice::English << QStringList{QStringLiteral("C")} << UiLanguage::English;
    }

    void theSettingOrTheSystemsFirstLanguageDecides()
    {
        QFETCH(core::LanguageChoice, choice);
        QFETCH(QStringList, system);
        QFETCH(UiLanguage, expected);
        QCOMPARE(chooseUiLanguage(choice, system), expected);
    }

    void everyCoreTextHasItsEnglish()
    {
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/zonedesk/i18n/zonedesk_en.qm")));
        for (const std::string& text : coreScreenTexts()) {
            QVERIFY2(!text.empty(), "a core text is empty");
            const QString translated = english.translate(CoreTextContext, text.c_str());
            QVERIFY2(!translated.isEmpty(), text.c_str());
            QVERIFY2(text == "ERR!" || translated != utf8(text), text.c_str());
        }
    }

    void changesReadAsTheHistorySaysThemInChineseAndTranslatedInEnglish()
    {
        using history::ChangeKind;
        const history::Change renewed{ChangeKind::Renewed, "2026-05-14", "2027-05-14"};
        const history::Change registrar{ChangeKind::RegistrarChanged, "A %1 Inc.", "B"};
        const history::Change dropped{ChangeKind::Dropped, "2026-05-14", {}};
        installUiLanguage(UiLanguage::Chinese);
        for (const history::Change& change : {renewed, registrar, dropped})
            QCOMPARE(changeTextOnScreen(change), utf8(history::changeTextZh(change)));
        installUiLanguage(UiLanguage::English);
        QCOMPARE(changeTextOnScreen(renewed), QStringLiteral("Renewed: 2026-05-14 → 2027-05-14"));
        QCOMPARE(changeTextOnScreen(registrar), QStringLiteral("Registrar changed: A %1 Inc. → B"));
        QCOMPARE(changeTextOnScreen(dropped), QStringLiteral("Dropped!"));
    }

    void theListsWordsAndToolTipsFollowTheLanguage()
    {
        const auto table = core::DomainTable::allocate();
        table->setCount(2);
        for (core::DomainRecord& record : table->inUse()) {
            core::copyField(record.domain, "a.com");
            core::copyField(record.server, "whois.verisign-grs.com");
        }
        (*table)[0].status = static_cast<std::int32_t>(core::LookupStatus::Success);
        (*table)[1].status = static_cast<std::int32_t>(core::LookupStatus::Error);
        (*table)[1].errorReason = static_cast<std::uint8_t>(core::ErrorReason::TimedOut);
        for (core::DomainRecord& record : table->inUse())
            core::publishDone(record);
        for (const UiLanguage language : {UiLanguage::Chinese, UiLanguage::English}) {
            installUiLanguage(language);
            DomainListModel model(*table);
            model.fillRows();
            model.refreshFinishedRows();
            const auto say = [language](const char* zh, const char* en) {
                return inLanguage(language, zh, en);
            };
            QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), say("过期日期", "Expiry date"));
            QCOMPARE(model.data(model.index(0, 2)).toString(), say("成功", "Registered"));
            QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("ERR!"));
            QCOMPARE(model.data(model.index(1, 2), Qt::ToolTipRole).toString(),
                     say("等待回复超时\n查询方式：WHOIS",
                         "Timed out waiting for the reply\nLooked up over WHOIS"));
            // The history says why in the same words.
            std::vector<history::HistoryEntry> entries(1);
            entries[0].status = (*table)[1].status;
            entries[0].error = "timed-out";
            HistoryDialog dialog(std::move(entries), "a.com");
            QCOMPARE(dialog.lookups()->item(0, 1)->text(),
                     say("ERR!（等待回复超时）", "ERR! (Timed out waiting for the reply)"));
        }
    }

    void theScreenSpeaksTheSystemsLanguage()
    {
        m_dir = std::make_unique<test::TempDir>();
        checkScreenSpeaks(systemLanguage, test::TenRegistriesOnly);
    }

    void columnWidthsSetInTheOtherLanguageAreWidenedToTheirTitles()
    {
        // Every column 40 px: narrower than every title in either language.
        for (const char* sizedIn : {"zh", "en", ""}) {
            const bool here = sizedIn == DomainListView::languageCode();
            m_dir = std::make_unique<test::TempDir>();
            QVERIFY(startProgram(std::string(test::TenRegistriesOnly) +
                                 "[desktop]\r\ncolumnWidths=40,40,40,40,40,40,40,40,40\r\ncolumnsLanguage=" +
                                 sizedIn + "\r\n"));
            const QHeaderView& header = *mainWindow().view().horizontalHeader();
            constexpr int Registration = 4;
            // Sized by the user in this language, a width stays as chosen.
            if (here)
                QCOMPARE(header.sectionSize(Registration), 40);
            else
                QVERIFY(header.sectionSize(Registration) >= header.sectionSizeHint(Registration));
            stopProgram();
            const std::string config = test::readFile(m_dir->path() / "config.ini");
            QVERIFY(config.find("columnsLanguage=" + DomainListView::languageCode()) != std::string::npos);
        }
    }

    void theLanguageSettingOverridesTheSystem()
    {
        const UiLanguage wanted = other(systemLanguage);
        const std::string config = std::string(test::TenRegistriesOnly) +
                                   (wanted == UiLanguage::English ? "language=en\r\n" : "language=zh\r\n");
        m_dir = std::make_unique<test::TempDir>();
        checkScreenSpeaks(wanted, config);
        // Read, never written: the [user] section keeps its bytes.
        stopProgram();
        const std::string written = test::readFile(m_dir->path() / "config.ini");
        QCOMPARE(QString::fromStdString(written.substr(0, config.size())), QString::fromStdString(config));
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    // --system=en|zh|C: the session's language, set before the application reads it.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--system=", 9) != 0) {
            args.push_back(argv[i]);
            continue;
        }
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        if (std::strcmp(arg + 9, "en") == 0) {
            qputenv("LANGUAGE", "en");
            qputenv("LANG", "en_US.UTF-8");
            zonedesk::systemLanguage = zonedesk::UiLanguage::English;
        } else if (std::strcmp(arg + 9, "zh") == 0) {
            qputenv("LANGUAGE", "zh_CN");
            qputenv("LANG", "zh_CN.UTF-8");
        } else {
            qunsetenv("LANGUAGE");
            qputenv("LANG", "C.UTF-8");
        }
    }
    const int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    return zonedesk::test::runGuiTest<zonedesk::LanguageTest>(count, args.data());
}

#include "language_test.moc"
