#include "core/settings/Settings.h"
#include "platform/Platform.h"
#include "ui/Application.h"
#include "ui/OptIcons.h"
#include "ui/SingleInstance.h"
#include "ui/TFrmMain.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The data and settings files live beside the executable; an installed copy whose folder
// the user cannot write keeps them in the user's configuration folder instead.
tavolin::DataFiles FilesBesideTheExecutable(const tavolin::Platform& platform) {
    const QString exe = QCoreApplication::applicationFilePath();
    QString fallback;
    if (!QFileInfo(QFileInfo(exe).absolutePath()).isWritable()) {
        fallback = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/tavolin");
        QDir().mkpath(fallback);
    }
    return tavolin::DataFilePaths(exe.toStdString(), fallback.toStdString(), platform.Style());
}

} // namespace

int main(int argc, char* argv[]) {
    // Wayland lets no client place its own windows: use XWayland unless the user chose.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    tavolin::Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tavolin"));

    tavolin::SingleInstance instance(QStringLiteral("Tavolin_System_Mutex"));
    if (!instance.Acquire()) {
        // Another copy runs: bring it forward and end. While it is still starting it cannot
        // answer, and this copy ends silently all the same.
        instance.AskRunningCopyToComeForward();
        return 0;
    }

    tavolin::InstallIconFallback();
    const auto platform = tavolin::CreatePlatform();
    tavolin::TFrmMain window(*platform, FilesBesideTheExecutable(*platform));
    QObject::connect(&instance, &tavolin::SingleInstance::comeForwardRequested, &window,
                     [&window] {
                         if (window.isMinimized()) window.showNormal();
                         window.show();
                         window.raise();
                         window.activateWindow();
                     });
    window.show();
    return QApplication::exec();
}
