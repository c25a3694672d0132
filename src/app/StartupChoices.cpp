#include "app/StartupChoices.h"

#include "app/SettingsStore.h"

#include <array>
#include <utility>

namespace startup {
namespace {

struct LanguageRow {
    quint16 primaryId;
    QLocale::Language locale;
    const char *name;
};

constexpr std::array<LanguageRow, 25> languageTable { {
    { 0x01, QLocale::Arabic, "Arabic" },
    { 0x02, QLocale::Bulgarian, "Bulgarian" },
    { 0x04, QLocale::Chinese, "ChineseSimplified" },
    { 0x05, QLocale::Czech, "Czech" },
    { 0x06, QLocale::Danish, "Danish" },
    { 0x13, QLocale::Dutch, "Dutch" },
    { 0x09, QLocale::English, "English" },
    { 0x25, QLocale::Estonian, "Estonian" },
    { 0x0B, QLocale::Finnish, "Finnish" },
    { 0x0C, QLocale::French, "French" },
    { 0x07, QLocale::German, "German" },
    { 0x08, QLocale::Greek, "Greek" },
    { 0x0E, QLocale::Hungarian, "Hungarian" },
    { 0x10, QLocale::Italian, "Italian" },
    { 0x11, QLocale::Japanese, "Japanese" },
    { 0x12, QLocale::Korean, "Korean" },
    { 0x15, QLocale::Polish, "Polish" },
    { 0x16, QLocale::Portuguese, "Portuguese" },
    { 0x18, QLocale::Romanian, "Romanian" },
    { 0x19, QLocale::Russian, "Russian" },
    { 0x24, QLocale::Slovenian, "Slovenian" },
    { 0x0A, QLocale::Spanish, "Spanish" },
    { 0x1D, QLocale::Swedish, "Swedish" },
    { 0x1E, QLocale::Thai, "Thai" },
    { 0x2A, QLocale::Vietnamese, "Vietnamese" },
} };

constexpr quint16 primaryChinese = 0x04;
// Sub-languages of Chinese written in traditional characters: Taiwan,
// Hong Kong, Macau, and the neutral zh-Hant.
constexpr std::array<quint16, 4> traditionalChineseIds { 0x0404, 0x0C04, 0x1404, 0x7C04 };
constexpr quint16 simplifiedChineseId = 0x0804;
constexpr quint16 englishUsId = 0x0409;
constexpr int subLanguageDefault = 1;

} // namespace

QString languageNameForLangId(quint16 langId)
{
    for (quint16 traditional : traditionalChineseIds) {
        if (langId == traditional)
            return QStringLiteral("ChineseTraditional");
    }
    const quint16 primary = langId & 0x3FF;
    for (const LanguageRow &row : languageTable) {
        if (row.primaryId == primary)
            return QString::fromLatin1(row.name);
    }
    return QStringLiteral("English");
}

quint16 langIdForLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::Chinese) {
        const bool traditional = locale.script() == QLocale::TraditionalChineseScript
            || locale.territory() == QLocale::Taiwan || locale.territory() == QLocale::HongKong
            || locale.territory() == QLocale::Macau;
        return traditional ? traditionalChineseIds.back() : simplifiedChineseId;
    }
    for (const LanguageRow &row : languageTable) {
        if (row.locale == locale.language())
            return static_cast<quint16>((subLanguageDefault << 10) | row.primaryId);
    }
    return englishUsId;
}

LanguageChoice chooseLanguage(const QString &storedName, quint16 userLangId)
{
    const QString name = storedName.isEmpty() ? languageNameForLangId(userLangId) : storedName;
    return { QStringLiteral("Lang\\") + name, name };
}

LanguageChoice chooseLanguage(const SettingsStore &store, const QLocale &userLocale)
{
    return chooseLanguage(
        store.readText(QStringLiteral("Language"), QStringLiteral("LangName"), QString()), langIdForLocale(userLocale));
}

PortKind readPortKind(const SettingsStore &store)
{
    return portKindFromInt(store.readInt(QStringLiteral("Port"), QStringLiteral("PortType"), 0));
}

bool writePortKind(SettingsStore &store, PortKind kind)
{
    return store.writeInt(QStringLiteral("Port"), QStringLiteral("PortType"), toInt(kind));
}

} // namespace startup
