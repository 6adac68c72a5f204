// SPDX-License-Identifier: MIT
// The desktop program started with a list file as its argument (the desktop entry's %F): the list
// is imported as the Import button imports it, and a file that can't be imported, or more than
// one, is said in a message box over a program that still opens.
#include <filesystem>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/application.h"
#include "dialogs/about_dialog.h"
#include "tests/support/gui_test_main.h"
#include "tests/support/program_fixture.h"
#include "tests/support/temp_dir.h"

namespace zonedesk {

namespace {

using test::ModalWatcher;

/// Two names and a line the import leaves out (its note box is the same for both ways in).
constexpr std::string_view ListWithANote = "a.com\n=b.com\nc.net\n";

} // namespace

class ListArgumentTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    /// Starts the program in the test's folder as `zonedesk <arguments>` would, waits for its window.
    void startWith(const QStringList& arguments)
    {
        if (!m_dir)
            m_dir = std::make_unique<test::TempDir>();
        m_app = std::make_unique<Application>();
        m_app->setProgramDir(m_dir->path());
        m_app->setArguments(arguments);
        QVERIFY(m_app->initialize());
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
    }

    QString listFile(std::string_view bytes) const
    {
        return QString::fromStdString(m_dir->write("list.txt", bytes).string());
    }

    /// Answers the next message box with the keyboard, as a user does, recording its text.
    struct BoxAnswer
    {
        QString text;
        ModalWatcher<QMessageBox> watcher{[this](QMessageBox* box) {
            text = box->text();
            QTest::keyClick(box, Qt::Key_Return);
        }};
    };

    QStringList names()
    {
        QStringList shown;
        QAbstractItemModel* model = mainWindow().view().model();
        for (int row = 0; row < model->rowCount(); ++row)
            shown << model->index(row, 1).data().toString();
        return shown;
    }

private Q_SLOTS:

    void cleanup()
    {
        stopProgram();
        dropProgram();
    }

    void theFileIsImportedAsTheImportButtonWould()
    {
        m_dir = std::make_unique<test::TempDir>();
        const QString file = listFile(ListWithANote);

        // The user's way: the Import button, the file chosen.
        startWith({});
        panel().chooseImportFile = [file] { return file; };
        BoxAnswer byButton;
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_VERIFY(byButton.watcher.seen);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        const QStringList imported = names();
        QCOMPARE(imported, (QStringList{QStringLiteral("a.com"), QStringLiteral("c.net")}));
        stopProgram();

        // The desktop's way: the file as the program's argument. Same rows, same note.
        BoxAnswer byArgument;
        startWith({file});
        QTRY_VERIFY(byArgument.watcher.seen);
        QCOMPARE(byArgument.text, byButton.text);
        QTRY_COMPARE(names(), imported);
        QVERIFY(mainWindow().isVisible());
        QVERIFY(panel().startButton()->isEnabled());
    }

    void aCleanFileIsImportedWithoutABox()
    {
        m_dir = std::make_unique<test::TempDir>();
        const QString file = listFile("x.org\ny.cn\n");
        test::MessageBoxCloser closer;
        startWith({file});
        QTRY_COMPARE(state().table.count(), 2);
        QTRY_COMPARE(names(), (QStringList{QStringLiteral("x.org"), QStringLiteral("y.cn")}));
        QTest::qWait(200);
        QVERIFY2(closer.texts.isEmpty(), qPrintable(closer.texts.join(QLatin1Char('|'))));
    }

    void aFileThatCannotBeImportedIsSaidAndTheProgramOpens_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("said");
        // The program's own words, then which file and why.
        QTest::newRow("missing") << QStringLiteral("no-such-list.txt")
                                 << QStringLiteral("文件无效！\n无法读取“");
        QTest::newRow("a folder") << QStringLiteral("folder") << QStringLiteral("folder”：");
        QTest::newRow("no names") << QStringLiteral("empty.txt") << QStringLiteral("没有可导入的域名");
    }

    void aFileThatCannotBeImportedIsSaidAndTheProgramOpens()
    {
        QFETCH(QString, name);
        QFETCH(QString, said);
        m_dir = std::make_unique<test::TempDir>();
        m_dir->write("empty.txt", "\n");
        std::filesystem::create_directory(m_dir->path() / "folder");
        BoxAnswer answer;
        startWith({QString::fromStdString((m_dir->path() / name.toStdString()).string())});
        QTRY_VERIFY(answer.watcher.seen);
        QVERIFY2(answer.text.contains(said), qPrintable(answer.text));
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(mainWindow().isVisible());
        QCOMPARE(state().table.count(), 0);
        // The program works on: the Import button still imports.
        const QString file = listFile("z.net\n");
        panel().chooseImportFile = [file] { return file; };
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(names(), QStringList{QStringLiteral("z.net")});
    }

    void theSettingsFileInUseIsKnown()
    {
        startWith({});
        // A test's folder is writable and holds no installed layout: config.ini is made there.
        QCOMPARE(settingsFilePath(), m_dir->path() / "config.ini");
        QVERIFY(std::filesystem::is_regular_file(settingsFilePath()));
        // The About box says where it is.
        const AboutDialog about;
        QVERIFY(
            about.findChild<QLabel*>(QStringLiteral("aboutText"))
                ->text()
                .contains(
                    QStringLiteral("设置文件：%1").arg(QString::fromStdString(settingsFilePath().string()))));
    }

    void moreThanOneFileIsRefused()
    {
        m_dir = std::make_unique<test::TempDir>();
        const QString first = QString::fromStdString(m_dir->write("one.txt", "a.com\n").string());
        const QString second = QString::fromStdString(m_dir->write("two.txt", "b.com\n").string());
        BoxAnswer answer;
        startWith({first, second});
        QTRY_VERIFY(answer.watcher.seen);
        QVERIFY2(answer.text.contains(QStringLiteral("只能打开一个")), qPrintable(answer.text));
        QVERIFY(answer.text.contains(second));
        QCOMPARE(state().table.count(), 0);
        QVERIFY(mainWindow().isVisible());
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::ListArgumentTest>(argc, argv);
}

#include "list_argument_test.moc"
