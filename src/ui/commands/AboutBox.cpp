#include "ui/commands/AboutBox.h"

#include "core/Platform.h"
#include "ui/commands/HelpViewer.h"
#include "ui/look/DialogFont.h"

#include "ui_AboutBox.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSysInfo>
#include <QTimer>

// The logo frames live in a static library, whose resources are only registered when asked
// for by name.
static void InitAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace tavolin {

namespace {

// Where the homepage and the mail link point: build settings of the project.
QString Homepage() {
    return QStringLiteral(TAVOLIN_HOMEPAGE);
}
QString MailAddress() {
    return QStringLiteral(TAVOLIN_MAIL);
}

// The room a line edit keeps on either side of its text.
constexpr int kLineEditMargin = 2;

} // namespace

TAboutBox::TAboutBox(Platform& platform, QWidget* owner)
    : QDialog(owner), m_ui(std::make_unique<Ui::TAboutBox>()), m_platform(platform) {
    InitAboutResources();
    m_ui->setupUi(this);
    ApplyDialogFont(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    m_ui->lblFor->setText(QSysInfo::kernelType() == QStringLiteral("winnt")
                              ? QStringLiteral("for Windows")
                              : QStringLiteral("for Linux"));

    const QColor maroon(0x80, 0, 0);
    for (QLineEdit* field : {m_ui->edtHP, m_ui->edtMail}) {
        QPalette p = field->palette();
        p.setColor(QPalette::Text, maroon);
        p.setColor(QPalette::Base, palette().color(QPalette::Window));
        field->setPalette(p);
        field->setCursor(Qt::PointingHandCursor);
        field->setFocusPolicy(Qt::NoFocus);
        field->installEventFilter(this);
    }
    if (!Homepage().isEmpty()) {
        m_ui->edtHP->setText(Homepage());
        m_ui->edtHP->setToolTip(QStringLiteral("ホームページを見る"));
    } else {
        // Beside the program as built, as text beside it in the Windows packages (a form
        // Windows opens), or in the installed copy's documentation folder.
        const QString dir = QCoreApplication::applicationDirPath();
        QString readme = dir + QStringLiteral("/README.md");
        if (!QFileInfo::exists(readme))
            readme = dir + QStringLiteral("/README.txt");
        if (!QFileInfo::exists(readme))
            readme = QFileInfo(dir + QStringLiteral("/../share/doc/tavolin/README.md"))
                         .absoluteFilePath();
        if (QFileInfo::exists(readme)) {
            m_readme = readme;
            // A long path shows its end, cut before a whole character rather than through one.
            QLineEdit* field = m_ui->edtHP;
            const int room = field->contentsRect().width() - field->textMargins().left() -
                             field->textMargins().right() - 2 * kLineEditMargin;
            field->setText(field->fontMetrics().elidedText(QDir::toNativeSeparators(readme),
                                                           Qt::ElideLeft, room));
            field->setCursorPosition(0);
            m_ui->edtHP->setToolTip(QStringLiteral("README を見る"));
        } else {
            m_ui->edtHP->hide();
        }
    }
    if (!MailAddress().isEmpty())
        m_ui->edtMail->setText(QStringLiteral("mailto:") + MailAddress());
    else
        m_ui->edtMail->hide();

    // Closed as Esc closes it, so that whoever opened the box learns that it has gone.
    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showEvent(QShowEvent* event) {
    FromShow();
    QDialog::showEvent(event);
}

void TAboutBox::FromShow() {
    Timer->start(1); // the first frame at once
    const QRect screen = (parentWidget() != nullptr && parentWidget()->screen() != nullptr)
                             ? parentWidget()->screen()->geometry()
                             : QGuiApplication::primaryScreen()->geometry();
    move(screen.center() - rect().center());
    const QString product = parentWidget() != nullptr && !parentWidget()->windowTitle().isEmpty()
                                ? parentWidget()->windowTitle()
                                : QStringLiteral("Tavolin");
    setWindowTitle(product);
    m_ui->ProductName->setText(product);
    const QIcon icon = QApplication::windowIcon().isNull()
                           ? QIcon(QStringLiteral(":/about/logo1.png"))
                           : QApplication::windowIcon();
    m_ui->ProductIcon->setPixmap(icon.pixmap(32, 32));
    m_ui->Version->setText(QStringLiteral("Version " TAVOLIN_VERSION));
}

void TAboutBox::TimerTimer() {
    m_frame = m_frame % 5 + 1;
    m_ui->ProgramIcon->setPixmap(
        QIcon(QStringLiteral(":/about/logo%1.png").arg(m_frame)).pixmap(32, 32));
    if (m_frame == 1)
        Timer->setInterval(kFirstFrameMs);
    else if (m_frame == 2)
        Timer->setInterval(kOtherFramesMs);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_ui->edtHP || watched == m_ui->edtMail) {
            KivHpMailClick(static_cast<QLineEdit*>(watched));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::KivHpMailClick(QLineEdit* field) {
    field->setCursor(Qt::BusyCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (field == m_ui->edtHP && !m_readme.isEmpty())
        HelpViewer::Instance().ShowDocument(m_readme);
    else
        m_platform.OpenAddress(field->text().toStdString()); // as the shell's open: not examined
    field->setCursor(Qt::PointingHandCursor);
}

} // namespace tavolin
