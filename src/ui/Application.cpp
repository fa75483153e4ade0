#include "ui/Application.h"

#include "core/Errors.h"
#include "core/helpers/MessageBox.h"
#include "core/helpers/SystemError.h"
#include "ui/QtView.h"

#include <exception>
#include <string>
#include <system_error>

namespace tavolin {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    std::string message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const SilentAbort&) {
        return false;
    } catch (const std::system_error& e) {
        // A file operation the system refused (std::filesystem's errors among them).
        message = SystemErrorText(FaultOf(e.code()), e.what());
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "不明なエラーが発生しました。";
    }
    // Shown outside the handler, so that a box's own events run on a clean stack.
    QtView view(activeWindow());
    ShowMessageBox(view, message, MsgKind::Error, msg_buttons::kOk);
    return false;
}

} // namespace tavolin
