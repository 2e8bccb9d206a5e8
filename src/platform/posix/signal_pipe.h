#pragma once
// SIGTERM, SIGHUP and SIGINT, turned into a byte on a socket that the event
// loop watches: the handler itself does nothing but write that byte.

namespace nagwick::platform::posix {

// Holds the three back, from the first line of every program on the start
// path until Install(): a log-off during a slow start then brings the warning
// once the window is up, instead of ending the program. The mask survives
// exec; Install() lifts it before anything is started from the program.
void HoldEndSignals();

class SignalPipe {
public:
    // Installs the handlers, then lets the held signals in. False when the
    // socket pair can't be made: the signals then act as they always do.
    bool Install();
    // The end for the event loop to watch for reading.
    int ReadEnd() const { return readEnd_; }
    // Consumes what has arrived; true when at least one signal had come.
    bool Drain();

private:
    int readEnd_ = -1;
};

}  // namespace nagwick::platform::posix
