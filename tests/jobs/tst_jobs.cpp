#include "jobs/Job.h"
#include "jobs/TaskCode.h"
#include "support/TrafficLogRecorder.h"

#include <QTest>

using namespace jobs;

namespace {

struct RecordingSink : ControlSink {
    explicit RecordingSink(QStringList &texts)
        : texts(texts)
    { }
    void setText(const QString &controlName, const QString &text) override { texts.append(controlName + '=' + text); }
    QStringList &texts;
};

} // namespace

class JobsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contextHoldsOnlyWhatTheJobReported();
    void typedResultReachesItsHandlerOnlyAfterTheJob();
    void textsGoToTheSinkAndLinesToTheTrafficLog();
    void everyTaskCodeHasItsWorker_data();
    void everyTaskCodeHasItsWorker();
};

void JobsTest::contextHoldsOnlyWhatTheJobReported()
{
    JobContext context;
    // A window polling before the first report must not reset its bar.
    QCOMPARE(context.progress(), ProgressSnapshot {});
    context.setMaximum(65);
    QCOMPARE(context.progress(), (ProgressSnapshot { std::nullopt, 65, std::nullopt }));
    context.setMinimum(0);
    context.setPosition(1);
    context.setPosition(-7);
    context.setMaximum(25);
    QCOMPARE(context.progress(), (ProgressSnapshot { 0, 25, -7 }));

    QVERIFY(!context.cancelRequested());
    context.requestCancel();
    QVERIFY(context.cancelRequested());
}

void JobsTest::typedResultReachesItsHandlerOnlyAfterTheJob()
{
    JobContext context;
    context.setMaximum(41);
    std::optional<QString> received;
    Job typed = makeJob([](JobContext &c) { return QString::number(*c.progress().maximum + 1); },
        [&received](QString result) { received = result; });
    QVERIFY(!typed.isNull());
    QVERIFY(typed.hasResultHandler());
    typed.deliver(); // not run yet: nothing to hand over
    QVERIFY(!received);
    typed.run(context);
    QVERIFY(!received);
    typed.deliver();
    QCOMPARE(received, QStringLiteral("42"));

    int ran = 0;
    bool ended = false;
    Job plain = makeJob([&ran](JobContext &) { ++ran; }, [&ended] { ended = true; });
    plain.run(context);
    plain.deliver();
    QCOMPARE(ran, 1);
    QVERIFY(ended);

    Job unhandled = makeJob([&ran](JobContext &) { return ++ran; });
    QVERIFY(!unhandled.hasResultHandler());
    unhandled.run(context);
    unhandled.deliver();
    QCOMPARE(ran, 2);

    QVERIFY(Job().isNull());
}

void JobsTest::textsGoToTheSinkAndLinesToTheTrafficLog()
{
    QStringList texts;
    JobContext context(std::make_unique<RecordingSink>(texts));
    context.setControlText(QStringLiteral("edit_bitfont_font_name"), QStringLiteral("DejaVu Sans"));
    QCOMPARE(texts, QStringList { QStringLiteral("edit_bitfont_font_name=DejaVu Sans") });
    JobContext withoutWindow;
    withoutWindow.setControlText(QStringLiteral("edit_bitfont_font_name"), QStringLiteral("lost"));

    TrafficLogRecorder log;
    context.log(QStringLiteral("font name is null."));
    QCOMPARE(log.lines(), QStringList { QStringLiteral("font name is null.") });
}

void JobsTest::everyTaskCodeHasItsWorker_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("worker");
    QTest::newRow("0 read") << 0 << "CThreadReadParameters";
    QTest::newRow("1 write") << 1 << "CThreadWriteParameters";
    QTest::newRow("2 send file") << 2 << "CThreadSendFile";
    QTest::newRow("3 download file") << 3 << "CThreadDownloadFile";
    for (int code = 4; code <= 10; ++code)
        QTest::addRow("%d bitmap font", code) << code << "CThreadBitFont";
    QTest::newRow("-1") << -1 << QString();
    QTest::newRow("11 read memory") << 11 << "CThreadFileManager";
    QTest::newRow("12 delete files") << 12 << "CThreadFileManager";
    QTest::newRow("13") << 13 << QString();
}

void JobsTest::everyTaskCodeHasItsWorker()
{
    QFETCH(int, code);
    QFETCH(QString, worker);
    QCOMPARE(QString::fromLatin1(workerOf(TaskCode(code))), worker);
    QCOMPARE(isBitFontTask(TaskCode(code)), worker == QLatin1String(jobs::worker::bitFont));
}

QTEST_GUILESS_MAIN(JobsTest)
#include "tst_jobs.moc"
