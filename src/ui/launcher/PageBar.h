#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QEvent;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

namespace tavolin {

class Launcher;
class UpDown;

// Where the launcher window shows which page it is on: the category button
// (`bbtnCategory`) with its menu of categories (`pmCategory`) and the page box (`edtPage`)
// with its up-down (`udPage`). The controls are the window's; the window lays them out.
class PageBar : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void()> changed;        // the launcher went to another page or category
        std::function<void()> editCategories; // the menu's item for the category editor
        std::function<void(const std::string&)> showError;
    };

    PageBar(QWidget& window, Launcher& core, Hooks hooks);

    // The category and page the launcher is on.
    void ShowPage();
    // The categories may have changed: the menu is made again when next opened.
    void CategoriesChanged() { m_categoryMenuStale = true; }
    // The keys that go through pages and categories, at their release: Up or PageDown the
    // next page, Down or PageUp the one before, Left and Right (unless the page box has the
    // focus) the category before and after. True when `key` was one of them.
    bool KeyUp(int key);
    // For a key about to go to `watched`: a letter typed into the page box, which takes digits
    // only, is the window's command (I, O, ...) and must not be claimed by the box.
    bool PassLetterOn(const QObject* watched, QEvent* event) const;

    QPushButton* CategoryButton() const { return bbtnCategory; }
    QLineEdit* PageBox() const { return edtPage; }
    UpDown* PageUpDown() const { return udPage; }

private:
    void FillCategoryMenu();
    void bbtnCategoryClick();
    void pmCategoryClick(const QString& name);
    void edtPageChange(const QString& text);

    QWidget& m_window;
    Launcher& m_core;
    Hooks m_hooks;
    QPushButton* bbtnCategory = nullptr;
    QMenu* pmCategory = nullptr;
    QLineEdit* edtPage = nullptr;
    UpDown* udPage = nullptr;
    bool m_categoryMenuStale = true;
};

} // namespace tavolin
