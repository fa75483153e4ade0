#pragma once

// Small helpers for the launcher window's UI tests.

#include "core/settings/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace tavolin::testing {

// The launcher's four files in a temporary folder.
inline DataFiles FilesIn(const QTemporaryDir& dir) {
    const auto path = [&dir](const char* name) {
        return dir.filePath(QLatin1String(name)).toStdString();
    };
    return DataFiles{path("tavolin.txt"), path("tavolin.ini"), path("tavolin.tmp"),
                     path("tavolin.tmp2")};
}

// The launcher's category menu as its button opens it (the items are made when it opens),
// closed again.
inline QMenu* CategoryMenu(QWidget& window) {
    window.findChild<QPushButton*>(QStringLiteral("bbtnCategory"))->click();
    auto* menu = window.findChild<QMenu*>(QStringLiteral("pmCategory"));
    menu->hide();
    return menu;
}

// Presses the button with `text` on the next message box once it shows, and keeps the box's
// text in `seen`.
inline void AnswerNextMessage(const std::shared_ptr<QString>& seen, const QString& text,
                              int triesLeft = 200) {
    QTimer::singleShot(10, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (triesLeft > 0)
                AnswerNextMessage(seen, text, triesLeft - 1);
            return;
        }
        *seen = box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        box->reject();
    });
}

} // namespace tavolin::testing
