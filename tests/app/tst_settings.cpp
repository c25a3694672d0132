#include "app/SettingsStore.h"
#include "app/StartupChoices.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path());
    }

    void roundTripAndDefaults()
    {
        {
            SettingsStore store;
            QCOMPARE(store.readInt("FileManager", "MemoryPlace", 1), 1);
            QCOMPARE(store.readText("ImportFont", "Width", "16"), QStringLiteral("16"));
            QVERIFY(store.writeInt("FileManager", "MemoryPlace", 2));
            QVERIFY(store.writeText("ImportFont", "FilePath", QStringLiteral("/home/u/字体.ttf")));
            QVERIFY(store.writeText("Communication", "SendText", QStringLiteral("")));
        }
        SettingsStore reopened;
        QCOMPARE(reopened.readInt("FileManager", "MemoryPlace", 1), 2);
        QCOMPARE(reopened.readText("ImportFont", "FilePath", ""), QStringLiteral("/home/u/字体.ttf"));
        QCOMPARE(reopened.readText("Communication", "SendText", "default"), QStringLiteral(""));
        QVERIFY(QFile::exists(m_home.filePath("Brenik/Ostrel.conf")));

        // A text that is not a number reads as the default.
        QVERIFY(reopened.writeText("Port", "PortType", QStringLiteral("abc")));
        QCOMPARE(startup::readPortKind(reopened), PortKind::Usb);
        QVERIFY(startup::writePortKind(reopened, PortKind::Net));
        QCOMPARE(startup::readPortKind(SettingsStore()), PortKind::Net);
    }

    void nullTextDeletesTheValue()
    {
        SettingsStore store;
        QVERIFY(store.writeText("Language", "LangName", QStringLiteral("German")));
        QVERIFY(store.writeText("Language", "LangName", QString()));
        QCOMPARE(store.readText("Language", "LangName", "none"), QStringLiteral("none"));
    }

    void unwritableStoreReportsFailure()
    {
        SettingsStore store(QStringLiteral("/proc/no-such-dir/x.ini"));
        QVERIFY(!store.writeInt("Port", "PortType", 1));
        QCOMPARE(store.readInt("Port", "PortType", 7), 7);
    }

    void languageByIdentifier_data()
    {
        QTest::addColumn<int>("langId");
        QTest::addColumn<QString>("name");
        QTest::newRow("Portuguese, Portugal") << 0x0816 << "Portuguese";
        QTest::newRow("Spanish, modern sort") << 0x0C0A << "Spanish";
        QTest::newRow("Lithuanian") << 0x0427 << "English";
        QTest::newRow("German") << 0x0407 << "German";
        QTest::newRow("Japanese") << 0x0411 << "Japanese";
        QTest::newRow("Chinese, PRC") << 0x0804 << "ChineseSimplified";
        QTest::newRow("Chinese, Singapore") << 0x1004 << "ChineseSimplified";
        QTest::newRow("Chinese, Taiwan") << 0x0404 << "ChineseTraditional";
        QTest::newRow("Chinese, Hong Kong") << 0x0C04 << "ChineseTraditional";
        QTest::newRow("Chinese, Macau") << 0x1404 << "ChineseTraditional";
        QTest::newRow("Chinese, traditional") << 0x7C04 << "ChineseTraditional";
        QTest::newRow("Vietnamese") << 0x042A << "Vietnamese";
        QTest::newRow("neutral") << 0x0000 << "English";
    }
    void languageByIdentifier()
    {
        QFETCH(int, langId);
        QFETCH(QString, name);
        const startup::LanguageChoice choice = startup::chooseLanguage(QString(), quint16(langId));
        QCOMPARE(choice.name, name);
        QCOMPARE(choice.folder, QStringLiteral("Lang\\") + name);
    }

    void languageByLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("name");
        QTest::newRow("pt_PT") << "pt_PT"
                               << "Portuguese";
        QTest::newRow("zh_CN") << "zh_CN"
                               << "ChineseSimplified";
        QTest::newRow("zh_TW") << "zh_TW"
                               << "ChineseTraditional";
        QTest::newRow("zh_HK") << "zh_HK"
                               << "ChineseTraditional";
        QTest::newRow("lt_LT") << "lt_LT"
                               << "English";
        QTest::newRow("C") << "C"
                           << "English";
    }
    void languageByLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, name);
        QCOMPARE(startup::languageNameForLangId(startup::langIdForLocale(QLocale(locale))), name);
    }

    // A stored name wins over the system language, whether or not such a pack exists.
    void storedNameWins()
    {
        SettingsStore store;
        QVERIFY(store.writeText("Language", "LangName", QStringLiteral("German")));
        const startup::LanguageChoice choice = startup::chooseLanguage(store, QLocale(QStringLiteral("en_US")));
        QCOMPARE(choice.folder, QStringLiteral("Lang\\German"));
        QCOMPARE(startup::chooseLanguage(QStringLiteral("Klingon"), 0x0409).name, QStringLiteral("Klingon"));
        QVERIFY(store.writeText("Language", "LangName", QString()));
        QCOMPARE(startup::chooseLanguage(store, QLocale(QStringLiteral("fr_FR"))).name, QStringLiteral("French"));
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
