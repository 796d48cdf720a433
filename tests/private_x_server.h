// PrivateXServer: an Xvfb display of a test's own that the test can end whenever it likes, to take the
// server away from under a running program (run-with-display.sh's display lives as long as its command).
#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

class PrivateXServer {
  public:
    // Starts Xvfb on a free display number, which Xvfb chooses and writes to its standard output.
    explicit PrivateXServer(const QString& size = QStringLiteral("800x600")) {
        server_.setProcessChannelMode(QProcess::SeparateChannels);
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), size + QStringLiteral("x24"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp")});
        if (!server_.waitForStarted(10000)) return;
        QElapsedTimer timer;
        timer.start();
        while (!server_.canReadLine() && timer.elapsed() < 20000) server_.waitForReadyRead(100);
        const QString number = QString::fromLatin1(server_.readLine()).trimmed();
        if (!number.isEmpty()) name_ = QStringLiteral(":") + number;
    }
    ~PrivateXServer() { Kill(); }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":N", or "" when the server did not start.
    const QString& Name() const { return name_; }

    // Ends the server at once, as a crash would (SIGKILL: the system closes every client connection), and
    // waits until it is gone.
    void Kill() {
        if (server_.state() == QProcess::NotRunning) return;
        server_.kill();
        server_.waitForFinished(10000);
    }

  private:
    QProcess server_;
    QString name_;
};
