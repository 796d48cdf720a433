// Running xdotool from the quick-input dialog's display tests, to move the real pointer and press real keys
// as a user's hand would.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

// Runs xdotool with the arguments; true when it ran and succeeded.
inline bool Xdotool(const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (program.isEmpty()) return false;
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
