#include "support/process.h"

#include <QProcess>
#include <QTest>

namespace morvek::testing {

ProgramRun RunProgram(const QString& program, const QStringList& args, const QString& home,
                      int ms) {
    QProcess p;
    if (!home.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home + "/config");
        env.insert("XDG_DATA_HOME", home + "/data");
        env.insert("XDG_DATA_DIRS", home + "/system");
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, ms)) p.kill();
    p.waitForFinished();
    ProgramRun run;
    if (p.exitStatus() == QProcess::NormalExit && p.error() == QProcess::UnknownError)
        run.status = p.exitCode();
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

}  // namespace morvek::testing
