#pragma once
// A D-Bus daemon of the test's own, so that a fake session manager can serve
// on it without touching the desktop's buses.
#include <QProcess>
#include <QString>
#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace nagwick::test {

class PrivateBus {
public:
    PrivateBus() {
        const auto config = folder_ / "bus.conf";
        WriteFile(config, R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=)" + folder_.str() + R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)");
        daemon_.start("dbus-daemon", {"--config-file=" + QString::fromStdString(config.string()),
                                      "--nofork", "--print-address=1"});
        if (!daemon_.waitForStarted(5000)) return;
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon could not be started.
    const QString& address() const { return address_; }

private:
    TempFolder folder_;
    QProcess daemon_;
    QString address_;
};

}  // namespace nagwick::test
