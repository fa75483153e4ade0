#include "ui/commands/HelpViewer.h"
#include "ui/look/DialogFont.h"

#include "core/commands/HelpTopics.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

// The pages live in a static library, whose resources are only registered when asked for by
// name.
static void InitHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace tavolin {

using namespace commands;

namespace {

QPointer<HelpViewer> g_viewer;

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QUrl PageUrl(std::string_view page) {
    return QUrl(QStringLiteral("qrc:/help/") + Q(page));
}

// The pages' titles and plain text, read once.
const std::vector<HelpPageText>& PageTexts() {
    InitHelpResources();
    static const std::vector<HelpPageText> texts = [] {
        std::vector<HelpPageText> all;
        for (const HelpTopic& topic : HelpTopics()) {
            QFile file(QStringLiteral(":/help/") + Q(topic.page));
            QTextDocument document;
            if (file.open(QIODevice::ReadOnly))
                document.setHtml(QString::fromUtf8(file.readAll()));
            all.push_back(
                {topic.context, std::string(topic.title), document.toPlainText().toStdString()});
        }
        return all;
    }();
    return texts;
}

} // namespace

HelpViewer& HelpViewer::Instance() {
    // While a modal dialog runs, every other window is locked: the help belongs to the dialog
    // then, and goes with it.
    QWidget* owner = QApplication::activeModalWidget();
    if (g_viewer && g_viewer->parentWidget() != owner)
        delete g_viewer.data();
    if (!g_viewer)
        g_viewer = new HelpViewer(owner);
    return *g_viewer;
}

HelpViewer* HelpViewer::Existing() {
    return g_viewer.data();
}

HelpViewer::HelpViewer(QWidget* owner) : QWidget(owner, Qt::Window) {
    InitHelpResources();
    setObjectName(QStringLiteral("help"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The help never keeps the program running once the launcher has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Tavolin ヘルプ"));
    QFont f(WindowFontFamily());
    f.setPixelSize(13);
    setFont(f);

    auto* contents = new QToolButton(this);
    contents->setObjectName(QStringLiteral("btnContents"));
    contents->setText(QStringLiteral("目次(&C)"));
    auto* back = new QToolButton(this);
    back->setObjectName(QStringLiteral("btnBack"));
    back->setText(QStringLiteral("戻る(&B)"));
    auto* forward = new QToolButton(this);
    forward->setObjectName(QStringLiteral("btnForward"));
    forward->setText(QStringLiteral("進む(&F)"));
    auto* bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addStretch();

    QWidget* finder = CreateTopicFinder();
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("tbHelp"));
    // Links to other pages open here; links out of the help open in the user's browser.
    m_browser->setOpenExternalLinks(true);
    LayOut(bar, finder);

    connect(contents, &QToolButton::clicked, this, [this] { ShowPage(kHelpContents); });
    connect(back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        const QString page = url.fileName();
        for (const HelpTopic& topic : HelpTopics()) {
            if (Q(topic.page) == page)
                m_context = topic.context;
        }
    });
    connect(m_find, &QLineEdit::textChanged, this, &HelpViewer::Find);
    connect(m_results, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            ShowPage(m_results->item(row)->data(Qt::UserRole).toInt());
    });
    Find({});
}

QWidget* HelpViewer::CreateTopicFinder() {
    auto* finder = new QWidget(this);
    auto* label = new QLabel(QStringLiteral("検索する語(&N):"), finder);
    m_find = new QLineEdit(finder);
    m_find->setObjectName(QStringLiteral("edtFind"));
    m_find->setClearButtonEnabled(true);
    label->setBuddy(m_find);
    m_results = new QListWidget(finder);
    m_results->setObjectName(QStringLiteral("lbTopics"));
    auto* finderLayout = new QVBoxLayout(finder);
    finderLayout->setContentsMargins(0, 0, 0, 0);
    finderLayout->addWidget(label);
    finderLayout->addWidget(m_find);
    finderLayout->addWidget(m_results);
    return finder;
}

int HelpViewer::TopicListWidth() const {
    // Wide enough for the longest topic, with an item's margins, the list's frame and a
    // scroll bar beside it.
    const QFontMetrics metrics(m_results->font());
    int longest = 0;
    for (const HelpTopic& topic : HelpTopics())
        longest = std::max(longest, metrics.horizontalAdvance(Q(topic.title)));
    const QStyle* style = m_results->style();
    const int itemMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_results) + 1;
    return longest + 2 * itemMargin + 2 * m_results->frameWidth() +
           style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_results);
}

void HelpViewer::LayOut(QLayout* bar, QWidget* finder) {
    // The topic list shows every topic whole; the page gets the rest.
    const int listWidth = TopicListWidth();
    finder->setMinimumWidth(listWidth);
    constexpr int kPageWidth = 460;
    auto* split = new QSplitter(this);
    split->addWidget(finder);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({listWidth, kPageWidth});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split);
    const QMargins margins = layout->contentsMargins();
    resize(std::max(680, margins.left() + listWidth + split->handleWidth() + kPageWidth +
                             margins.right()),
           480);
}

void HelpViewer::ShowPage(int context) {
    const HelpTopic& topic = HelpTopicOf(context);
    m_context = topic.context;
    if (m_browser->source() != PageUrl(topic.page))
        m_browser->setSource(PageUrl(topic.page));
}

void HelpViewer::Find(const QString& query) {
    const QSignalBlocker block(m_results);
    m_results->clear();
    for (const int context : FindTopics(PageTexts(), query.toStdString())) {
        auto* item = new QListWidgetItem(Q(HelpTopicOf(context).title), m_results);
        item->setData(Qt::UserRole, context);
    }
}

void HelpViewer::Present() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void HelpViewer::ShowContext(int context) {
    ShowPage(context);
    Present();
}

void HelpViewer::ShowDocument(const QString& path) {
    m_context = -1;
    m_browser->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    Present();
}

void HelpViewer::ShowContents() {
    ShowContext(kHelpContents);
}

void HelpViewer::ShowTopicFinder() {
    if (m_browser->source().isEmpty())
        ShowPage(kHelpContents);
    Present();
    m_find->setFocus();
    m_find->selectAll();
}

void ShowHelp(int context) {
    HelpViewer::Instance().ShowContext(context);
}
void ShowHelpContents() {
    HelpViewer::Instance().ShowContents();
}
void ShowHelpTopicFinder() {
    HelpViewer::Instance().ShowTopicFinder();
}

} // namespace tavolin
