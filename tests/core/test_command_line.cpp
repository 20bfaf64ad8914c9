#include <QtTest>

#include "core/command_line.h"

using namespace morvek;

class TestCommandLine : public QObject {
    Q_OBJECT
  private slots:
    void valid_lines() {
        auto c = ParseCommandLine("3 q2.example.org 27910");
        QVERIFY(c.valid);
        QCOMPARE(*c.type, ServerType(3));
        QCOMPARE(*c.host, std::string("q2.example.org"));
        QCOMPARE(*c.port, 27910);
        auto letter = ParseCommandLine("x 10.0.0.1 26000");
        QVERIFY(letter.valid);
        QCOMPARE(*letter.type, ServerType(0));
        auto seven = ParseCommandLine("7 host 26000");
        QVERIFY(seven.valid);
        QCOMPARE(*seven.type, ServerType(7));
        QCOMPARE(*ParseCommandLine("0 h 27500.5").port, 27500);
        QCOMPARE(*ParseCommandLine("0 h 27501.5").port, 27502);
        QCOMPARE(*ParseCommandLine("0 h 26000 abc").port, 26000);
    }

    void failures_keep_the_fields_already_applied() {
        auto two = ParseCommandLine("12 host 26000");
        QVERIFY(!two.valid);
        QVERIFY(!two.type);
        auto no_second_space = ParseCommandLine("0 host");
        QVERIFY(!no_second_space.valid);
        QCOMPARE(*no_second_space.type, ServerType(0));
        QVERIFY(!no_second_space.host);
        auto zero_port = ParseCommandLine("0 host 0");
        QVERIFY(!zero_port.valid);
        QCOMPARE(*zero_port.host, std::string("host"));
        QVERIFY(!zero_port.port);
        QVERIFY(!ParseCommandLine("0 host abc").valid);
        auto empty_address = ParseCommandLine("0  host 26000");
        QVERIFY(!empty_address.valid);
        QCOMPARE(*empty_address.type, ServerType(0));
        QVERIFY(!empty_address.host);
        QVERIFY(!ParseCommandLine("").valid);
        QVERIFY(!ParseCommandLine("0 host ").valid);
    }

    void ports_the_socket_refuses_make_the_line_invalid() {
        QVERIFY(!ParseCommandLine("0 host 26000 1").valid);  // reads 260001
        QVERIFY(!ParseCommandLine("0 host -5").valid);
        QVERIFY(!ParseCommandLine("0 host 1E20").valid);
        QVERIFY(ParseCommandLine("0 host 65535").valid);
    }

    void syntax_message_pieces_joined_by_carriage_returns() {
        std::string text = kCommandLineSyntax;
        QCOMPARE(std::count(text.begin(), text.end(), '\r'), 2L);
        QVERIFY(text.find('\n') == std::string::npos);
        QVERIFY(text.rfind(
                    "Error in interpreting command line. \rSintax: Morvek <n> <address> <port> \r",
                    0) == 0);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
