#include "ui/launcher/QtView.h"

#include "core/helpers/MessageBox.h"
#include "ui/look/MessageSound.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <array>
#include <cstdio>

namespace tavolin {

namespace {

struct ButtonSpec {
    unsigned bit;
    const char* text;
    MsgResult result;
    QMessageBox::ButtonRole role;
};

// In the order the buttons stand in the box.
constexpr std::array<ButtonSpec, 11> kButtons{{
    {msg_buttons::kYes, "はい(&Y)", MsgResult::Yes, QMessageBox::YesRole},
    {msg_buttons::kNo, "いいえ(&N)", MsgResult::No, QMessageBox::NoRole},
    {msg_buttons::kOk, "OK", MsgResult::Ok, QMessageBox::AcceptRole},
    {msg_buttons::kCancel, "キャンセル", MsgResult::Cancel, QMessageBox::RejectRole},
    {msg_buttons::kAbort, "中止(&A)", MsgResult::Abort, QMessageBox::RejectRole},
    {msg_buttons::kRetry, "再試行(&R)", MsgResult::Retry, QMessageBox::AcceptRole},
    {msg_buttons::kIgnore, "無視(&I)", MsgResult::Ignore, QMessageBox::AcceptRole},
    {msg_buttons::kAll, "すべて(&A)", MsgResult::All, QMessageBox::YesRole},
    {msg_buttons::kNoToAll, "すべていいえ(&O)", MsgResult::NoToAll, QMessageBox::NoRole},
    {msg_buttons::kYesToAll, "すべてはい(&A)", MsgResult::YesToAll, QMessageBox::YesRole},
    {msg_buttons::kHelp, "ヘルプ(&H)", MsgResult::None, QMessageBox::HelpRole},
}};

QMessageBox::Icon IconOf(MsgKind kind) {
    switch (kind) {
    case MsgKind::Warning:
        return QMessageBox::Warning;
    case MsgKind::Error:
        return QMessageBox::Critical;
    case MsgKind::Information:
        return QMessageBox::Information;
    case MsgKind::Confirmation:
        return QMessageBox::Question;
    case MsgKind::Custom:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtView::Beep(MsgKind kind) {
    PlayMessageSound(kind);
}

namespace {
bool g_unattended = false;

// What a box closed with Escape or its close button answers.
MsgResult EscapeAnswer(unsigned buttons) {
    if (buttons & msg_buttons::kCancel)
        return MsgResult::Cancel;
    if (buttons & msg_buttons::kNo)
        return MsgResult::No;
    return (buttons & msg_buttons::kOk) ? MsgResult::Ok : MsgResult::None;
}

// The message as one line on standard error.
void WriteToStandardError(const std::string& text, MsgKind kind) {
    std::string line = text;
    for (char& c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    std::fprintf(stderr, "tavolin: %s: %s\n", MessageTitle(kind).c_str(), line.c_str());
}

void CentreOnScreen(QWidget& box) {
    box.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        box.move(area.center() - box.rect().center());
    }
}
} // namespace

void QtView::SetUnattended(bool unattended) {
    g_unattended = unattended;
}

bool QtView::Unattended() {
    return g_unattended;
}

MsgResult QtView::ShowMessage(const std::string& text, MsgKind kind, unsigned buttons, int) {
    if (m_beforeMessage)
        m_beforeMessage(text, kind);
    if (g_unattended) {
        WriteToStandardError(text, kind);
        return EscapeAnswer(buttons);
    }
    QMessageBox box(IconOf(kind), QString::fromStdString(MessageTitle(kind)),
                    QString::fromStdString(text), QMessageBox::NoButton, m_owner);
    std::vector<std::pair<QAbstractButton*, MsgResult>> made;
    for (const auto& spec : kButtons) {
        if (buttons & spec.bit) {
            made.emplace_back(box.addButton(QString::fromUtf8(spec.text), spec.role), spec.result);
        }
    }
    if (made.empty()) {
        made.emplace_back(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole),
                          MsgResult::Ok);
    }
    CentreOnScreen(box);
    box.exec();
    for (const auto& [button, result] : made) {
        if (box.clickedButton() == button)
            return result;
    }
    // Closed with Escape or the window's close button: the box's cancel answer.
    return EscapeAnswer(buttons);
}

QWidget* QtView::ShowNotice(const std::string& text, MsgKind kind) {
    Beep(kind);
    WriteToStandardError(text, kind);
    if (g_unattended)
        return nullptr;
    auto* box = new QMessageBox(IconOf(kind), QString::fromStdString(MessageTitle(kind)),
                                QString::fromStdString(text), QMessageBox::NoButton, m_owner);
    box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    CentreOnScreen(*box);
    box->show();
    return box;
}

void QtView::SetBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

} // namespace tavolin
