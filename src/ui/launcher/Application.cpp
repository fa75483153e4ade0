#include "ui/launcher/Application.h"

#include "core/Errors.h"
#include "core/helpers/MessageBox.h"
#include "core/helpers/SystemError.h"
#include "ui/launcher/QtView.h"

#include <QLibraryInfo>
#include <QPointer>
#include <QProxyStyle>
#include <QStringList>
#include <QStyle>
#include <QTranslator>

#include <exception>
#include <memory>
#include <string>
#include <system_error>

namespace tavolin {

namespace {

// The desktop's style, with pop-up hints that show almost as soon as the mouse rests.
class HintPauseStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return kHintPauseMs;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    static constexpr int kHintPauseMs = 10;
};

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setStyle(new HintPauseStyle(style()->name()));
}

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

bool InstallQtTranslation(const QString& language) {
    static QPointer<QTranslator> installed;
    delete installed; // a translator takes itself off the application's list as it goes
    QStringList folders;
#ifdef Q_OS_WIN
    folders << QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
#endif
    folders << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qtbase alone, not the qt_<language> catalogue that would load every Qt module's file.
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_") + language, folder)) {
            QCoreApplication::installTranslator(translator.get());
            installed = translator.release();
            return true;
        }
    }
    return false;
}

} // namespace tavolin
