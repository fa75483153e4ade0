#include "ui/auxwindow/TFrmAdr.h"
#include "ui/QtText.h"

#include "core/Errors.h"
#include "core/Platform.h"
#include "core/helpers/Convert.h"
#include "core/helpers/Launch.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"
#include "ui/commands/HelpViewer.h"
#include "ui/drop/DropAdapter.h"
#include "ui/look/Colours.h"
#include "ui/look/DialogFont.h"

#include "ui_TFrmAdr.h"

#include <QApplication>
#include <QCursor>
#include <QDate>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QShortcut>
#include <QTextCharFormat>
#include <QWindow>

#include <algorithm>

namespace tavolin {

using auxwindow::Mode;

namespace {

QPointer<TFrmAdr> g_current;

int HelpContextOf(Mode mode) {
    switch (mode) {
    case Mode::Adr:
        return 27;
    case Mode::Cal:
        return 28;
    case Mode::Mem:
        return 29;
    }
    return 27;
}

// A colour text of the settings, or the default when it names no colour.
QColor ColourSetting(const std::string& text, const std::string& fallback) {
    try {
        return ToQColor(ColourFromText(text));
    } catch (const ConversionError&) {
        return ToQColor(ColourFromText(fallback));
    }
}

} // namespace

TFrmAdr::TFrmAdr(Platform& platform, const DataFiles& files, Mode mode, QWidget* owner)
    : QDialog(owner), m_ui(std::make_unique<Ui::TFrmAdr>()), m_platform(platform), m_view(this),
      m_files(files), m_mode(mode) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("TFrmAdr"));
    ApplyDialogFont(this);
    // No caption bar: a frame with a sizing border only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_ui->btnExit->setShortcut(QKeySequence());
    connect(m_ui->btnExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->btnHlp, &QPushButton::clicked, this, [this] { btnHlpClick(); });
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { btnHlpClick(); });
    m_ui->pnlAdr->installEventFilter(this);
    m_ui->lblAdr->installEventFilter(this);
    m_ui->cmbAdr->installEventFilter(this);
    if (QLineEdit* edit = m_ui->cmbAdr->lineEdit())
        edit->installEventFilter(this);
    // The session ends with the window open: keep what it holds.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { FrmClose(false); });
    FrmCreate();
    g_current = this;
}

TFrmAdr::~TFrmAdr() {
    // FrmDestroy: the address bar's drop target goes with the window.
    delete m_dropAdapter;
}

void TFrmAdr::Open(Platform& platform, const DataFiles& files, Mode mode, QWidget* owner) {
    TFrmAdr window(platform, files, mode, owner);
    window.exec();
}

TFrmAdr* TFrmAdr::Current() {
    return g_current.data();
}

std::string TFrmAdr::MemoPath(const Platform& platform, const DataFiles& files) {
    return auxwindow::MemoPath(files, platform.Style());
}

std::string TFrmAdr::OldMemoPath(const Platform& platform) {
    // Only the executable's own folder: a "Memo.txt" in the current folder is someone else's.
    const PathStyle style = platform.Style();
    const std::string exe =
        NativePath(QCoreApplication::applicationFilePath().toStdString(), style);
    return auxwindow::MemoPath(DataFilePaths(exe, std::string(), style), style);
}

void TFrmAdr::FrmCreate() {
    const auxwindow::ModeSettings s = auxwindow::LoadModeSettings(m_files.ini, m_mode);
    m_ui->mc->setVisible(m_mode == Mode::Cal);
    m_ui->mem->setVisible(m_mode == Mode::Mem);
    m_ui->pnlAdr->setVisible(m_mode == Mode::Adr);
    auxwindow::Size fitted;
    switch (m_mode) {
    case Mode::Cal: {
        setWindowTitle(QStringLiteral("カレンダー"));
        QCalendarWidget* mc = m_ui->mc;
        mc->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
        mc->setFirstDayOfWeek(Qt::Sunday);
        const QDate today = QDate::currentDate();
        QTextCharFormat mark = mc->dateTextFormat(today);
        mark.setFontWeight(QFont::Bold);
        mark.setForeground(QColor(0x80, 0, 0));
        mark.setBackground(QColor(0xFF, 0xE1, 0xE1));
        mc->setDateTextFormat(today, mark);
        mc->setSelectedDate(today);
        mc->resize(mc->sizeHint());
        mc->move(0, 0);
        m_ui->btnExit->setText(QStringLiteral("閉じる(Esc)"));
        m_ui->btnExit->move(0, mc->height() + 3);
        ArrangeButtonRow(mc->width());
        fitted = {mc->width(), m_ui->btnExit->y() + m_ui->btnExit->height() + 3};
        break;
    }
    case Mode::Mem: {
        setWindowTitle(QStringLiteral("メモ"));
        m_ui->mem->move(1, 0);
        m_ui->btnExit->setText(QStringLiteral("閉じる(&C)"));
        m_ui->btnExit->setToolTip(QStringLiteral("閉じる(Alt+C)"));
        m_ui->btnExit->move(0, m_ui->mem->height() + 3);
        ArrangeButtonRow(m_ui->mem->width());
        setMinimumSize(auxwindow::kMemMinSize, auxwindow::kMemMinSize);
        ApplyMemoLook(s);
        std::string error;
        m_memo.emplace(m_platform, MemoPath(m_platform, m_files), OldMemoPath(m_platform), error);
        if (!error.empty())
            ShowMessageBox(m_view, error, MsgKind::Error, msg_buttons::kOk);
        m_ui->mem->setPlainText(Q(m_memo->Text()));
        m_ui->mem->setFocus();
        break;
    }
    case Mode::Adr: {
        setWindowTitle(QStringLiteral("アドレスバー"));
        m_ui->pnlAdr->move(0, 4);
        m_ui->btnExit->move(m_ui->btnExit->x(), 4);
        m_ui->btnHlp->move(m_ui->btnHlp->x(), 4);
        setFixedHeight(auxwindow::kAdrHeight);
        setMinimumWidth(m_ui->btnExit->width() + m_ui->btnHlp->width() + 12 + 48 + 20);
        DropFileTarget1.Dragtypes = {drop::TDragType::dtLink};
        DropFileTarget1.GetDataOnEnter = false;
        DropFileTarget1.ShowImage = true;
        DropFileTarget1.OnDrop = [this](drop::TShiftState, drop::DropPoint, std::uint32_t&) {
            DropFileTarget1Drop();
        };
        m_dropAdapter = new DropAdapter(this, DropFileTarget1, m_platform.Style());
        m_dropAdapter->SetErrorHandler([this](const std::string& text) {
            ShowMessageBox(m_view, text, MsgKind::Error, msg_buttons::kOk);
        });
        m_history = s.history;
        ShowHistory();
        m_ui->cmbAdr->setEditText(Q(s.addressTop));
        m_ui->cmbAdr->setFocus();
        break;
    }
    }

    const QPoint cursor = QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(cursor);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect a = screen->availableGeometry();
    const layout::Rect r = auxwindow::OpeningRect(
        m_mode, s, cursor.x(), cursor.y(), {a.left(), a.top(), a.width(), a.height()}, fitted);
    setGeometry(r.left, r.top, r.width, r.height);
}

void TFrmAdr::ArrangeButtonRow(int controlWidth) {
    QPushButton* exit = m_ui->btnExit;
    QPushButton* help = m_ui->btnHlp;
    exit->resize(controlWidth - help->width() - 11, exit->height());
    help->move(exit->width() + 5, exit->y());
}

void TFrmAdr::ApplyMemoLook(const auxwindow::ModeSettings& s) {
    QPlainTextEdit* mem = m_ui->mem;
    mem->setHorizontalScrollBarPolicy(s.hBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    mem->setVerticalScrollBarPolicy(s.vBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // A horizontal bar only makes sense for lines that run on; without it lines wrap.
    mem->setLineWrapMode(s.hBar ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    QPalette p = mem->palette();
    p.setColor(QPalette::Base, ColourSetting(s.color, "$E1FFFF"));
    p.setColor(QPalette::Text, ColourSetting(s.fontColor, "clBlack"));
    mem->setPalette(p);
}

void TFrmAdr::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    QPushButton* exit = m_ui->btnExit;
    QPushButton* help = m_ui->btnHlp;
    switch (m_mode) {
    case Mode::Adr: {
        const int panelWidth = width() - exit->width() - help->width() - 12;
        m_ui->pnlAdr->resize(panelWidth, m_ui->pnlAdr->height());
        exit->move(panelWidth + 2, exit->y());
        help->move(exit->x() + exit->width() + 2, help->y());
        // 45 leaves room for the caption in the narrow font it was measured with; a wider
        // font moves the box right so that the caption stays whole.
        const int left = std::max(45, m_ui->lblAdr->x() + m_ui->lblAdr->sizeHint().width() + 3);
        m_ui->lblAdr->resize(left - m_ui->lblAdr->x() - 3, m_ui->lblAdr->height());
        m_ui->cmbAdr->setGeometry(left, m_ui->cmbAdr->y(), panelWidth - left - 3,
                                  m_ui->cmbAdr->height());
        break;
    }
    case Mode::Mem: {
        QPlainTextEdit* mem = m_ui->mem;
        mem->resize(width() - 9, height() - exit->height() - 12);
        exit->move(exit->x(), mem->height() + 3);
        exit->resize(mem->width() - help->width() - 11, exit->height());
        help->move(exit->width() + 5, exit->y());
        break;
    }
    case Mode::Cal:
        break;
    }
}

// --- closing -----------------------------------------------------------------------------

bool TFrmAdr::FrmClose(bool ask) {
    std::string error;
    // A memo that cannot be kept is left only when the user says so: its text is not lost
    // unasked, and the window never traps the user either.
    if (m_mode == Mode::Mem && m_memo &&
        !m_memo->Save(m_ui->mem->toPlainText().toStdString(), error)) {
        if (!ask) {
            ShowMessageBox(m_view, "メモを保存できませんでした。\r\n" + error, MsgKind::Error,
                           msg_buttons::kOk);
        } else if (ShowMessageBox(m_view, auxwindow::UnsavedMemoQuestion(error),
                                  MsgKind::Confirmation, msg_buttons::kYesNo) != MsgResult::Yes) {
            return false;
        }
    }
    const QRect g = geometry();
    if (!auxwindow::SaveClosingSettings(
            m_platform, m_files.ini, m_mode, layout::Rect{g.left(), g.top(), g.width(), g.height()},
            m_history, m_ui->cmbAdr->currentText().toStdString(), error)) {
        ShowMessageBox(m_view, error, MsgKind::Error, msg_buttons::kOk);
    }
    return true;
}

void TFrmAdr::done(int result) {
    if (!m_closed) {
        if (!FrmClose())
            return;
        m_closed = true;
    }
    QDialog::done(result);
}

// --- the address bar ---------------------------------------------------------------------

void TFrmAdr::ShowHistory() {
    QComboBox* cmb = m_ui->cmbAdr;
    const QString text = cmb->currentText();
    cmb->clear();
    for (const std::string& entry : m_history.Entries())
        cmb->addItem(Q(entry));
    cmb->setEditText(text);
}

bool TFrmAdr::cmbAdrKeyPress() {
    const std::string text = m_ui->cmbAdr->currentText().toStdString();
    if (text.empty())
        return false;
    const auxwindow::AddressAction action = auxwindow::ClassifyAddress(text, m_platform);
    if (action == auxwindow::AddressAction::None)
        return true;
    {
        BusyCursor busy(m_view);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        switch (action) {
        case auxwindow::AddressAction::OpenAddress:
            // As the shell's open: the result is not examined.
            m_platform.OpenAddress(auxwindow::AddressToOpen(text));
            break;
        case auxwindow::AddressAction::ShowFolder:
            // A file manager that cannot show it: the folder is opened as a button would be,
            // which says what went wrong.
            if (!m_platform.ShowItem(text))
                LaunchFile(m_platform, m_view, text, "");
            break;
        case auxwindow::AddressAction::LaunchFile:
            LaunchFile(m_platform, m_view, text, "");
            break;
        case auxwindow::AddressAction::None:
            break;
        }
    }
    m_history.Insert(text);
    ShowHistory();
    m_ui->cmbAdr->setEditText(Q(m_history.Entries().front()));
    return true;
}

void TFrmAdr::DropFileTarget1Drop() {
    const std::vector<std::string>& files = DropFileTarget1.Files();
    if (files.empty())
        return;
    for (const std::string& path : files)
        m_history.Insert(path);
    ShowHistory();
    m_ui->cmbAdr->setEditText(Q(m_history.Entries().front()));
    raise();
    activateWindow();
    m_ui->cmbAdr->setFocus();
}

// --- keys, mouse and help ----------------------------------------------------------------

bool TFrmAdr::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == m_ui->cmbAdr || watched == m_ui->cmbAdr->lineEdit())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier)
            return cmbAdrKeyPress();
    }
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == m_ui->pnlAdr || watched == m_ui->lblAdr))
        return FrmMouseDown(static_cast<QMouseEvent*>(event));
    if (m_dragging && (watched == m_ui->pnlAdr || watched == m_ui->lblAdr)) {
        if (event->type() == QEvent::MouseMove) {
            mouseMoveEvent(static_cast<QMouseEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            mouseReleaseEvent(static_cast<QMouseEvent*>(event));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmAdr::keyReleaseEvent(QKeyEvent* event) {
    // The calendar's months by the arrow keys, when the window itself has the keys.
    if (m_mode == Mode::Cal && !m_ui->mc->isAncestorOf(QApplication::focusWidget())) {
        int months = 0;
        switch (event->key()) {
        case Qt::Key_Left:
            months = -1;
            break;
        case Qt::Key_Right:
            months = 1;
            break;
        case Qt::Key_Up:
            months = -12;
            break;
        case Qt::Key_Down:
            months = 12;
            break;
        default:
            break;
        }
        if (months != 0) {
            m_ui->mc->setSelectedDate(m_ui->mc->selectedDate().addMonths(months));
            return;
        }
    }
    QDialog::keyReleaseEvent(event);
}

bool TFrmAdr::FrmMouseDown(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return false;
    // The window system moves the window as by its caption; where it cannot, we do.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove())
        return true;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    return true;
}

void TFrmAdr::mousePressEvent(QMouseEvent* event) {
    if (!FrmMouseDown(event))
        QDialog::mousePressEvent(event);
}

void TFrmAdr::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void TFrmAdr::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void TFrmAdr::btnHlpClick() {
    ShowHelp(HelpContextOf(m_mode));
}

} // namespace tavolin
