// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

namespace navrik {

// Turns SIGTERM, SIGINT and SIGHUP into endRequested(), emitted by the event loop: the handler
// itself only writes the signal's number to a pipe that a socket notifier reads. Once one of them
// has arrived, all three take their default action again, so a second one ends the program at
// once. A signal that was ignored when the program started (SIGHUP under nohup, SIGINT for a
// background job) stays ignored. One object at a time; its destruction restores the defaults.
class SignalHandling : public QObject {
    Q_OBJECT

public:
    explicit SignalHandling(QObject* parent = nullptr);
    ~SignalHandling() override;

signals:
    void endRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace navrik
