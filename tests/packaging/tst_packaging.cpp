#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString appId = QStringLiteral("com.brenik.Ostrel");
const QString udevRule = QStringLiteral("70-ostrel-usb-printer.rules");

QString env(const char *name)
{
    return qEnvironmentVariable(name);
}

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(1000);
        result.output = QStringLiteral("did not finish: ") + process.errorString();
        return result;
    }
    result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// One udev rule line split into its key/operator/value terms; empty when a
// term does not parse.
struct UdevTerm {
    QString key;
    QString op;
    QString value;
};

QList<UdevTerm> parseUdevLine(const QString &line)
{
    static const QRegularExpression term(
        QStringLiteral("^\\s*([A-Z_]+(?:\\{[^}]+\\})?)\\s*(==|!=|\\+=|-=|:=|=)\\s*\"([^\"]*)\"\\s*(?:,|$)"));
    QList<UdevTerm> terms;
    QString rest = line;
    while (!rest.trimmed().isEmpty()) {
        const QRegularExpressionMatch match = term.match(rest);
        if (!match.hasMatch())
            return {};
        terms.append({ match.captured(1), match.captured(2), match.captured(3) });
        rest = rest.mid(match.capturedLength());
    }
    return terms;
}

} // namespace

class TestPackaging : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QVERIFY2(!env("OSTREL_BUILD_DIR").isEmpty(), "run through ctest");
        const Run install = run(QStringLiteral("cmake"),
            { QStringLiteral("--install"), env("OSTREL_BUILD_DIR"), QStringLiteral("--prefix"), m_prefix.path() });
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void installsTheProgramsAndTheirDesktopFiles()
    {
        const QDir prefix(m_prefix.path());
        const QStringList binaries = QDir(prefix.filePath(QStringLiteral("bin"))).entryList(QDir::Files);
        QCOMPARE(binaries,
            QStringList(
                { QStringLiteral("ostrel"), QStringLiteral("ostrel-cli"), QStringLiteral("ostrel-printer-sim") }));
        QVERIFY(QFile::exists(prefix.filePath(QStringLiteral("share/man/man1/ostrel-cli.1"))));
        for (const QString &path :
            { QStringLiteral("share/applications/%1.desktop"), QStringLiteral("share/metainfo/%1.metainfo.xml"),
                QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg"),
                QStringLiteral("share/icons/hicolor/256x256/apps/%1.png") }) {
            QVERIFY2(QFile::exists(prefix.filePath(path.arg(appId))), qPrintable(path.arg(appId)));
        }
        QVERIFY(QFile::exists(prefix.filePath(QStringLiteral("lib/udev/rules.d/") + udevRule)));

        QImageReader png(prefix.filePath(QStringLiteral("share/icons/hicolor/256x256/apps/%1.png").arg(appId)));
        QCOMPARE(png.size(), QSize(256, 256));
    }

    // The version has one source (the CMake project); both programs answer
    // without a display.
    void installedProgramsAnswerVersionAndHelp_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("window") << QStringLiteral("ostrel");
        QTest::newRow("simulator") << QStringLiteral("ostrel-printer-sim");
        QTest::newRow("command line") << QStringLiteral("ostrel-cli");
    }
    void installedProgramsAnswerVersionAndHelp()
    {
        QFETCH(QString, program);
        const QString path = QDir(m_prefix.path()).filePath(QStringLiteral("bin/") + program);
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        const Run version = run(path, { QStringLiteral("--version") });
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.output.trimmed(), program + QLatin1Char(' ') + env("OSTREL_VERSION"));

        const Run help = run(path, { QStringLiteral("--help") });
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.output.contains(QStringLiteral("--version")), qPrintable(help.output));
    }

    void unknownOptionIsRefused()
    {
        const Run refused
            = run(QDir(m_prefix.path()).filePath(QStringLiteral("bin/ostrel")), { QStringLiteral("--no-such-option") });
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.output.contains(QStringLiteral("no-such-option")), qPrintable(refused.output));
    }

    void desktopEntryNamesWhatIsInstalled()
    {
        QSettings entry(QDir(m_prefix.path()).filePath(QStringLiteral("share/applications/%1.desktop").arg(appId)),
            QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("ostrel"));
        QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), appId);
        const QString metainfo
            = readText(QDir(m_prefix.path()).filePath(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(appId)));
        QVERIFY(
            metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(appId)));
        QVERIFY(metainfo.contains(QStringLiteral("<release version=\"%1\"").arg(env("OSTREL_VERSION"))));
    }

    void validatorsAccept_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("desktop entry") << QStringLiteral("desktop-file-validate") << QStringList()
                                       << QStringLiteral("share/applications/%1.desktop").arg(appId);
        QTest::newRow("metainfo") << QStringLiteral("appstreamcli")
                                  << QStringList({ QStringLiteral("validate"), QStringLiteral("--no-net") })
                                  << QStringLiteral("share/metainfo/%1.metainfo.xml").arg(appId);
    }
    void validatorsAccept()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            QSKIP(qPrintable(tool + QStringLiteral(" is not installed")));
        const Run validation = run(program, arguments << QDir(m_prefix.path()).filePath(file));
        QVERIFY2(validation.exitCode == 0, qPrintable(validation.output));
    }

    // udevadm of Debian 12 has no "verify"; where it does, it has the last word.
    void udevRuleParsesAndTagsPrinterNodes()
    {
        const QString path = QDir(env("OSTREL_PACKAGING_DIR")).filePath(udevRule);
        const QStringList lines = readText(path).split(QLatin1Char('\n'));
        static const QStringList matchKeys
            = { QStringLiteral("SUBSYSTEM"), QStringLiteral("KERNEL"), QStringLiteral("ACTION") };
        static const QStringList assignKeys
            = { QStringLiteral("TAG"), QStringLiteral("MODE"), QStringLiteral("GROUP") };
        int rules = 0;
        bool tagsUaccess = false;
        QString kernelPattern;
        for (const QString &line : lines) {
            if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
                continue;
            const QList<UdevTerm> terms = parseUdevLine(line);
            QVERIFY2(!terms.isEmpty(), qPrintable(line));
            ++rules;
            for (const UdevTerm &term : terms) {
                const bool isMatch = term.op == QLatin1String("==") || term.op == QLatin1String("!=");
                QVERIFY2(isMatch ? matchKeys.contains(term.key) : assignKeys.contains(term.key), qPrintable(line));
                if (term.key == QLatin1String("TAG") && term.op == QLatin1String("+=")
                    && term.value == QLatin1String("uaccess"))
                    tagsUaccess = true;
                if (term.key == QLatin1String("KERNEL"))
                    kernelPattern = term.value;
            }
        }
        QCOMPARE(rules, 1);
        QVERIFY(tagsUaccess);
        // uaccess is applied by 73-seat-late.rules: the tag must be set before.
        QVERIFY(udevRule.left(2).toInt() < 73);
        const QRegularExpression kernel(QRegularExpression::wildcardToRegularExpression(kernelPattern));
        QVERIFY(kernel.match(QStringLiteral("lp0")).hasMatch());
        QVERIFY(kernel.match(QStringLiteral("lp12")).hasMatch());
        QVERIFY(!kernel.match(QStringLiteral("ttyUSB0")).hasMatch());

        const QString udevadm = QStandardPaths::findExecutable(QStringLiteral("udevadm"));
        if (!udevadm.isEmpty() && run(udevadm, { QStringLiteral("verify"), QStringLiteral("--help") }).exitCode == 0) {
            const Run verify = run(udevadm, { QStringLiteral("verify"), path });
            QVERIFY2(verify.exitCode == 0, qPrintable(verify.output));
        }
    }
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "tst_packaging.moc"
