#pragma once

// Stopping a run from outside. SIGINT, SIGTERM and SIGHUP do not end the
// program where it stands: the handler only notes the signal, and the run
// stops at its next safe point as Cancel would (nothing more is saved, the
// read-only attribute is put back). SIGPIPE is ignored, so that a reader of
// the transcript going away is a failed write rather than a sudden death.
namespace stopsignals {

// Installs the handlers (once). A second signal of the same kind ends the
// program at once, for a run that does not reach a safe point.
void Install();

// Ignores SIGPIPE only.
void IgnoreBrokenPipe();

// The signal that asked the run to stop, or 0.
int Pending();

// Readable when a signal arrived (for an event loop to wake up on); -1 before
// Install.
int WakeUpFd();

// The exit status of a run stopped by signal: 128 + the signal's number.
inline int ExitStatus(int signal)
{
    return 128 + signal;
}

// Tests: forget a noted signal.
void Reset();

} // namespace stopsignals
