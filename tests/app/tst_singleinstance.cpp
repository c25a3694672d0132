#include "app/SingleInstance.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laterStartAsksTheFirstToShowItself();
    void secondProgramEndsAtOnceWithZero();
};

void TestSingleInstance::laterStartAsksTheFirstToShowItself()
{
    QTemporaryDir dir;
    SingleInstance first(QStringLiteral("ostrel-test"), dir.path());
    QVERIFY(first.acquire());
    QSignalSpy raised(&first, &SingleInstance::activationRequested);

    SingleInstance second(QStringLiteral("ostrel-test"), dir.path());
    QVERIFY(!second.acquire());
    QVERIFY(second.notifyRunning());
    QTRY_COMPARE_WITH_TIMEOUT(raised.size(), 1, 2000);

    SingleInstance other(QStringLiteral("ostrel-other"), dir.path());
    QVERIFY(other.acquire());
}

void TestSingleInstance::secondProgramEndsAtOnceWithZero()
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("HOME"), home.path());

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(OSTREL_EXECUTABLE), {});
    QVERIFY(first.waitForStarted(5000));
    const QString socket = home.filePath(QStringLiteral("429BC0B4-4E81-48CD-BD68-87F1FFD2A85E.socket"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 10000);

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(OSTREL_EXECUTABLE), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    QVERIFY(first.waitForFinished(5000));
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
