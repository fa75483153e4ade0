#pragma once

#include "core/drop/DropFileTarget.h"
#include "core/path/PathStyle.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class QMimeData;
class QWidget;

namespace tavolin {

// The files a drag offers: the paths of its file:// URLs as the file system spells them,
// percent escapes decoded to bytes (so a name that is not UTF-8 survives) and a trailing "/"
// removed (so a link to a folder stays the link). On Windows a file of another host is the
// UNC path "\\host\share\x" that Explorer offers it as; elsewhere such a file, any other URL
// (a web link) or no URL gives no file list.
class QtDropData : public drop::DropData {
public:
    QtDropData(const QMimeData& mime, PathStyle style);
    static std::vector<std::string> LocalFiles(const QMimeData& mime, PathStyle style);
    bool HasFileList() const override { return !m_files.empty(); }
    std::optional<std::vector<std::string>> FileList() const override;

private:
    std::vector<std::string> m_files;
};

// Feeds Qt's drag-and-drop events of one widget to a drop target and applies the effect it
// chooses: registering the target is accepting drops on the widget. Qt sends no move or drop
// after an ignored enter, while a target that accepts no effect of its own chooses only in
// its OnDragOver: so an enter that offers files is always accepted, and the target's choice
// shows from the first move on. An effect of none refuses the drop at that point (the no-drop
// cursor); a drop the target ends with none is reported to the source as ignored, so that the
// source never moves or deletes its files.
class DropAdapter : public QObject {
    Q_OBJECT
public:
    DropAdapter(QWidget* window, drop::TDropTarget& target, PathStyle style);
    ~DropAdapter() override;

    // Shown when a handler fails with an error, which never reaches Qt's drag-and-drop code.
    void SetErrorHandler(std::function<void(const std::string&)> handler) {
        m_error = std::move(handler);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Scroll();
    drop::ScrollableWindow WindowForScrolling() const;

    QWidget* m_window;
    drop::TDropTarget& m_target;
    PathStyle m_style;
    QTimer m_scrollTimer;
    std::function<void(const std::string&)> m_error;
};

} // namespace tavolin
