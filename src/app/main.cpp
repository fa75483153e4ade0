#include "app/Console.h"
#include "core/Platform.h"
#include "core/helpers/MessageBox.h"
#include "core/remote/CommandLine.h"
#include "core/settings/Settings.h"
#include "ui/launcher/Application.h"
#include "ui/launcher/QtView.h"
#include "ui/launcher/SessionEndGuard.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/DialogFont.h"
#include "ui/look/OptIcons.h"
#include "ui/remote/RemoteControl.h"
#include "ui/remote/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include <optional>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Set by the build: the copy that `cmake --install` and the package put in bin/ keeps its
// files in the user's configuration folder; a copy run from where it was built keeps them
// beside itself.
constexpr bool kInstalledCopy = TAVOLIN_INSTALLED_COPY != 0;

// Whether the program can make files in a folder, found out by making one: on Windows
// QFileInfo::isWritable reads only the read-only attribute, not the access rights, so a copy
// unpacked into Program Files would be taken as writable and every save would fail.
bool CanCreateFilesIn(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.tavolin-write-check-XXXXXX"));
    return probe.open();
}

// The data and settings files live beside the executable. An installed copy, and a copy
// whose folder the user cannot write, keep them in the user's configuration folder instead:
// an installed copy run as root, or from a writable prefix, must not write into bin/.
//
// A copy that falls back because its folder is read-only takes the files it finds beside
// itself along, once, and says where they live now; otherwise the user's buttons would
// silently disappear.
tavolin::DataFiles DataFilesOfThisCopy(tavolin::Platform& platform, tavolin::View& view) {
    // Qt spells Windows paths with "/"; the core takes them in the system's own form.
    const QString exe = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    const tavolin::DataFiles beside =
        tavolin::DataFilePaths(exe.toStdString(), std::string(), platform.Style());
    if (!kInstalledCopy && CanCreateFilesIn(QFileInfo(exe).absolutePath()))
        return beside;

    const QString folder = QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/tavolin"));
    QDir().mkpath(folder);
    const tavolin::DataFiles files =
        tavolin::DataFilePaths(exe.toStdString(), folder.toStdString(), platform.Style());
    if (kInstalledCopy)
        return files;
    std::string error;
    const std::vector<std::string> copied =
        tavolin::AdoptFilesBesideExecutable(platform, beside, files, error);
    if (!copied.empty() || !error.empty()) {
        std::string text =
            "実行ファイルのフォルダに書き込めないため、ボタン、設定とメモのファイルは\r\n" +
            folder.toStdString() + "\r\nに置きます。";
        if (!copied.empty())
            text += "\r\n実行ファイルの横にあったファイルをそこへコピーしました。";
        if (!error.empty())
            text += "\r\nコピーできなかったファイルがあります: " + error;
        tavolin::ShowMessageBox(
            view, text, error.empty() ? tavolin::MsgKind::Information : tavolin::MsgKind::Warning,
            tavolin::msg_buttons::kOk);
    }
    return files;
}

void PrintFailure(const std::string& message) {
    if (!message.empty())
        tavolin::console::Write(tavolin::console::Stream::Error, "tavolin: " + message + "\n");
}

// A copy runs already: hand it the request and end with its answer.
int HandToRunningCopy(const tavolin::SingleInstance& instance,
                      const tavolin::remote::Request& request, int& argc, char** argv) {
    using namespace tavolin::remote;
    const QCoreApplication app(argc, argv);
    // A plain start only asks the running copy to come forward; while that copy is still
    // starting it cannot answer, and this copy ends silently all the same. Other requests
    // wait for the running copy to finish starting.
    const bool plainStart = request.OnlyShows();
    const auto answer = instance.Send(request, plainStart ? 2000 : 10000, 10000);
    if (plainStart)
        return kExitDone;
    if (!answer) {
        PrintFailure("the running copy did not answer");
        return kExitFailed;
    }
    if (answer->status != kExitDone)
        PrintFailure(answer->message);
    return answer->status;
}

// Help, the version or a wrong command line: said, with the exit code of the program. Nothing
// when the launcher is to run.
std::optional<int> AnswerWithoutRunning(const tavolin::remote::CommandLine& command) {
    using namespace tavolin::remote;
    using tavolin::console::Stream;
    switch (command.action) {
    case CommandLine::Action::Help:
        tavolin::console::Write(Stream::Out, Usage("tavolin"));
        return kExitDone;
    case CommandLine::Action::Version:
        tavolin::console::Write(Stream::Out, std::string("tavolin ") + TAVOLIN_VERSION + "\n");
        return kExitDone;
    case CommandLine::Action::Error:
        tavolin::console::Write(Stream::Error,
                                "tavolin: " + command.error + "\n\n" + Usage("tavolin"));
        return kExitUsage;
    case CommandLine::Action::Run:
        break;
    }
    return std::nullopt;
}

// Wayland lets no client place its own windows: XWayland unless the user chose a platform.
void PreferXWayland() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef __GLIBC__
    // The data file is read and written in blocks of a megabyte. Once the first such block is
    // freed, glibc would serve the next ones from the heap rather than map them, and the heap
    // would keep their pages for as long as the launcher runs.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    using namespace tavolin::remote;
    const CommandLine command =
        ParseCommandLine(tavolin::console::CommandLineArguments(argc, argv));
    if (const auto code = AnswerWithoutRunning(command))
        return *code;
    const Request& request = command.request;

    tavolin::SingleInstance instance(QStringLiteral("Tavolin_System_Mutex"));
    const tavolin::LockState lock = instance.Lock();
    if (lock == tavolin::LockState::Held)
        return HandToRunningCopy(instance, request, argc, argv);
    if (lock == tavolin::LockState::Failed) {
        // Without a private place the guard could be taken over by another user: run
        // unguarded rather than not at all, and say so.
        PrintFailure(instance.Error() + "; running without the single-instance guard");
        if (request.OnlyQuits()) {
            PrintFailure("a running copy cannot be reached to close it");
            return kExitFailed;
        }
    } else if (request.OnlyQuits()) {
        // Nothing runs that could be closed: no copy is started only to end it.
        return kExitDone;
    }

    PreferXWayland();
    tavolin::Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tavolin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVOLIN_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavolin"));
    if (lock == tavolin::LockState::Taken)
        instance.Listen();

    tavolin::InstallQtTranslation(QStringLiteral("ja"));
    tavolin::InstallIconFallback();
    tavolin::ApplyApplicationFont();
    const auto platform = tavolin::CreatePlatform();
    tavolin::QtView startView(nullptr);
    tavolin::TFrmMain window(*platform, DataFilesOfThisCopy(*platform, startView));
    tavolin::RemoteControl remote(window);
    tavolin::SessionEndGuard sessionEnd(window);
    instance.SetRequestHandler(
        [&remote](const Request& r, const tavolin::SingleInstance::Reply& reply) {
            remote.CarryOut(r, reply);
        });
    window.show();
    // Started with a request and no copy running: this copy carries it out itself.
    if (!request.OnlyShows()) {
        QTimer::singleShot(0, &window, [&remote, &request] {
            remote.CarryOut(request, [](const Answer& a) {
                if (a.status != kExitDone)
                    PrintFailure(a.message);
            });
        });
    }
#ifdef __GLIBC__
    // Start-up frees much of what it made (the data file's blocks, font and image scratch);
    // once the window has painted, the heap hands those pages back.
    QTimer::singleShot(1000, [] { malloc_trim(0); });
#endif
    return QApplication::exec();
}
