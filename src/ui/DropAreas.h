#pragma once

#include "core/areas/PendingBatch.h"

#include <QByteArrayList>
#include <QLabel>
#include <QObject>

#include <array>

class QMimeData;
class QTimer;

namespace tavolin {

class Platform;
class View;
struct WindowSettings;

// One drop area (`imgDel` or `imgGom`): a picture that takes drops of local files itself,
// with the move cursor, and reports clicks and double-clicks. Drags that carry anything but
// file:// URLs are refused, so they never reach the window behind the area.
class DropArea : public QLabel {
    Q_OBJECT
public:
    explicit DropArea(QWidget* parent);

    // The paths of a drag's file:// URLs as the file system spells them: percent escapes
    // decoded to bytes (so a name that is not UTF-8 survives), trailing "/" removed so that
    // a link to a folder stays the link. Empty when the drag carries no URL, or any URL that
    // is not a file of this machine.
    static QByteArrayList LocalFiles(const QMimeData* data);

signals:
    void filesDropped(const QByteArrayList& paths);
    void clicked();
    void doubleClicked();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
    bool m_afterDoubleClick = false;
};

// The delete and recycle-bin areas of the launcher window: the two DropArea widgets, their
// countdown timer `tmDel`, and the pending batch of the core that they feed.
class DropAreas : public QObject, public areas::AreasWindow {
    Q_OBJECT
public:
    DropAreas(Platform& platform, View& view, const WindowSettings& settings, QWidget* window);

    DropArea* Area(areas::AreaKind area) const {
        return area == areas::AreaKind::Delete ? imgDel : imgGom;
    }
    areas::PendingBatch& Batch() { return m_batch; }
    QTimer* Timer() const { return tmDel; }

    // The areas' clicks: the cancel question, and the computer view or the Trash.
    void imgDelClick() { m_batch.AreaClick(areas::AreaKind::Delete); }
    void imgGomClick() { m_batch.AreaClick(areas::AreaKind::Recycle); }
    void imgDelDblClick() { m_batch.AreaDoubleClick(areas::AreaKind::Delete); }
    void imgGomDblClick() { m_batch.AreaDoubleClick(areas::AreaKind::Recycle); }

    // --- areas::AreasWindow --------------------------------------------------------------
    void ShowAreaPicture(areas::AreaKind area, int picture) override;
    void ShowWaitingHint(areas::AreaKind area, bool waiting) override;
    void SetCountdownRunning(bool running) override;

private:
    DropArea* imgDel;
    DropArea* imgGom;
    QTimer* tmDel;
    areas::PendingBatch m_batch;
    std::array<QPixmap, 4> m_pictures;
};

} // namespace tavolin
