// An X11 session client that cancels the next log-off, as a program whose
// user pressed Cancel in its save prompt: asked to save for a shutdown, it
// asks to interact, and once it may, it waits until the file GO exists and
// then ends the interaction with "cancel shutdown".
// Prints "connected", "interacting" and "cancelled" as it gets there; exits 0
// once the log-off is cancelled, 1 on any failure (the session dying too).
// Usage: xsmp_cancel GO
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum class Stage { Idle, WaitingToInteract, Interacting, Cancelled, Died };
Stage stage = Stage::Idle;

void Say(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}

void OnInteract(SmcConn, SmPointer) {
    stage = Stage::Interacting;
    Say("interacting");
}

void OnSaveYourself(SmcConn connection, SmPointer, int, Bool shutdown, int interactStyle, Bool) {
    if (!shutdown || interactStyle != SmInteractStyleAny) {
        SmcSaveYourselfDone(connection, True);
        return;
    }
    stage = Stage::WaitingToInteract;
    SmcInteractRequest(connection, SmDialogNormal, OnInteract, nullptr);
}

void OnDie(SmcConn, SmPointer) { stage = Stage::Died; }

void OnShutdownCancelled(SmcConn connection, SmPointer) {
    // A save under way is still to be answered.
    SmcSaveYourselfDone(connection, False);
}

void OnSaveComplete(SmcConn, SmPointer) {}

// Never to be saved in the session or started again.
void SetProperties(SmcConn connection) {
    char program[] = "xsmp_cancel";
    char user[] = "test";
    unsigned char never = SmRestartNever;
    SmPropValue programValue{static_cast<int>(std::strlen(program)), program};
    SmPropValue userValue{static_cast<int>(std::strlen(user)), user};
    SmPropValue hintValue{1, &never};
    SmProp programProp{const_cast<char*>(SmProgram), const_cast<char*>(SmARRAY8), 1, &programValue};
    SmProp cloneProp{const_cast<char*>(SmCloneCommand), const_cast<char*>(SmLISTofARRAY8), 1,
                     &programValue};
    SmProp restartProp{const_cast<char*>(SmRestartCommand), const_cast<char*>(SmLISTofARRAY8), 1,
                       &programValue};
    SmProp userProp{const_cast<char*>(SmUserID), const_cast<char*>(SmARRAY8), 1, &userValue};
    SmProp hintProp{const_cast<char*>(SmRestartStyleHint), const_cast<char*>(SmCARD8), 1,
                    &hintValue};
    SmProp* props[] = {&programProp, &cloneProp, &restartProp, &userProp, &hintProp};
    SmcSetProperties(connection, 5, props);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xsmp_cancel GO\n");
        return 1;
    }
    const std::string go = argv[1];
    SmcCallbacks callbacks{};
    callbacks.save_yourself.callback = OnSaveYourself;
    callbacks.die.callback = OnDie;
    callbacks.save_complete.callback = OnSaveComplete;
    callbacks.shutdown_cancelled.callback = OnShutdownCancelled;
    char error[256] = "";
    char* clientId = nullptr;
    SmcConn connection = SmcOpenConnection(
        nullptr, nullptr, SmProtoMajor, SmProtoMinor,
        SmcSaveYourselfProcMask | SmcDieProcMask | SmcSaveCompleteProcMask |
            SmcShutdownCancelledProcMask,
        &callbacks, nullptr, &clientId, sizeof error, error);
    if (!connection) {
        std::fprintf(stderr, "xsmp_cancel: %s\n", error);
        return 1;
    }
    std::free(clientId);
    SetProperties(connection);
    Say("connected");

    IceConn ice = SmcGetIceConnection(connection);
    pollfd watched{IceConnectionNumber(ice), POLLIN, 0};
    while (stage != Stage::Cancelled && stage != Stage::Died) {
        if (poll(&watched, 1, 100) > 0 &&
            IceProcessMessages(ice, nullptr, nullptr) != IceProcessMessagesSuccess) {
            std::fprintf(stderr, "xsmp_cancel: the session manager went away\n");
            return 1;
        }
        if (stage == Stage::Interacting && access(go.c_str(), F_OK) == 0) {
            SmcInteractDone(connection, True);
            stage = Stage::Cancelled;
        }
    }
    if (stage == Stage::Died) {
        std::fprintf(stderr, "xsmp_cancel: told to die, the log-off went on\n");
        return 1;
    }
    // The session manager's ShutdownCancelled, answered before leaving.
    for (int i = 0; i < 10; ++i)
        if (poll(&watched, 1, 100) > 0) IceProcessMessages(ice, nullptr, nullptr);
    Say("cancelled");
    SmcCloseConnection(connection, 0, nullptr);
    return 0;
}
