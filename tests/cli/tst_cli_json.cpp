#include "cli/CodeSelection.h"
#include "cli/ParameterJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace cli;

namespace {

QByteArray snapshotWith(const QJsonObject &parameters)
{
    return QJsonDocument(QJsonObject { { QStringLiteral("parameters"), parameters } }).toJson();
}

} // namespace

class CliJsonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordSurvivesTheRoundTrip()
    {
        PrinterParameters params;
        params.model = QStringLiteral("OX-420T");
        params.speed = 6;
        params.paperWidth = 80;
        params.ribbonErrLen = QStringLiteral("HIGHT");
        params.baudRate = 230400;
        params.netIp = QStringLiteral("10.0.0.7");
        params.netMask = QStringLiteral("255.255.255.0");
        params.netGateway = QStringLiteral("10.0.0.1");
        params.wifiIp = params.wifiMask = params.wifiGateway = QStringLiteral("0.0.0.0");
        params.hasWifi = 1;
        params.serialQueried = 1;
        params.wifiQueried = 1;
        params.statusByte = 5;
        const QJsonObject json = parametersToJson(params);
        QCOMPARE(json.value(QStringLiteral("status")).toObject().value(QStringLiteral("text")).toString(),
            QStringLiteral("Cover opened Out of paper"));
        QCOMPARE(
            json.value(QStringLiteral("parameters")).toObject().value(QStringLiteral("paperWidth_mm")).toInt(), 80);

        QString error;
        const auto snapshot = parametersFromJson(QJsonDocument(json).toJson(), &error);
        QVERIFY2(snapshot, qPrintable(error));
        const PrinterParameters &back = snapshot->params;
        QCOMPARE(back.model, params.model);
        QCOMPARE(back.speed, 6);
        QCOMPARE(back.paperWidth, 80);
        QCOMPARE(back.ribbonErrLen, params.ribbonErrLen);
        QCOMPARE(back.baudRate, 230400);
        QCOMPARE(back.netGateway, params.netGateway);
        QCOMPARE(back.serialQueried, 1);
        QCOMPARE(back.networkQueried, 0);
        QCOMPARE(back.wifiQueried, 1);
        QVERIFY(differences(*snapshot, params, parsePages(QStringLiteral("0,1,3,4,6,7")).value()).isEmpty());
        // Every setting is complete in a snapshot of the whole record.
        QCOMPARE(completeSettings(*snapshot).size(), qsizetype(protocol::Setting::CutMode) + 1);
    }

    void settingsNeedEveryField()
    {
        QString error;
        const auto snapshot
            = parametersFromJson(snapshotWith({ { QStringLiteral("paperWidth_mm"), 80 }, { QStringLiteral("speed"), 3 },
                                     { QStringLiteral("model"), QStringLiteral("X") } }),
                &error);
        QVERIFY2(snapshot, qPrintable(error));
        QCOMPARE(completeSettings(*snapshot), QList<protocol::Setting> { protocol::Setting::Speed });
    }

    // A snapshot of a printer without a serial port or Wi-Fi holds the
    // record's defaults for them: readable, and never sent, whatever the
    // target has; a condition the file does not hold is the target's.
    void groupsComeFromTheTargetUnlessTheFileLacksThem()
    {
        const QByteArray json = R"({"groupsAnswered": {"serial": false, "wifi": false},
            "parameters": {"baudRate_bps": 0, "hasWifi": 0, "wifiSsid": "", "speed": 3, "cutBackLen_dots": 40}})";
        QString error;
        const auto snapshot = parametersFromJson(json, &error);
        QVERIFY2(snapshot, qPrintable(error));
        PrinterParameters target;
        target.serialQueried = target.networkQueried = target.wifiQueried = 1;
        target.hasWifi = target.hasCutter = 1;
        const PrinterParameters sent = withTargetConditions(*snapshot, target);
        QCOMPARE(sent.serialQueried, 0);
        QCOMPARE(sent.hasWifi, 0);
        QCOMPARE(sent.wifiQueried, 0);
        QCOMPARE(sent.hasCutter, 1);
        QCOMPARE(sent.speed, 3);
        target.hasCutter = 0;
        QCOMPARE(withTargetConditions(*snapshot, target).hasCutter, 0);

        QByteArray answered = json;
        answered.replace("\"serial\": false", "\"serial\": true");
        QVERIFY(!parametersFromJson(answered, &error));
        QVERIFY2(error.startsWith(QLatin1String("baudRate_bps: 0 is not 9600")), qPrintable(error));
    }

    void badSnapshotsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not json") << QByteArray("{\"parameters\": {") << QStringLiteral("not JSON");
        QTest::newRow("no parameters") << QByteArray("[1, 2]") << QStringLiteral("no \"parameters\"");
        QTest::newRow("unknown field") << snapshotWith({ { QStringLiteral("sped"), 3 } })
                                       << QStringLiteral("sped: no such parameter");
        QTest::newRow("density above") << snapshotWith({ { QStringLiteral("density"), 16 } })
                                       << QStringLiteral("density: 16 is outside 0..15");
        QTest::newRow("darkness below") << snapshotWith({ { QStringLiteral("zDarkness"), -1 } })
                                        << QStringLiteral("zDarkness: -1 is outside 0..30");
        QTest::newRow("baud rate") << snapshotWith({ { QStringLiteral("baudRate_bps"), 1200 } })
                                   << QStringLiteral("baudRate_bps: 1200 is not 9600");
        QTest::newRow("fraction") << snapshotWith({ { QStringLiteral("speed"), 2.5 } })
                                  << QStringLiteral("speed: not a whole number");
        QTest::newRow("text for number") << snapshotWith({ { QStringLiteral("speed"), QStringLiteral("4") } })
                                         << QStringLiteral("speed: not a whole number");
        QTest::newRow("number for text") << snapshotWith({ { QStringLiteral("model"), 4 } })
                                         << QStringLiteral("model: not a text");
        QTest::newRow("address") << snapshotWith({ { QStringLiteral("netIp"), QStringLiteral("10.0.0.300") } })
                                 << QStringLiteral("netIp: \"10.0.0.300\" is not a dotted address");
        QTest::newRow("sensitivity") << snapshotWith({ { QStringLiteral("ribbonErrLen"), QStringLiteral("HIGH") } })
                                     << QStringLiteral("ribbonErrLen: \"HIGH\" is not LOW");
        QTest::newRow("quote in ssid") << snapshotWith({ { QStringLiteral("wifiSsid"), QStringLiteral("a\"b") } })
                                       << QStringLiteral("wifiSsid: a double quote");
        QTest::newRow("group") << QByteArray("{\"parameters\": {}, \"groupsAnswered\": {\"serial\": 1}}")
                               << QStringLiteral("groupsAnswered: serial");
    }

    void badSnapshotsAreRefused()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!parametersFromJson(json, &error));
        QVERIFY2(error.startsWith(reason), qPrintable(error));
    }

    void pagesAndCodes()
    {
        QCOMPARE(parsePages(QStringLiteral("0, 3,7,3")), std::optional(QList<int> { 0, 3, 7 }));
        QVERIFY(!parsePages(QStringLiteral("0,9")));
        QVERIFY(!parsePages(QStringLiteral("")));
        QVERIFY(!defaultPages().contains(4)); // the wired network

        QString error;
        const auto ranges = codesOfRanges(QStringLiteral("0x41-0x43,97,0xFFFF"), &error);
        QVERIFY2(ranges, qPrintable(error));
        QCOMPARE(std::count(ranges->begin(), ranges->end(), true), 5);
        QVERIFY((*ranges)[0x42] && (*ranges)[97] && (*ranges)[0xFFFF] && !(*ranges)[0x44]);
        for (const char *bad : { "0x43-0x41", "0x10000", "1-2-3", "x" })
            QVERIFY2(!codesOfRanges(QLatin1String(bad), &error), bad);

        const auto text = codesOfText(QStringLiteral("Aé中\n"), &error);
        QVERIFY2(text, qPrintable(error));
        QCOMPARE(std::count(text->begin(), text->end(), true), 3);
        QVERIFY(!codesOfText(QString::fromUcs4(U"\U0001F600"), &error));
        QVERIFY(error.contains(QLatin1String("U+1F600")));
    }
};

QTEST_GUILESS_MAIN(CliJsonTest)
#include "tst_cli_json.moc"
