#pragma once

#include <QWidget>

class QLayout;
class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace tavolin {

// The program's help: its pages (compiled into the resources) in a browser, with the
// contents page, a topic finder over the pages' titles and text, and one page per help
// context number. One window for the whole program; while a dialog is open it belongs to
// that dialog, so that the dialog's modality does not lock it.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // The window, created when first asked for.
    static HelpViewer& Instance();
    // The window if it exists.
    static HelpViewer* Existing();

    // Shows the page of a help context (the contents page for an unknown number).
    void ShowContext(int context);
    void ShowContents();
    // Shows a document of the program that is no help page (the README beside it).
    void ShowDocument(const QString& path);
    // Shows the topic finder with the cursor in its search box.
    void ShowTopicFinder();

    // The context number of the page on screen.
    int CurrentContext() const { return m_context; }

private:
    explicit HelpViewer(QWidget* owner);
    // The search box over the topic list, in a widget of their own.
    QWidget* CreateTopicFinder();
    // The width of the topic list.
    int TopicListWidth() const;
    // The button bar above the topic finder and the page, side by side.
    void LayOut(QLayout* bar, QWidget* finder);
    void ShowPage(int context);
    void Find(const QString& query);
    void Present();

    QTextBrowser* m_browser = nullptr;
    QLineEdit* m_find = nullptr;
    QListWidget* m_results = nullptr;
    int m_context = 0;
};

// Opens the help at a context number, from any window or dialog.
void ShowHelp(int context);
// The contents page and the topic finder.
void ShowHelpContents();
void ShowHelpTopicFinder();

} // namespace tavolin
