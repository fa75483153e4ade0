#pragma once

#include <QDialog>

#include <memory>

class QLineEdit;
class QTimer;

namespace Ui {
class TAboutBox;
}

namespace tavolin {

class Platform;

// The about box "バージョン情報": the program's name, icon and version (the build's), an
// animated logo (five frames: the first stands two seconds, the other four run through
// quickly) and two link fields, the homepage and the mail address, which are build settings.
// Without a homepage the field names the README beside the program and opens it in the help
// viewer; without a mail address that field is hidden.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(Platform& platform, QWidget* owner);
    ~TAboutBox() override;

    static constexpr int kFirstFrameMs = 2000;
    static constexpr int kOtherFramesMs = 10;
    // The logo frame on screen, 1 to 5 (0 before the first tick).
    int Frame() const { return m_frame; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FromShow();
    void TimerTimer();
    void KivHpMailClick(QLineEdit* field);

    std::unique_ptr<Ui::TAboutBox> m_ui;
    Platform& m_platform;
    QTimer* Timer = nullptr;
    int m_frame = 0;
    QString m_readme; // the README the homepage field stands for, when no homepage is set
};

} // namespace tavolin
