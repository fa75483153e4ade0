#pragma once

#include "core/areas/PendingBatch.h"

#include <QLabel>
#include <QObject>

class QTimer;

namespace tavolin {

class Platform;
class View;
struct WindowSettings;

// One drop area (`imgDel` or `imgGom`): a picture that reports clicks and double-clicks.
// Files dragged onto it are the launcher window's drop target's: the window hands them to
// the area's batch.
class DropArea : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Shows area picture `index` (AreaPicture), read when first drawn.
    void ShowPicture(int index);

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_picture = -1;
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
    // Files dropped on an area join its batch once the drop has been answered: with no
    // waiting time set the delete runs at once, and its messages must not hold the drag
    // source waiting.
    void Drop(areas::AreaKind area, std::vector<std::string> paths);
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
};

} // namespace tavolin
