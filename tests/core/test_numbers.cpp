#include <QJsonObject>
#include <QtTest>
#include <cmath>

#include "core/numbers.h"
#include "core/text.h"

using namespace morvek;

class TestNumbers : public QObject {
    Q_OBJECT
  private slots:
    void leading_number_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << QByteArray("") << 0.0;
        QTest::newRow("letters") << QByteArray("abc") << 0.0;
        QTest::newRow("blanks inside") << QByteArray("26 000") << 26000.0;
        QTest::newRow("tabs and line feeds") << QByteArray(" \t2\n6\t0 00") << 26000.0;
        QTest::newRow("blank then digit appended") << QByteArray("26000 1") << 260001.0;
        QTest::newRow("blank then word") << QByteArray("26000 abc") << 26000.0;
        QTest::newRow("sign") << QByteArray("-12x") << -12.0;
        QTest::newRow("plus sign") << QByteArray("+7") << 7.0;
        QTest::newRow("fraction") << QByteArray("12.5") << 12.5;
        QTest::newRow("leading point") << QByteArray(".25") << 0.25;
        QTest::newRow("comma is no separator") << QByteArray("2,5") << 2.0;
        QTest::newRow("exponent E") << QByteArray("1E3") << 1000.0;
        QTest::newRow("exponent D") << QByteArray("15d-1") << 1.5;
        QTest::newRow("exponent without digits") << QByteArray("4E") << 4.0;
        QTest::newRow("hex") << QByteArray("&HFF") << 255.0;
        QTest::newRow("hex lower") << QByteArray("&h1a") << 26.0;
        QTest::newRow("octal") << QByteArray("&O17") << 15.0;
        QTest::newRow("ampersand alone") << QByteArray("&") << 0.0;
        QTest::newRow("sign alone") << QByteArray("-") << 0.0;
        QTest::newRow("carriage return stops") << QByteArray("5\r6") << 5.0;
        QTest::newRow("second point stops") << QByteArray("1.2.3") << 1.2;
    }
    void leading_number() {
        QFETCH(QByteArray, text);
        QFETCH(double, value);
        QCOMPARE(LeadingNumber(text.toStdString()), value);
    }

    void leading_number_overflow_is_infinite_not_a_crash() {
        QVERIFY(std::isinf(LeadingNumber("1E999")));
        QVERIFY(!ToInt32(LeadingNumber("1E999")));
        QCOMPARE(LeadingNumber(std::string(5000, '9')) > 1e300, true);
    }

    void half_to_even() {
        QCOMPARE(RoundHalfEven(2.5), 2.0);
        QCOMPARE(RoundHalfEven(3.5), 4.0);
        QCOMPARE(RoundHalfEven(-2.5), -2.0);
        QCOMPARE(RoundHalfEven(-3.5), -4.0);
        QCOMPARE(RoundHalfEven(12.5), 12.0);
        QCOMPARE(RoundHalfEven(13.5), 14.0);
        QCOMPARE(RoundHalfEven(27500.5), 27500.0);
        QCOMPARE(RoundHalfEven(27501.5), 27502.0);
        QCOMPARE(RoundHalfEven(0.49), 0.0);
    }

    void conversions_fail_out_of_range() {
        QCOMPARE(ToUInt8(255.4).value(), std::uint8_t(255));
        QVERIFY(!ToUInt8(255.5));  // rounds to 256
        QVERIFY(!ToUInt8(300));
        QVERIFY(!ToUInt8(-1));
        QCOMPARE(ToUInt8(-0.5).value(), std::uint8_t(0));  // -0.5 rounds to 0
        QCOMPARE(ToInt16(-32768).value(), std::int16_t(-32768));
        QVERIFY(!ToInt16(32767.5));
        QCOMPARE(ToInt32(2147483647).value(), 2147483647);
        QVERIFY(!ToInt32(2147483648.0));
        QVERIFY(!ToInt32(std::nan("")));
    }

    void frags_value() {
        QCOMPARE(FragsValue("4244897280"), -1.0);
        QCOMPARE(FragsValue("4244897001"), -280.0);
        QCOMPARE(FragsValue("4244897000"), 4244897000.0);
        QCOMPARE(FragsValue("-3"), -3.0);
        QCOMPARE(FragsValue(""), 0.0);
    }

    void decimal_forms() {
        QCOMPARE(DecimalText(1.5), std::string("1.5"));
        QCOMPARE(DecimalText(90.0 / 60.0), std::string("1.5"));
        QCOMPARE(DecimalText(1), std::string("1"));
        QCOMPARE(DecimalText(100.0 / 60.0), std::string("1.66666666666667"));
        QCOMPARE(DecimalText(-3), std::string("-3"));
        QCOMPARE(SecondsText(2500), std::string("2.5"));
        QCOMPARE(SecondsText(5000), std::string("5"));
        QCOMPARE(SecondsText(125), std::string("0.125"));
        QCOMPARE(IntegerText(4244897280LL), std::string("4244897280"));
    }

    void cp1252_upper_case_and_order() {
        QCOMPARE(UpperCase1252("alice"), std::string("ALICE"));
        QCOMPARE(UpperCase1252("\xE9t\xE9"), std::string("\xC9T\xC9"));  // été
        QCOMPARE(UpperCase1252("\xF7"), std::string("\xF7"));            // division sign stays
        QCOMPARE(UpperCase1252("\x9A\xFF"), std::string("\x8A\x9F"));    // š ÿ
        QVERIFY(CompareBytes("\xE9", "z") > 0);  // unsigned codes: 0xE9 after 'z'
        QVERIFY(CompareBytes("ab", "abc") < 0);
        QVERIFY(EqualsNoCase("STANDARD.HTM", "standard.htm"));
        QCOMPARE(Cp1252ToUtf8("\x80"), std::string("\xE2\x82\xAC"));  // euro sign
        QCOMPARE(JsonLine(QJsonObject{{"k", FromCp1252("a\"b\\\x01\x80")}}),
                 std::string("{\"k\":\"a\\\"b\\\\\\u0001\xE2\x82\xAC\"}"));
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
