#pragma once
// SIGTERM, SIGHUP and SIGINT, turned into a byte on a socket that the event
// loop watches: the handler itself does nothing but write that byte.

namespace nagwick::platform::posix {

class SignalPipe {
public:
    // Installs the handlers. False when the socket pair can't be made.
    bool Install();
    // The end for the event loop to watch for reading.
    int ReadEnd() const { return readEnd_; }
    // Consumes what has arrived; true when at least one signal had come.
    bool Drain();

private:
    int readEnd_ = -1;
};

}  // namespace nagwick::platform::posix
