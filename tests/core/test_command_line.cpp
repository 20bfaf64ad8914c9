// The command line "<n> <address> <port>": what each line gives, field by field, and whether it is
// valid. A failure keeps the fields read before it (the start-up applies them).
#include <QtTest>

#include "core/command_line.h"

using namespace morvek;

namespace {

// "valid type host port", "-" for a field not read.
QString Parsed(const CommandLine& c) {
    return QString("%1 %2 %3 %4")
        .arg(c.valid)
        .arg(c.type ? QString::number(TypeCode(*c.type)) : "-")
        .arg(c.host ? QString::fromStdString(*c.host) : "-")
        .arg(c.port ? QString::number(*c.port) : "-");
}

}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
  private slots:
    void lines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("parsed");
        for (auto [line, parsed] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"3 q2.example.org 27910", "1 3 q2.example.org 27910"},
                 {"x 127.0.0.1 26000", "1 0 127.0.0.1 26000"},  // no number: type 0
                 {"7 127.0.0.1 26000", "1 7 127.0.0.1 26000"},
                 {"0 h 27500.5", "1 0 h 27500"},  // halves to even
                 {"0 h 27501.5", "1 0 h 27502"},
                 {"0 h 2600 1", "1 0 h 26001"},  // blanks inside a number are skipped
                 {"0 h 26000 word", "1 0 h 26000"},
                 {"0 h 65535", "1 0 h 65535"},
                 {"12 host 26000", "0 - - -"},  // no type of two digits
                 {"0 host", "0 0 - -"},
                 {"0 host ", "0 0 host -"},
                 {"0  host 26000", "0 0 - -"},  // an empty address
                 {"0 host 0", "0 0 host -"},
                 {"0 host abc", "0 0 host -"},
                 {"0 h 26000 1", "0 0 h -"},  // reads 260001: the socket refuses it
                 {"0 h 65536", "0 0 h -"},
                 {"0 h -5", "0 0 h -"},
                 {"0 h 1e300", "0 0 h -"},
                 {"", "0 - - -"},
                 {"3", "0 - - -"}})
            QTest::newRow(line) << line << parsed;
    }

    void lines() {
        QFETCH(QString, line);
        QFETCH(QString, parsed);
        QCOMPARE(Parsed(ParseCommandLine(line.toStdString())), parsed);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
