// The settings file is read once per load and read and replaced once per save, whatever its size:
// the kernel reports every open and every rename of the file (inotify).
#include <sys/inotify.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/settings_backend.h"

using namespace morvek;

namespace {

// Opens of the file and renames onto it since the watch began.
class FileEvents {
  public:
    FileEvents(const QString& folder, const QString& name) : name_(name.toStdString()) {
        fd_ = inotify_init1(IN_NONBLOCK);
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_MOVED_TO);
    }
    ~FileEvents() { close(fd_); }
    // {opens, renames onto it}
    std::pair<int, int> Take() {
        std::pair<int, int> counts;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len && name_ == event->name) {
                    if (event->mask & IN_OPEN) ++counts.first;
                    if (event->mask & IN_MOVED_TO) ++counts.second;
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
        return counts;
    }

  private:
    int fd_ = -1;
    std::string name_;
};

}  // namespace

class TestSettingsFileReads : public QObject {
    Q_OBJECT
  private slots:
    void one_read_per_load_one_replacement_per_save() {
        QTemporaryDir dir;
        platform::IniSettingsBackend store(dir.filePath("Morvek.conf"));
        QVERIFY(SaveSettings(store, SettingsValues{}, "localhost", {}));  // creates the file
        FileEvents events(dir.path(), "Morvek.conf");
        auto loaded = LoadSettings(store, {});
        QVERIFY(loaded);
        QCOMPARE(events.Take(), std::make_pair(1, 0));
        loaded->server_port = 27500;
        QVERIFY(SaveSettings(store, *loaded, "example.org", {}));
        QCOMPARE(events.Take(), std::make_pair(1, 1));
        QCOMPARE(LoadSettings(store, {})->server_port, 27500);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFileReads)
#include "test_settings_file_reads.moc"
