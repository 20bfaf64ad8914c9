// One of the programs run to its end while the test's event loop keeps serving (a simulator may
// live in the test), with its configuration, data and system data folders under `home` when one
// is given.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace morvek::testing {

struct ProgramRun {
    int status = -1;  // -1: crashed or still running after `ms`
    QByteArray out, err;
};

ProgramRun RunProgram(const QString& program, const QStringList& args, const QString& home = {},
                      int ms = 30000);

}  // namespace morvek::testing
