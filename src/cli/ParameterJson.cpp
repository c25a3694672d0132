#include "cli/ParameterJson.h"

#include "cli/English.h"
#include "protocol/ParameterPasses.h"
#include "protocol/PrinterStatus.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonParseError>

#include <climits>
#include <cmath>

namespace cli {

namespace {

using P = PrinterParameters;
using protocol::OptionsPage;
using protocol::ParameterRow;
using protocol::Setting;

// One value of a snapshot: a row's field, or the base value a row reads
// beside it (read-only, unchecked).
struct Field {
    const char *json;
    protocol::NumberField number;
    protocol::TextField text;
    const ParameterRow *row;
    bool base;

    std::optional<Setting> setting() const { return base ? std::nullopt : row->sentBy(); }
};

const QList<Field> &fields()
{
    static const QList<Field> all = [] {
        QList<Field> list;
        for (const ParameterRow &row : protocol::parameterTable()) {
            list.append({ row.json, row.number, row.text, &row, false });
            if (row.baseJson)
                list.append({ row.baseJson, row.baseNumber, nullptr, &row, true });
        }
        return list;
    }();
    return all;
}

const Field *fieldNamed(const QString &name)
{
    for (const Field &field : fields()) {
        if (name == QLatin1String(field.json))
            return &field;
    }
    return nullptr;
}

// The flags beside the record that decide which groups the writing pass sends.
const ParameterRow *groupNamed(const QString &name)
{
    for (const ParameterRow &row : protocol::parameterTable()) {
        if (row.group && name == QLatin1String(row.group))
            return &row;
    }
    return nullptr;
}

QString groupNames()
{
    QStringList names;
    for (const ParameterRow &row : protocol::parameterTable()) {
        if (row.group)
            names.append(QLatin1String(row.group));
    }
    return names.join(QStringLiteral(", "));
}

QString valueText(const P &params, const Field &field)
{
    if (field.number)
        return QString::number(params.*field.number);
    return params.*field.text;
}

QString rangeText(const ParameterRow &row)
{
    if (row.maximum == INT_MAX)
        return QStringLiteral("%1 or more").arg(row.minimum);
    return QStringLiteral("%1..%2").arg(row.minimum).arg(row.maximum);
}

// "a, b or c"
QString alternatives(QStringList words)
{
    const QString last = words.takeLast();
    return words.isEmpty() ? last : words.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// Empty when the value may be sent; otherwise why not.
QString checkInteger(const Field &field, qint32 value)
{
    if (field.base)
        return {};
    const ParameterRow &row = *field.row;
    if (!row.choices.empty()) {
        QStringList texts;
        for (const qint32 choice : row.choices) {
            if (choice == value)
                return {};
            texts.append(QString::number(choice));
        }
        return QStringLiteral("%1 is not %2").arg(value).arg(alternatives(texts));
    }
    if (value < row.minimum || value > row.maximum)
        return QStringLiteral("%1 is outside %2").arg(value).arg(rangeText(row));
    return {};
}

QString checkText(const Field &field, const QString &value)
{
    const ParameterRow &row = *field.row;
    if (row.entry == protocol::Entry::Address) {
        const QStringList parts = value.split(u'.');
        bool ok = parts.size() == 4;
        for (qsizetype i = 0; ok && i < parts.size(); ++i) {
            const int n = parts[i].toInt(&ok);
            ok = ok && n >= 0 && n <= 255 && parts[i].size() <= 3;
        }
        return ok ? QString() : QStringLiteral("\"%1\" is not a dotted address").arg(value);
    }
    if (row.entry == protocol::Entry::Quotable) {
        for (const QChar c : value) {
            if (c == u'"' || c.category() == QChar::Other_Control)
                return QStringLiteral("a double quote or control character cannot be sent");
        }
        return {};
    }
    if (!row.words.empty()) {
        QStringList texts;
        for (const char *word : row.words) {
            if (value == QLatin1String(word))
                return {};
            texts.append(QLatin1String(word));
        }
        bool ok = false;
        value.toInt(&ok);
        texts.append(QStringLiteral("a number"));
        return ok ? QString() : QStringLiteral("\"%1\" is not %2").arg(value, alternatives(texts));
    }
    return {};
}

QString fieldError(const char *name, const QString &why)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(name), why);
}

bool readField(P &params, const Field &field, const QJsonValue &value, QString *error)
{
    if (field.number) {
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || std::floor(number) != number || number < INT_MIN || number > INT_MAX) {
            *error = fieldError(field.json, QStringLiteral("not a whole number"));
            return false;
        }
        params.*field.number = qint32(number);
        return true;
    }
    if (!value.isString()) {
        *error = fieldError(field.json, QStringLiteral("not a text"));
        return false;
    }
    params.*field.text = value.toString();
    return true;
}

// Whether the file says its own printer lacked a group condition: the
// group's values in it are then only the record's defaults.
bool fileLacks(const ParameterSnapshot &snapshot, protocol::NumberField condition)
{
    if (!condition || snapshot.params.*condition != 0)
        return false;
    for (const ParameterRow &row : protocol::parameterTable()) {
        if (row.number == condition)
            return snapshot.present.contains(QLatin1String(row.json));
        if (row.answered == condition)
            return snapshot.groups.contains(QLatin1String(row.group));
    }
    return false;
}

// Empty when every value the file holds may be sent; a value of a group its
// printer lacked is never sent, so it is not held against the file.
QString checkValues(const ParameterSnapshot &snapshot)
{
    for (const Field &field : fields()) {
        if (!snapshot.present.contains(QLatin1String(field.json)))
            continue;
        if (const std::optional<Setting> setting = field.setting()) {
            const ParameterRow &sender = protocol::rowOf(*setting);
            if (fileLacks(snapshot, sender.writeCondition) || fileLacks(snapshot, sender.secondWriteCondition))
                continue;
        }
        const QString why = field.number ? checkInteger(field, snapshot.params.*field.number)
                                         : checkText(field, snapshot.params.*field.text);
        if (!why.isEmpty())
            return fieldError(field.json, why);
    }
    return {};
}

} // namespace

QJsonObject parametersToJson(const PrinterParameters &params)
{
    QJsonObject values;
    for (const Field &field : fields()) {
        if (field.number)
            values.insert(QLatin1String(field.json), params.*field.number);
        else
            values.insert(QLatin1String(field.json), params.*field.text);
    }
    QJsonObject answered;
    for (const ParameterRow &row : protocol::parameterTable()) {
        if (row.group)
            answered.insert(QLatin1String(row.group), params.*row.answered != 0);
    }
    return QJsonObject {
        { QStringLiteral("status"),
            QJsonObject { { QStringLiteral("byte"), params.statusByte },
                { QStringLiteral("text"), statusText(params.statusByte) } } },
        { QStringLiteral("groupsAnswered"), answered },
        { QStringLiteral("parameters"), values },
    };
}

std::optional<ParameterSnapshot> parametersFromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("not JSON: %1 at byte %2").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || !root.value(QStringLiteral("parameters")).isObject()) {
        *error = QStringLiteral("no \"parameters\" object");
        return std::nullopt;
    }
    ParameterSnapshot snapshot;
    const QJsonObject values = root.value(QStringLiteral("parameters")).toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        const Field *field = fieldNamed(it.key());
        if (!field) {
            *error = QStringLiteral("%1: no such parameter").arg(it.key());
            return std::nullopt;
        }
        if (!readField(snapshot.params, *field, it.value(), error))
            return std::nullopt;
        snapshot.present.insert(it.key());
    }
    const QJsonValue answeredValue = root.value(QStringLiteral("groupsAnswered"));
    if (!answeredValue.isUndefined() && !answeredValue.isObject()) {
        *error = QStringLiteral("groupsAnswered: not an object");
        return std::nullopt;
    }
    const QJsonObject answered = answeredValue.toObject();
    for (auto it = answered.begin(); it != answered.end(); ++it) {
        const ParameterRow *group = groupNamed(it.key());
        if (!group || !it.value().isBool()) {
            *error
                = QStringLiteral("groupsAnswered: %1 is not one of %2 with true or false").arg(it.key(), groupNames());
            return std::nullopt;
        }
        snapshot.params.*group->answered = it.value().toBool() ? 1 : 0;
        snapshot.groups.insert(it.key());
    }
    if (const QString why = checkValues(snapshot); !why.isEmpty()) {
        *error = why;
        return std::nullopt;
    }
    return snapshot;
}

QList<Setting> completeSettings(const ParameterSnapshot &snapshot)
{
    QList<Setting> complete;
    for (const Field &field : fields()) {
        const std::optional<Setting> setting = field.setting();
        if (!setting || complete.contains(*setting))
            continue;
        bool whole = true;
        for (const Field &other : fields()) {
            if (other.setting() == setting && !snapshot.present.contains(QLatin1String(other.json)))
                whole = false;
        }
        if (whole)
            complete.append(*setting);
    }
    return complete;
}

PrinterParameters withTargetConditions(const ParameterSnapshot &snapshot, const PrinterParameters &target)
{
    PrinterParameters params = snapshot.params;
    for (const ParameterRow &row : protocol::parameterTable()) {
        for (const protocol::NumberField condition : { row.writeCondition, row.secondWriteCondition }) {
            if (condition)
                params.*condition = target.*condition != 0 && !fileLacks(snapshot, condition);
        }
    }
    return params;
}

QList<int> defaultPages()
{
    QList<int> pages;
    for (int page = 0; page <= static_cast<int>(OptionsPage::Special); ++page) {
        if (page != static_cast<int>(OptionsPage::Network))
            pages.append(page);
    }
    return pages;
}

std::optional<QList<int>> parsePages(const QString &text)
{
    QList<int> pages;
    for (const QString &part : text.split(u',')) {
        bool ok = false;
        const int page = part.trimmed().toInt(&ok);
        if (!ok || page < 0 || page > static_cast<int>(OptionsPage::Special))
            return std::nullopt;
        if (!pages.contains(page))
            pages.append(page);
    }
    return pages;
}

QList<FieldDifference> differences(
    const ParameterSnapshot &snapshot, const PrinterParameters &printer, const QList<int> &pages)
{
    QList<FieldDifference> found;
    for (const Field &field : fields()) {
        if (!field.setting() || !pages.contains(static_cast<int>(field.row->page))
            || !snapshot.present.contains(QLatin1String(field.json)))
            continue;
        const QString inFile = valueText(snapshot.params, field);
        const QString onPrinter = valueText(printer, field);
        if (inFile != onPrinter)
            found.append({ QLatin1String(field.json), inFile, onPrinter });
    }
    return found;
}

QString statusText(qint32 statusByte)
{
    QStringList words = protocol::statusWords(statusByte, english);
    words.removeAll(QString());
    return words.join(u' ');
}

} // namespace cli
