#pragma once

#include "protocol/ParameterCatalogue.h"
#include "protocol/PrinterParameters.h"

#include <QString>

#include <climits>
#include <optional>
#include <span>

// The one description of every printer parameter: a row per field with its
// query and reply grammar, its setting, the page of the printer options form
// it sits on, the conditions of both passes and the control that shows it.
// The catalogue, the reading and writing passes and the form's bindings are
// all read from here.
namespace protocol {

// Pages of the printer options form, by index.
enum class OptionsPage : int {
    Basic = 0,
    SecondDialect = 1,
    Empty = 2,
    Serial = 3,
    Network = 4,
    Bluetooth = 5,
    Wifi = 6,
    Cutter = 7,
    Special = 8,
};

using NumberField = qint32 PrinterParameters::*;
using TextField = QString PrinterParameters::*;

enum class Grammar {
    None, // the field has no query of its own
    Integer,
    Text,
    DotsToMm,
    FlagOne, // 1 when the reply is exactly "1"
    OptionFlag, // 255-byte read, no CR LF needed
    Token,
    CutBackLength,
};

struct Token {
    const char *word;
    qint32 value;
};

// How the form moves a field between the record and its control.
enum class Binding {
    IntegerText, // the value in decimal as the control's text
    Text,
    Check, // checked when non-zero
    ItemValue, // the list item carrying the value
};

// What the user may type into the field's control before it is written.
enum class Entry {
    Free,
    Digits,
    SignedDigits,
    Quotable, // goes between double quotes on the command line
    Address, // dotted decimal, unless the row's dhcp field is on
};

using SettingFormat = std::optional<QString> (*)(const PrinterParameters &);

struct ParameterRow {
    NumberField number = nullptr;
    TextField text = nullptr;

    std::optional<Query> query; // none: no query, the reading step is still counted
    const char *command = nullptr;
    Grammar grammar = Grammar::None;
    NumberField answered = nullptr; // set to 1 when the query succeeds, 0 when it fails
    const char *baseCommand = nullptr; // a BASE value asked right after the first
    NumberField baseNumber = nullptr;
    std::span<const Token> tokens = {};
    bool unknownTokenKeepsField = false; // otherwise an unknown word gives 0
    NumberField readCondition = nullptr; // queried only when this field is non-zero

    std::optional<Setting> setting; // the writing pass sends settings in Setting order
    SettingFormat format = nullptr;
    NumberField writeCondition = nullptr;
    NumberField secondWriteCondition = nullptr;

    OptionsPage page = OptionsPage::Empty;
    const char *control = nullptr;
    Binding binding = Binding::IntegerText;
    const char *baseControl = nullptr; // shows baseNumber
    Entry entry = Entry::Free;
    bool required = false; // a setting of the page sends it, so it cannot be empty
    NumberField dhcp = nullptr; // Entry::Address: checked only while this is 0

    // How a snapshot file names the field (with its unit where one applies)
    // and what it may hold there before it is sent; Entry::Address and
    // Entry::Quotable hold for the file as for the form.
    const char *json = nullptr;
    const char *baseJson = nullptr; // names baseNumber
    const char *group = nullptr; // names the answered flag
    std::optional<Setting> partOf; // the field goes out with another row's setting
    qint32 minimum = INT_MIN;
    qint32 maximum = INT_MAX;
    std::span<const qint32> choices = {}; // when not empty, the only values
    std::span<const char *const> words = {}; // a text field: one of these or a number

    // The row as a chain of steps, so that the table reads one line per part.
    constexpr ParameterRow withQuery(Query q, const char *c, Grammar g) const
    {
        ParameterRow r = *this;
        r.query = q;
        r.command = c;
        r.grammar = g;
        return r;
    }
    constexpr ParameterRow answering(NumberField flag, const char *groupName) const
    {
        ParameterRow r = *this;
        r.answered = flag;
        r.group = groupName;
        return r;
    }
    constexpr ParameterRow withBase(
        const char *c, NumberField field, const char *baseControlName, const char *baseJsonName) const
    {
        ParameterRow r = *this;
        r.baseCommand = c;
        r.baseNumber = field;
        r.baseControl = baseControlName;
        r.baseJson = baseJsonName;
        return r;
    }
    constexpr ParameterRow withTokens(std::span<const Token> t, bool unknownKeepsField = false) const
    {
        ParameterRow r = *this;
        r.tokens = t;
        r.unknownTokenKeepsField = unknownKeepsField;
        return r;
    }
    constexpr ParameterRow readWhen(NumberField condition) const
    {
        ParameterRow r = *this;
        r.readCondition = condition;
        return r;
    }
    constexpr ParameterRow withSetting(Setting s, SettingFormat f) const
    {
        ParameterRow r = *this;
        r.setting = s;
        r.format = f;
        return r;
    }
    constexpr ParameterRow writeWhen(NumberField condition, NumberField second = nullptr) const
    {
        ParameterRow r = *this;
        r.writeCondition = condition;
        r.secondWriteCondition = second;
        return r;
    }
    constexpr ParameterRow shownBy(OptionsPage p, const char *name, Binding b) const
    {
        ParameterRow r = *this;
        r.page = p;
        r.control = name;
        r.binding = b;
        return r;
    }
    constexpr ParameterRow typed(Entry e, bool isRequired = false, NumberField dhcpField = nullptr) const
    {
        ParameterRow r = *this;
        r.entry = e;
        r.required = isRequired;
        r.dhcp = dhcpField;
        return r;
    }
    constexpr ParameterRow sentWith(Setting s) const
    {
        ParameterRow r = *this;
        r.partOf = s;
        return r;
    }
    constexpr ParameterRow within(qint32 min, qint32 max = INT_MAX) const
    {
        ParameterRow r = *this;
        r.minimum = min;
        r.maximum = max;
        return r;
    }
    constexpr ParameterRow oneOf(std::span<const qint32> values) const
    {
        ParameterRow r = *this;
        r.choices = values;
        return r;
    }
    constexpr ParameterRow wordOrNumber(std::span<const char *const> w) const
    {
        ParameterRow r = *this;
        r.words = w;
        return r;
    }
    // The setting that sends the field: its own or the one it is part of.
    constexpr std::optional<Setting> sentBy() const { return setting ? setting : partOf; }
};

// Every row in the order of the reading pass (its steps 2..64).
std::span<const ParameterRow> parameterTable();
// The row of a query or a setting; every value has exactly one.
const ParameterRow &rowOf(Query query);
const ParameterRow &rowOf(Setting setting);

inline bool holds(const PrinterParameters &params, NumberField condition)
{
    return !condition || params.*condition != 0;
}

} // namespace protocol
