#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGHUP (the end of the desktop session, a kill, a closed terminal) as a Qt signal.
// The handler only writes the signal's number into a socket; the event loop reads it there, so
// everything the program does about it happens outside the handler. One at a time; the default
// handling comes back when it goes.
class TerminationSignals final : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

  signals:
    void Received(int signal);

  private:
    void Read();

    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};
