// Files from outside: a disk that fills up mid-write leaves the earlier file whole, a path naming
// a pipe is never deleted nor replaced, and a huge template is refused.
#include <sys/resource.h>
#include <sys/stat.h>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "log/recorder.h"
#include "platform/settings_backend.h"
#include "print/painter.h"
#include "support/dialogs.h"
#include "support/process.h"
#include "web/publisher.h"

using namespace morvek;

namespace {

// For this process, every write past `bytes` into a file fails as on a full disk.
class DiskFullAt {
  public:
    explicit DiskFullAt(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFullAt() { setrlimit(RLIMIT_FSIZE, &saved_); }

  private:
    rlimit saved_{};
};

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

}  // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT
  private slots:
    void full_disk_keeps_the_previous_file_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"page", "settings", "pdf"}) QTest::newRow(kind) << kind;
    }
    void full_disk_keeps_the_previous_file() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString target = dir.filePath("target"), page_template = dir.filePath("t.htm");
        const QByteArray old = "[Software\\Varnoth\\Morvek]\nServerName=old\n";
        Write(target, old);
        Write(page_template, "<html>{ServerName}</html>\r\n" + QByteArray(200, 'x'));
        Monitor monitor;
        monitor.snapshot.name = "a server name longer than the room left on the disk";
        platform::IniSettingsBackend settings(target);
        bool written = true;
        {
            DiskFullAt full(16);
            if (kind == "page")
                written = web::PublishPage(page_template, target, monitor, QDateTime());
            else if (kind == "settings")
                written = settings.Write(kSettingsKeyPath, "ServerName", monitor.snapshot.name);
            else
                written = print::PrintReportToPdf(monitor, target);
        }
        QVERIFY(!written);
        QCOMPARE(Read(target), old);
    }

    void pipes_are_never_deleted_nor_replaced() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // The window: "&Record..." names the pipe.
        Monitor monitor;
        testing::Dialogs dialogs;
        MonitorHooks hooks;
        dialogs.files = {fifo.toStdString()};
        StartRecording(monitor, dialogs, hooks);
        QCOMPARE(dialogs.Texts(), std::vector{fifo.toStdString() + " is not a regular file"});
        QVERIFY(!monitor.recording);
        QVERIFY(!AppendLogRecord(fifo.toStdString(), {}, {}));  // would wait for a reader
        // The headless monitor refuses at start.
        for (const char* option : {"--record", "--html-output", "--print-pdf"}) {
            const auto run =
                testing::RunProgram(MORVEK_HEADLESS_EXE, {"--demo", "--polls", "1", option, fifo});
            QCOMPARE(run.status, 2);
            QCOMPARE(run.err, "morvek: " + fifo.toLocal8Bit() + " is not a regular file\n");
        }
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    }

    void template_larger_than_4_mb_is_refused() {
        QTemporaryDir dir;
        QFile big(dir.filePath("big.htm"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(web::kMaxTemplateBytes + 1));
        big.close();
        Monitor monitor;
        monitor.web_active = true;
        monitor.options.html_template = big.fileName().toStdString();
        monitor.options.html_output = dir.filePath("out.htm").toStdString();
        testing::Dialogs dialogs;
        web::HtmlPublisher publisher(monitor, dialogs);
        publisher.timHtml_Timer();
        QCOMPARE(dialogs.Texts(), std::vector<std::string>{"Template file larger than 4 MB"});
        QVERIFY(!monitor.web_active && !QFile::exists(dir.filePath("out.htm")));
    }
};

QTEST_MAIN(TestHostileFiles)
#include "test_hostile_files.moc"
