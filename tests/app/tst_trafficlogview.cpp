#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "app/TrafficLogView.h"
#include "ui/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

namespace {

// The log view in a splitter, as the main window has it.
struct Window {
    QTemporaryDir dir;
    SettingsStore settings { dir.filePath(QStringLiteral("settings.ini")) };
    QSplitter splitter { Qt::Vertical };
    TrafficLogView *view = nullptr;

    explicit Window(std::optional<qint32> maxLines = std::nullopt)
    {
        if (maxLines)
            settings.writeInt(QStringLiteral("TrafficLog"), QStringLiteral("MaxLines"), *maxLines);
        new QWidget(&splitter);
        auto *log = new QPlainTextEdit(&splitter);
        log->setObjectName(QStringLiteral("traffic_log"));
        log->setReadOnly(true);
        view = new TrafficLogView(log, settings);
    }
    QPlainTextEdit *log() const { return view->log(); }
    void append(std::initializer_list<const char *> lines) const
    {
        for (const char *line : lines)
            view->appendLine(QString::fromUtf8(line));
    }
    QAction *action(const QKeySequence &keys) const
    {
        for (QAction *action : view->actions()) {
            if (action->shortcut() == keys)
                return action;
        }
        return nullptr;
    }
};

} // namespace

class TestTrafficLogView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    }
    void takesTheLogsPlaceInTheSplitter();
    void keepsTheNewestLinesUpToTheLimit_data();
    void keepsTheNewestLinesUpToTheLimit();
    void savesTheLogAsShown_data();
    void savesTheLogAsShown();
    void failedSaveIsTold();
    void menuActionsCopySelectAllAndClear();
    void findBarFindsAndWraps();
};

void TestTrafficLogView::takesTheLogsPlaceInTheSplitter()
{
    Window window;
    QCOMPARE(window.splitter.count(), 2);
    QCOMPARE(window.splitter.widget(1), window.view);
    QCOMPARE(window.log()->parentWidget(), window.view);
    window.splitter.show();
    QVERIFY(window.log()->isVisible());
    QVERIFY(!window.view->findField()->isVisible());
    QStringList texts;
    for (QAction *action : window.view->actions())
        texts.append(action->text());
    QCOMPARE(texts,
        (QStringList { QStringLiteral("Copy"), QStringLiteral("Select All"), QStringLiteral("Clear"),
            QStringLiteral("Save Log…"), QStringLiteral("Find…") }));
}

void TestTrafficLogView::keepsTheNewestLinesUpToTheLimit_data()
{
    QTest::addColumn<std::optional<qint32>>("stored");
    QTest::addColumn<int>("limit");
    QTest::newRow("default") << std::optional<qint32>() << 100000;
    QTest::newRow("stored") << std::optional<qint32>(3) << 3;
    QTest::newRow("zero is no limit: the default") << std::optional<qint32>(0) << 100000;
    QTest::newRow("negative: the default") << std::optional<qint32>(-5) << 100000;
}

void TestTrafficLogView::keepsTheNewestLinesUpToTheLimit()
{
    QFETCH(std::optional<qint32>, stored);
    QFETCH(int, limit);
    Window window(stored);
    QCOMPARE(window.view->maxLines(), limit);
    if (limit > 1000)
        return; // the dropping itself is shown with a small limit
    const int total = limit + 2;
    for (int i = 0; i < total; ++i)
        window.view->appendLine(QStringLiteral("line %1").arg(i));
    QCOMPARE(window.log()->document()->blockCount(), limit);
    QCOMPARE(window.log()->document()->firstBlock().text(), QStringLiteral("line 2"));
    QCOMPARE(window.log()->document()->lastBlock().text(), QStringLiteral("line %1").arg(total - 1));
}

void TestTrafficLogView::savesTheLogAsShown_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("every line, CR LF after each, UTF-8")
        << 10 << QByteArray("first\r\nWrite: A[CRLF]B( Hex: 41 0D 0A 42  )\r\n\xC3\x9C\xE4\xB8\xAD\r\n");
    QTest::newRow("only what the limit kept")
        << 2 << QByteArray("Write: A[CRLF]B( Hex: 41 0D 0A 42  )\r\n\xC3\x9C\xE4\xB8\xAD\r\n");
}

void TestTrafficLogView::savesTheLogAsShown()
{
    QFETCH(int, limit);
    Window window(limit);
    window.append({ "first", "Write: A[CRLF]B( Hex: 41 0D 0A 42  )", "Ü中" });
    ScriptedPrompts prompts;
    const QString path = window.dir.filePath(QStringLiteral("log.txt"));
    prompts.fileNames.enqueue(path);
    window.action(QKeySequence::Save)->trigger();
    QCOMPARE(prompts.askedSuffixes, QStringList { QStringLiteral("txt") });
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QTEST(file.readAll(), "saved");
    QVERIFY(prompts.askedTexts.filter(QStringLiteral("could not")).isEmpty());

    window.view->clear();
    QVERIFY(window.view->saveTo(path));
    QCOMPARE(QFile(path).size(), 0);
}

void TestTrafficLogView::failedSaveIsTold()
{
    Window window;
    window.append({ "a line" });
    ScriptedPrompts prompts;
    const QString path = window.dir.filePath(QStringLiteral("no such folder/log.txt"));
    prompts.fileNames.enqueue(path);
    window.view->save();
    QCOMPARE(prompts.askedTexts.size(), 2);
    QCOMPARE(prompts.askedTexts.last(), QStringLiteral("The log could not be saved.\n") + path);
    QVERIFY(!QFile::exists(path));
}

void TestTrafficLogView::menuActionsCopySelectAllAndClear()
{
    Window window;
    window.append({ "one", "two" });
    QAction *copy = window.action(QKeySequence::Copy);
    QVERIFY(copy && !copy->isEnabled());
    window.action(QKeySequence::SelectAll)->trigger();
    QVERIFY(copy->isEnabled());
    QApplication::clipboard()->clear();
    copy->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one\ntwo"));
    window.action(QKeySequence(Qt::CTRL | Qt::Key_L))->trigger();
    QVERIFY(window.log()->document()->isEmpty());
    QVERIFY(!copy->isEnabled());
    window.append({ "after" });
    QCOMPARE(window.view->contents(), QByteArray("after\r\n"));
}

void TestTrafficLogView::findBarFindsAndWraps()
{
    Window window;
    window.append({ "Write: SPEED 4", "Read: 4", "Write: DENSITY 8", "Read: 8" });
    window.splitter.show();
    window.action(QKeySequence::Find)->trigger();
    QLineEdit *field = window.view->findField();
    QVERIFY(field->isVisible());
    QTest::keyClicks(field, QStringLiteral("write"));
    const auto selectedLine = [&] { return window.log()->textCursor().block().text(); };
    QCOMPARE(selectedLine(), QStringLiteral("Write: SPEED 4"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(selectedLine(), QStringLiteral("Write: DENSITY 8"));
    QTest::keyClick(field, Qt::Key_Return); // wraps to the top
    QCOMPARE(selectedLine(), QStringLiteral("Write: SPEED 4"));
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier); // and back round the end
    QCOMPARE(selectedLine(), QStringLiteral("Write: DENSITY 8"));
    QVERIFY(field->styleSheet().isEmpty());
    field->setText(QStringLiteral("missing"));
    QVERIFY(!window.view->findNext());
    QCOMPARE(selectedLine(), QStringLiteral("Write: DENSITY 8"));
    QVERIFY(!field->styleSheet().isEmpty());
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!field->isVisible());
}

QTEST_MAIN(TestTrafficLogView)
#include "tst_trafficlogview.moc"
