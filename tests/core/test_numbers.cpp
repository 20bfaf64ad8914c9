// Number rules, the text forms the program writes, and the command line "<n> <address> <port>".
#include <QJsonObject>
#include <QtTest>
#include <cmath>

#include "core/command_line.h"
#include "core/numbers.h"
#include "core/text.h"

using namespace morvek;

class TestNumbers : public QObject {
    Q_OBJECT
  private slots:
    void leading_number_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        for (const char* row :
             {"|0", " \t2\n6\t0 00|26000", "26000 1|260001", "-12x|-12", ".25|0.25", "15d-1|1.5",
              "4E|4", "&h1a|26", "&O17|15", "&|0", "5\r6|5", "1.2.3|1.2"})
            QTest::newRow(row) << QByteArray(row).split('|')[0]
                               << QByteArray(row).split('|')[1].toDouble();
    }
    void leading_number() {
        QFETCH(QByteArray, text);
        QTEST(LeadingNumber(text.toStdString()), "value");
    }

    void out_of_range_numbers_fail_rather_than_clamp() {
        QVERIFY(std::isinf(LeadingNumber("1E999")) && !ToInt32(LeadingNumber("1E999")));
        QCOMPARE(ToInt16(-32768), std::optional<std::int16_t>(-32768));
        QVERIFY(!ToInt16(32767.5) && !ToInt32(2147483648.0) && !ToInt32(std::nan("")));
        QCOMPARE(FragsValue("4244897001"), -280.0);  // a log's unsigned negative
        QCOMPARE(FragsValue("4244897000"), 4244897000.0);
    }

    void decimal_and_windows_1252_texts() {
        QCOMPARE(
            (std::array{DecimalText(90.0 / 60.0), DecimalText(100.0 / 60.0), DecimalText(-3),
                        SecondsText(125), IntegerText(4244897280LL)}),
            (std::array<std::string, 5>{"1.5", "1.66666666666667", "-3", "0.125", "4244897280"}));
        QCOMPARE(UpperCase1252("\xE9t\xE9 alice \xF7\x9A\xFF"),
                 std::string("\xC9T\xC9 ALICE \xF7\x8A\x9F"));
        QVERIFY(CompareBytes("\xE9", "z") > 0 && CompareBytes("ab", "abc") < 0);
        QCOMPARE(JsonLine(QJsonObject{{"k", FromCp1252("a\"b\\\x01\x80")}}),
                 std::string("{\"k\":\"a\\\"b\\\\\\u0001\xE2\x82\xAC\"}"));
    }

    // "line|valid type host port", "-" for a field not read: a failure keeps the fields read
    // before.
    void command_lines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("parsed");
        for (const char* row :
             {"3 q2.example.org 27910|1 3 q2.example.org 27910",
              "x 127.0.0.1 26000|1 0 127.0.0.1 26000", "0 h 27500.5|1 0 h 27500",
              "0 h 2600 1|1 0 h 26001", "0 h 26000 word|1 0 h 26000", "12 host 26000|0 - - -",
              "0 host |0 0 host -", "0  host 26000|0 0 - -", "0 host 0|0 0 host -",
              "0 h 26000 1|0 0 h -", "0 h 65536|0 0 h -", "|0 - - -"})
            QTest::newRow(row) << QString(row).section('|', 0, 0) << QString(row).section('|', 1);
    }
    void command_lines() {
        QFETCH(QString, line);
        const CommandLine c = ParseCommandLine(line.toStdString());
        QTEST(QString("%1 %2 %3 %4")
                  .arg(c.valid)
                  .arg(c.type ? QString::number(TypeCode(*c.type)) : "-")
                  .arg(c.host ? QString::fromStdString(*c.host) : "-")
                  .arg(c.port ? QString::number(*c.port) : "-"),
              "parsed");
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
