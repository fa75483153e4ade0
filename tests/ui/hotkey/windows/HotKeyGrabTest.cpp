// The hot key on Windows: RegisterHotKey held and released, a key already registered reported
// as taken, and the key typed through SendInput arriving as the grab's activation.
#include "ui/hotkey/HotKeyGrab.h"

#include <QSignalSpy>
#include <QtTest>

#include <windows.h>

#include <vector>

namespace tavolin {

namespace {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void Type(std::initializer_list<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD vk : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        input.push_back(i);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--it;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        input.push_back(i);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

} // namespace

class HotKeyGrabTest : public QObject {
    Q_OBJECT

private slots:
    void aKeyIsHeldOnceAndTakenForAnother() {
        const QKeySequence key(Qt::CTRL | Qt::ALT | Qt::Key_F11);
        auto first = CreateHotKeyGrab();
        QCOMPARE(first->Grab(key), HotKeyGrab::State::Held);
        auto second = CreateHotKeyGrab();
        QCOMPARE(second->Grab(key), HotKeyGrab::State::Taken);
        // Let go, the key is free for the other.
        QCOMPARE(first->Grab(QKeySequence()), HotKeyGrab::State::Off);
        QCOMPARE(second->Grab(key), HotKeyGrab::State::Held);
        QCOMPARE(second->Grab(QKeySequence(Qt::CTRL | Qt::Key_VolumeUp)),
                 HotKeyGrab::State::Invalid);
    }

    void theTypedKeyActivatesTheGrab() {
        auto grab = CreateHotKeyGrab();
        QSignalSpy activated(grab.get(), &HotKeyGrab::Activated);
        QCOMPARE(grab->Grab(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F12)),
                 HotKeyGrab::State::Held);
        Type({VK_CONTROL, VK_MENU, VK_F12});
        if (!activated.wait(3000) && UnderWine())
            QSKIP("Wine did not deliver WM_HOTKEY for keys typed through SendInput");
        QCOMPARE(activated.size(), 1);
    }
};

} // namespace tavolin

QTEST_MAIN(tavolin::HotKeyGrabTest)
#include "HotKeyGrabTest.moc"
