#pragma once

#include "core/auxwindow/AuxWindow.h"
#include "core/drop/DropFileTarget.h"
#include "core/settings/Settings.h"
#include "ui/launcher/QtView.h"

#include <QDialog>
#include <QPoint>

#include <memory>
#include <optional>
#include <string>

namespace Ui {
class TFrmAdr;
}

namespace tavolin {

class DropAdapter;
class Platform;

// The auxiliary window in one of its three modes: the address bar (a box with its history
// that opens addresses, folders and files), the month calendar, and the memo kept in
// "Memo.txt". Borderless but sizable, opened modally over the launcher. The layout is in
// TFrmAdr.ui; the history, the prefixes, the opening place and the memo file are in
// core/auxwindow.
class TFrmAdr : public QDialog {
    Q_OBJECT
public:
    TFrmAdr(Platform& platform, const DataFiles& files, auxwindow::Mode mode, QWidget* owner);
    ~TFrmAdr() override;

    // Opens the window of a mode modally over `owner` and returns when it has closed.
    static void Open(Platform& platform, const DataFiles& files, auxwindow::Mode mode,
                     QWidget* owner);
    // The window that is open now, if any (there is at most one).
    static TFrmAdr* Current();

    // "Memo.txt" beside the data files, and the one older copies kept beside the executable.
    static std::string MemoPath(const Platform& platform, const DataFiles& files);
    static std::string OldMemoPath(const Platform& platform);

    // Keeps what the window holds (the memo, the address history, the window's place) as
    // its close does; also run when the session ends with the window open. False when the
    // memo could not be kept and the user chose to stay (only asked while `ask`).
    bool FrmClose(bool ask = true);

    auxwindow::Mode CurrentMode() const { return m_mode; }

public slots:
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FrmCreate();
    void ArrangeButtonRow(int controlWidth);
    void ApplyMemoLook(const auxwindow::ModeSettings& s);
    bool cmbAdrKeyPress();
    void DropFileTarget1Drop();
    void ShowHistory();
    void btnHlpClick();
    bool FrmMouseDown(QMouseEvent* event);

    std::unique_ptr<Ui::TFrmAdr> m_ui;
    Platform& m_platform;
    QtView m_view;
    DataFiles m_files;
    auxwindow::Mode m_mode;
    auxwindow::AddressHistory m_history;
    std::optional<auxwindow::MemoFile> m_memo;
    drop::TDropFileTarget DropFileTarget1;
    DropAdapter* m_dropAdapter = nullptr;
    bool m_closed = false;
    // Dragging the window by hand where the window system does not move it for us.
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace tavolin
