#pragma once

#include "connection/PortSettings.h"

#include <QLocale>
#include <QString>

class SettingsStore;

// Decisions start-up makes before any window exists.
namespace startup {

struct LanguageChoice {
    QString folder; // "Lang\\English"
    QString name; // "English"
};

// Pack name for a Windows language identifier: the primary language (low
// 10 bits) through the language table; traditional-Chinese identifiers
// (Taiwan, Hong Kong, Macau, zh-Hant) choose "ChineseTraditional".
// Anything unknown gives "English".
QString languageNameForLangId(quint16 langId);

// The Windows language identifier that corresponds to a locale, so that a
// Linux user's language picks the same pack as on Windows.
quint16 langIdForLocale(const QLocale &locale);

// Stored "Language"/"LangName" first, else the user's language.
LanguageChoice chooseLanguage(const QString &storedName, quint16 userLangId);
LanguageChoice chooseLanguage(const SettingsStore &store, const QLocale &userLocale = QLocale::system());

// "Port"/"PortType", default Usb.
PortKind readPortKind(const SettingsStore &store);
bool writePortKind(SettingsStore &store, PortKind kind);

} // namespace startup
