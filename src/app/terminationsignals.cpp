#include "app/terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillet {

namespace {

int pipeFds[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("quillet: termination signals are not handled");
        return;
    }
    for (int i = 0; i < 3; ++i) {
        struct sigaction now {};
        if (::sigaction(kSignals[i], nullptr, &now) != 0 || now.sa_handler == SIG_IGN)
            continue;
        struct sigaction handler {};
        handler.sa_handler = onTerminationSignal;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESTART;
        installed_[i] = ::sigaction(kSignals[i], &handler, &previous_[i]) == 0;
    }
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
}

TerminationSignals::~TerminationSignals()
{
    if (!notifier_)
        return; // the pipe belongs to another object, or there is none
    restoreHandlers();
    delete notifier_;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void TerminationSignals::restoreHandlers()
{
    for (int i = 0; i < 3; ++i) {
        if (installed_[i])
            ::sigaction(kSignals[i], &previous_[i], nullptr);
        installed_[i] = false;
    }
}

void TerminationSignals::readPipe()
{
    unsigned char bytes[16];
    int first = 0;
    for (ssize_t n; (n = ::read(pipeFds[0], bytes, sizeof bytes)) > 0;)
        if (!first)
            first = bytes[0];
    if (!first)
        return;
    restoreHandlers();
    notifier_->setEnabled(false);
    emit received(first);
}

} // namespace quillet
