#pragma once
// Runs the real trnsim program for end-to-end tests and tells its device path.

#include <functional>

#include <QProcess>
#include <QString>
#include <QStringList>

class TrnsimProcess {
public:
    // prepare, when given, adjusts the process before it starts (a child-process modifier).
    explicit TrnsimProcess(const QStringList& arguments = {},
                           const std::function<void(QProcess&)>& prepare = {}) {
        process_.setProgram(QStringLiteral(TRN_BIN_DIR "/trnsim"));
        process_.setArguments(arguments);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        if (prepare)
            prepare(process_);
        process_.start();
        if (!process_.waitForStarted(5000))
            return;
        while (!process_.canReadLine() && process_.state() == QProcess::Running)
            process_.waitForReadyRead(200);
        device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~TrnsimProcess() { stop(); }
    TrnsimProcess(const TrnsimProcess&) = delete;
    TrnsimProcess& operator=(const TrnsimProcess&) = delete;

    // The pseudo-terminal path, empty when the simulator did not start.
    const QString& device() const { return device_; }
    bool running() const { return process_.state() == QProcess::Running; }
    QString errors() { return QString::fromLocal8Bit(process_.readAllStandardError()); }

    void stop() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

private:
    QProcess process_;
    QString device_;
};
