// An X11 session client that cancels the next log-off, as a program whose
// user pressed Cancel in its save prompt: asked to save for a shutdown, it
// asks to interact, and once it may, waits for the file GO to exist and ends
// the interaction with "cancel shutdown". Prints "connected" and
// "interacting" as it gets there; exits 0 once the log-off is cancelled, 1 on
// any failure (the session dying too). Usage: xsmp_cancel GO
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>

namespace {

enum class Stage { Idle, Interacting, Cancelled, Died } stage = Stage::Idle;

void Say(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}

void OnSaveYourself(SmcConn connection, SmPointer, int, Bool shutdown, int interactStyle, Bool) {
    if (!shutdown || interactStyle != SmInteractStyleAny) {
        SmcSaveYourselfDone(connection, True);
        return;
    }
    SmcInteractRequest(connection, SmDialogNormal, [](SmcConn, SmPointer) {
        stage = Stage::Interacting;
        Say("interacting");
    }, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 1;
    SmcCallbacks callbacks{};
    callbacks.save_yourself.callback = OnSaveYourself;
    callbacks.die.callback = [](SmcConn, SmPointer) { stage = Stage::Died; };
    callbacks.save_complete.callback = [](SmcConn, SmPointer) {};
    // A save under way is still to be answered.
    callbacks.shutdown_cancelled.callback = [](SmcConn connection, SmPointer) { SmcSaveYourselfDone(connection, False); };
    char error[256] = "", *clientId = nullptr;
    SmcConn connection = SmcOpenConnection(nullptr, nullptr, SmProtoMajor, SmProtoMinor,
                                           SmcSaveYourselfProcMask | SmcDieProcMask | SmcSaveCompleteProcMask |
                                               SmcShutdownCancelledProcMask,
                                           &callbacks, nullptr, &clientId, sizeof error, error);
    if (!connection) return std::fprintf(stderr, "xsmp_cancel: %s\n", error), 1;
    Say("connected");
    IceConn ice = SmcGetIceConnection(connection);
    pollfd watched{IceConnectionNumber(ice), POLLIN, 0};
    while (stage != Stage::Cancelled && stage != Stage::Died) {
        if (poll(&watched, 1, 100) > 0 && IceProcessMessages(ice, nullptr, nullptr) != IceProcessMessagesSuccess)
            return std::fprintf(stderr, "xsmp_cancel: the session manager went away\n"), 1;
        if (stage == Stage::Interacting && access(argv[1], F_OK) == 0) {
            SmcInteractDone(connection, True);
            stage = Stage::Cancelled;
        }
    }
    // The session manager's ShutdownCancelled, answered before leaving.
    for (int i = 0; i < 10; ++i)
        if (poll(&watched, 1, 100) > 0) IceProcessMessages(ice, nullptr, nullptr);
    SmcCloseConnection(connection, 0, nullptr);
    return stage == Stage::Cancelled ? 0 : (std::fprintf(stderr, "xsmp_cancel: told to die\n"), 1);
}
