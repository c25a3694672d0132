#include "printer_options/OptionEntries.h"

#include <QLineEdit>
#include <QTest>
#include <QValidator>

using printer_options::EntryCheck;
using protocol::Entry;

class OptionEntriesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void check_data();
    void check();
    void typing_data();
    void typing();
};

void OptionEntriesTest::check_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<EntryCheck>("expected");
    const auto row = [](const char *name, Entry entry, const QString &text, EntryCheck expected) {
        QTest::newRow(name) << entry << text << expected;
    };
    row("digits", Entry::Digits, QStringLiteral("812"), EntryCheck::Fine);
    row("digits empty", Entry::Digits, QString(), EntryCheck::Empty);
    row("digits with a sign", Entry::Digits, QStringLiteral("-5"), EntryCheck::Malformed);
    row("a sign alone", Entry::SignedDigits, QStringLiteral("-"), EntryCheck::Malformed);
    row("signed", Entry::SignedDigits, QStringLiteral("-120"), EntryCheck::Fine);
    row("number and word", Entry::SignedDigits, QStringLiteral("12 dot"), EntryCheck::Malformed);
    row("address", Entry::Address, QStringLiteral("127.0.0.9"), EntryCheck::Fine);
    row("address part above 255", Entry::Address, QStringLiteral("127.0.0.256"), EntryCheck::Malformed);
    row("address with three parts", Entry::Address, QStringLiteral("127.0.1"), EntryCheck::Malformed);
    row("address with an empty part", Entry::Address, QStringLiteral("127..0.1"), EntryCheck::Malformed);
    row("address empty", Entry::Address, QString(), EntryCheck::Empty);
    row("name with blanks", Entry::Quotable, QStringLiteral("Shop floor 2"), EntryCheck::Fine);
    row("name empty is allowed", Entry::Quotable, QString(), EntryCheck::Fine);
    row("name with a quote", Entry::Quotable, QStringLiteral("a\"b"), EntryCheck::Unquotable);
    row("name with a tab", Entry::Quotable, QStringLiteral("a\tb"), EntryCheck::Unquotable);
    row("name with a line end", Entry::Quotable, QStringLiteral("ab\r\n"), EntryCheck::Unquotable);
    row("free text", Entry::Free, QStringLiteral("HIGHT"), EntryCheck::Fine);
}

void OptionEntriesTest::check()
{
    QFETCH(Entry, entry);
    QFETCH(QString, text);
    QFETCH(EntryCheck, expected);
    QCOMPARE(printer_options::checkEntry(entry, text), expected);
}

void OptionEntriesTest::typing_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits drop letters and signs") << Entry::Digits << QStringLiteral("-1a2") << QStringLiteral("12");
    QTest::newRow("sign where accepted") << Entry::SignedDigits << QStringLiteral("-1a2") << QStringLiteral("-12");
    QTest::newRow("sign only in front") << Entry::SignedDigits << QStringLiteral("1-2") << QStringLiteral("12");
    QTest::newRow("address keeps dots") << Entry::Address << QStringLiteral("10.a0.0.1") << QStringLiteral("10.0.0.1");
}

void OptionEntriesTest::typing()
{
    QFETCH(Entry, entry);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QLineEdit edit;
    edit.setValidator(printer_options::validatorFor(entry, &edit));
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.text(), shown);
}

QTEST_MAIN(OptionEntriesTest)
#include "tst_optionentries.moc"
