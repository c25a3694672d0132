#include "app/LanguageManager.h"
#include "ui/LanguagePack.h"
#include "ui/SkinPackage.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTest>
#include <QXmlStreamReader>

#include <atomic>
#include <map>
#include <numeric>
#include <thread>

namespace {

const QString english = QStringLiteral("english");

// The texts the first windows show, exactly as their code names them; most
// reach translate() through tables, so the source scan below cannot see them.
const QStringList messageSources = {
    QStringLiteral("间隙纸"),
    QStringLiteral("黑标纸"),
    QStringLiteral("连续纸"),
    QStringLiteral("无动作"),
    QStringLiteral("进纸"),
    QStringLiteral("感应器校正"),
    QStringLiteral("检测标签长度"),
    QStringLiteral("无"),
    QStringLiteral("撕纸模式"),
    QStringLiteral("裁切模式"),
    QStringLiteral("剥离模式"),
    QStringLiteral("固定"),
    QStringLiteral("自动"),
    QStringLiteral("普通"),
    QStringLiteral("特殊"),
    QStringLiteral("开"),
    QStringLiteral("关"),
    QStringLiteral("连切不回退"),
    QStringLiteral("回退"),
    QStringLiteral("不回退"),
    QStringLiteral("白底黑字"),
    QStringLiteral("黑底白字"),
    QStringLiteral("不支持网络升级"),
    QStringLiteral("载入文件失败"),
    QStringLiteral("载入文件失败，文件大小为0."),
    QStringLiteral("正在重启打印机进入BOOT模式"),
    QStringLiteral("打印机未能进入BOOT模式"),
    QStringLiteral("打印机已经重启，正在写入文件。"),
    QStringLiteral("打开端口失败"),
    QStringLiteral("查询参数失败"),
    QStringLiteral("擦除空间失败"),
    QStringLiteral("文件写入失败"),
    QStringLiteral("校验数据失败, 校验和错误。"),
    QStringLiteral("校验数据失败"),
    QStringLiteral("升级成功，打印机正在重启。"),
    QStringLiteral("升级完成"),
    QStringLiteral("投射传感器"),
    QStringLiteral("反射传感器"),
    QStringLiteral("辅助传感器"),
    QStringLiteral("未连接"),
    QStringLiteral("正常"),
    QStringLiteral("开盖"),
    QStringLiteral("纸张错误"),
    QStringLiteral("无纸"),
    QStringLiteral("碳带错误"),
    QStringLiteral("暂停"),
    QStringLiteral("打印中"),
    QStringLiteral("过热"),
    QStringLiteral("是否进入HEX模式"),
    QStringLiteral("是否忽略 AUTO.BAS"),
};

// One pack file as written: every entry by id, each with the attributes it has.
struct PackFile {
    QString error;
    QString rootName;
    QString entryName; // "Text" or "String"
    QStringList ids; // in file order, duplicates kept
    std::map<QString, QHash<QString, QString>> entries;
};

const QStringList attributeNames = { QStringLiteral("text"), QStringLiteral("tooltip"), QStringLiteral("tipvalue") };

PackFile readPackFile(const QByteArray &bytes)
{
    PackFile file;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(bytes);
    if (utf8.hasError()) {
        file.error = QStringLiteral("not UTF-8");
        return file;
    }
    QXmlStreamReader xml(bytes);
    if (xml.readNextStartElement())
        file.rootName = xml.name().toString();
    while (xml.readNextStartElement()) {
        file.entryName = xml.name().toString();
        const QXmlStreamAttributes attributes = xml.attributes();
        const QString id = attributes.value(QStringLiteral("id")).toString();
        file.ids.append(id);
        for (const QString &name : attributeNames) {
            if (attributes.hasAttribute(name))
                file.entries[id].insert(name, attributes.value(name).toString());
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError())
        file.error = xml.errorString();
    // A literal line break or tab inside an attribute becomes a blank when
    // read; only character references keep it.
    static const QRegularExpression attribute(QStringLiteral("=\\s*\"([^\"]*)\""));
    for (auto it = attribute.globalMatch(decoded); it.hasNext();) {
        const QString value = it.next().captured(1);
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\t')) || value.contains(QLatin1Char('\r')))
            file.error = QStringLiteral("raw line break or tab in \"%1\"").arg(value);
    }
    return file;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression placeholder(
        QStringLiteral("%(?:\\d+\\$)?[-+ #0]*(?:\\d+|\\*)?(?:\\.\\d+)?(?:hh|h|ll|l|I64)?[diouxXeEfgGcsSp%]"));
    QStringList found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found.append(it.next().captured());
    return found;
}

const SkinPackage &skin()
{
    return SkinPackage::embedded();
}

// "lang/<folder>/<file>" entries of the package, by folder.
QMap<QString, QSet<QString>> packFilesByFolder()
{
    QMap<QString, QSet<QString>> folders;
    for (const QString &entry : skin().entryNames()) {
        const QStringList parts = entry.split(QLatin1Char('/'));
        if (parts.size() == 3 && parts[0] == QLatin1String("lang"))
            folders[parts[1]].insert(parts[2]);
    }
    return folders;
}

QString packPath(const QString &folder, const QString &file)
{
    return QStringLiteral("lang/%1/%2").arg(folder, file);
}

QString unescapeLiteral(const QString &literal)
{
    QString text;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] != QLatin1Char('\\') || i + 1 == literal.size()) {
            text += literal[i];
            continue;
        }
        const QChar escaped = literal[++i];
        text += escaped == QLatin1Char('n') ? QChar(u'\n')
            : escaped == QLatin1Char('r')   ? QChar(u'\r')
            : escaped == QLatin1Char('t')   ? QChar(u'\t')
                                            : escaped;
    }
    return text;
}

// Every literal text the sources under src/ hand to the language pack:
// translate(QStringLiteral("...")), translated(translate, QStringLiteral("..."))
// and the font tool's showFailure(parent, "...").
QSet<QString> translatedSourceTexts(const QString &sourceDir)
{
    static const QRegularExpression call(
        QStringLiteral("(?:\\btranslate\\(\\s*QStringLiteral\\(|\\btranslated\\(\\s*\\w+\\s*,\\s*QStringLiteral\\(|"
                       "\\bshowFailure\\([^,();]+,\\s*)\"((?:[^\"\\\\]|\\\\.)*)\""));
    QSet<QString> texts;
    QDirIterator it(sourceDir + QStringLiteral("/src"), { QStringLiteral("*.cpp"), QStringLiteral("*.h") }, QDir::Files,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString code = QString::fromUtf8(file.readAll());
        for (auto match = call.globalMatch(code); match.hasNext();)
            texts.insert(unescapeLiteral(match.next().captured(1)));
    }
    return texts;
}

} // namespace

class TestLanguagePacks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyLanguageHoldsTheEnglishFiles();
    void englishMessagesAreTheSourceTexts();
    void everyPackMatchesTheEnglishPack_data();
    void everyPackMatchesTheEnglishPack();
    void translateFromAWorkerWhileTheLanguageChanges();
};

void TestLanguagePacks::everyLanguageHoldsTheEnglishFiles()
{
    const QMap<QString, QSet<QString>> folders = packFilesByFolder();
    QCOMPARE(folders.size(), 26);
    const QSet<QString> englishFiles = folders.value(english);
    QVERIFY(englishFiles.contains(QStringLiteral("stringresource.lng")));
    QVERIFY(englishFiles.contains(QStringLiteral("mainframe.lng")));
    for (auto it = folders.cbegin(); it != folders.cend(); ++it)
        QVERIFY2(it.value() == englishFiles,
            qPrintable(it.key() + QStringLiteral(": ") + QStringList(it.value().values()).join(u',')));
}

void TestLanguagePacks::englishMessagesAreTheSourceTexts()
{
    const PackFile file = readPackFile(skin().read(packPath(english, QStringLiteral("StringResource.lng"))));
    QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
    for (const QString &source : messageSources)
        QVERIFY2(file.ids.contains(source), qPrintable(source));
    // The sources that look alike but differ: an ASCII comma and blank, a blank before AUTO.BAS.
    QVERIFY(file.ids.contains(QStringLiteral("校验数据失败") + QLatin1String(", ") + QStringLiteral("校验和错误。")));
    QVERIFY(file.ids.contains(QStringLiteral("是否忽略") + QLatin1String(" AUTO.BAS")));
    const PackFile chinese = readPackFile(
        skin().read(packPath(QStringLiteral("chinesesimplified"), QStringLiteral("StringResource.lng"))));
    for (const QString &source : messageSources)
        QCOMPARE(chinese.entries.at(source).value(QStringLiteral("text")), source);

    // Texts that code added since: read from the sources, so that a new
    // message or a changed character in one shows here.
    const QString sourceDir = qEnvironmentVariable("OSTREL_SOURCE_DIR");
    QVERIFY2(QFileInfo(sourceDir + QStringLiteral("/src")).isDir(), qPrintable(sourceDir));
    const QSet<QString> translated = translatedSourceTexts(sourceDir);
    QVERIFY(!translated.isEmpty());
    const MessagePack englishPack
        = parseMessagePack(skin().read(packPath(english, QStringLiteral("StringResource.lng"))));
    const MessagePack chinesePack = parseMessagePack(
        skin().read(packPath(QStringLiteral("chinesesimplified"), QStringLiteral("StringResource.lng"))));
    for (const QString &source : translated) {
        QVERIFY2(englishPack.contains(source), qPrintable(QStringLiteral("not in the English pack: ") + source));
        QVERIFY2(chinesePack.value(source) == source, qPrintable(QStringLiteral("not in the Chinese pack: ") + source));
    }
}

void TestLanguagePacks::everyPackMatchesTheEnglishPack_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    const QMap<QString, QSet<QString>> folders = packFilesByFolder();
    QStringList englishFiles = folders.value(english).values();
    englishFiles.sort();
    for (auto it = folders.cbegin(); it != folders.cend(); ++it) {
        for (const QString &file : englishFiles)
            QTest::addRow("%s/%s", qPrintable(it.key()), qPrintable(file)) << it.key() << file;
    }
}

void TestLanguagePacks::everyPackMatchesTheEnglishPack()
{
    QFETCH(QString, folder);
    QFETCH(QString, file);
    const QByteArray bytes = skin().read(packPath(folder, file));
    QVERIFY2(!bytes.isNull(), "the file is missing");
    const PackFile pack = readPackFile(bytes);
    const PackFile reference = readPackFile(skin().read(packPath(english, file)));
    QVERIFY2(pack.error.isEmpty(), qPrintable(pack.error));
    QCOMPARE(pack.rootName, QStringLiteral("Language"));
    QCOMPARE(pack.entryName, reference.entryName);

    QCOMPARE(QSet<QString>(pack.ids.cbegin(), pack.ids.cend()).size(), pack.ids.size());
    QCOMPARE(
        QSet<QString>(pack.ids.cbegin(), pack.ids.cend()), QSet<QString>(reference.ids.cbegin(), reference.ids.cend()));

    for (const auto &[id, englishAttributes] : reference.entries) {
        const QHash<QString, QString> &attributes = pack.entries.at(id);
        for (auto attribute = englishAttributes.cbegin(); attribute != englishAttributes.cend(); ++attribute) {
            const QString where = QStringLiteral("id %1, %2").arg(id, attribute.key());
            const QString translation = attributes.value(attribute.key());
            if (!attribute.value().trimmed().isEmpty())
                QVERIFY2(!translation.trimmed().isEmpty(), qPrintable(where + QStringLiteral(" is empty")));
            QVERIFY2(placeholders(translation) == placeholders(attribute.value()),
                qPrintable(where + QStringLiteral(": ") + translation));
        }
    }

    // The program's own reader takes every entry too.
    if (pack.entryName == QLatin1String("String")) {
        QCOMPARE(parseMessagePack(bytes).size(), pack.ids.size());
    } else {
        const WindowPack parsed = parseWindowPack(bytes);
        QCOMPARE(parsed.texts.size() + parsed.tooltips.size() + parsed.hints.size(),
            std::accumulate(pack.entries.cbegin(), pack.entries.cend(), qsizetype(0),
                [](qsizetype sum, const auto &entry) { return sum + entry.second.size(); }));
    }
}

// The language dialog may change the language while the upgrade worker
// translates its status texts (its dialog can be closed while it runs).
void TestLanguagePacks::translateFromAWorkerWhileTheLanguageChanges()
{
    LanguageManager languages(skin());
    languages.select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    const QString source = QStringLiteral("校验数据失败, 校验和错误。");
    const QString inEnglish = languages.translate(source);
    languages.select(QStringLiteral("Lang\\German"), QStringLiteral("German"));
    const QString inGerman = languages.translate(source);
    QVERIFY(inEnglish != inGerman && inEnglish != source && inGerman != source);

    std::atomic<bool> stop = false;
    std::atomic<int> english = 0;
    std::atomic<int> german = 0;
    QStringList unexpected;
    std::thread worker([&] {
        while (!stop) {
            const QString text = languages.translate(source);
            if (text == inEnglish)
                ++english;
            else if (text == inGerman)
                ++german;
            else if (unexpected.size() < 10)
                unexpected.append(text);
        }
    });
    QElapsedTimer elapsed;
    elapsed.start();
    int switches = 0;
    while ((switches < 2000 || english < 100 || german < 100) && elapsed.elapsed() < 10000) {
        const bool toGerman = switches++ % 2 == 0;
        languages.select(toGerman ? QStringLiteral("Lang\\German") : QStringLiteral("Lang\\English"),
            toGerman ? QStringLiteral("German") : QStringLiteral("English"));
    }
    stop = true;
    worker.join();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(u'|')));
    QVERIFY2(
        english >= 100 && german >= 100, qPrintable(QStringLiteral("%1 English, %2 German").arg(english).arg(german)));
}

QTEST_GUILESS_MAIN(TestLanguagePacks)
#include "tst_languagepacks.moc"
