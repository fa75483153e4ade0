#include "ui/launcher/PageBar.h"
#include "ui/QtText.h"

#include "core/Errors.h"
#include "core/launcher/Launcher.h"
#include "ui/launcher/UpDown.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalBlocker>

#include <optional>
#include <utility>

namespace tavolin {

namespace {

// The application's style, with menus that scroll when they are taller than the screen.
class ScrollingMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Menu_Scrollable)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Texts of buttons and menu items show "&" literally.
QString Literal(const std::string& s) {
    return Q(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

PageBar::PageBar(QWidget& window, Launcher& core, Hooks hooks)
    : QObject(&window), m_window(window), m_core(core), m_hooks(std::move(hooks)) {
    bbtnCategory = new QPushButton(&window);
    bbtnCategory->setObjectName(QStringLiteral("bbtnCategory"));
    bbtnCategory->setFocusPolicy(Qt::NoFocus);
    bbtnCategory->setToolTip(QStringLiteral("カテゴリー(← →)"));
    connect(bbtnCategory, &QPushButton::clicked, this, [this] { bbtnCategoryClick(); });
    pmCategory = new QMenu(&window);
    pmCategory->setObjectName(QStringLiteral("pmCategory"));
    // One flat list, however many categories: it scrolls rather than spill into columns
    // clipped by the screen, so every name and the editor's item stay reachable.
    auto* scrolling = new ScrollingMenuStyle;
    scrolling->setParent(pmCategory);
    pmCategory->setStyle(scrolling);

    edtPage = new QLineEdit(QStringLiteral("1"), &window);
    edtPage->setObjectName(QStringLiteral("edtPage"));
    edtPage->setValidator(new DigitsValidator(edtPage));
    edtPage->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtPage->setTextMargins(0, 0, 0, 0);
    edtPage->setToolTip(QStringLiteral("ページ(↓↑or PageUp Down)"));
    connect(edtPage, &QLineEdit::textChanged, this, [this](const QString& t) { edtPageChange(t); });

    udPage = new UpDown(&window);
    udPage->setObjectName(QStringLiteral("udPage"));
    udPage->SetRange(Launcher::kMinPage, Launcher::kMaxPage);
    udPage->SetPosition(1);
    udPage->setToolTip(edtPage->toolTip());
    connect(udPage, &UpDown::positionChanged, this,
            [this](int position) { edtPage->setText(QString::number(position)); });
}

void PageBar::ShowPage() {
    const ButtonStore& store = m_core.Store();
    bbtnCategory->setText(Literal(store.CurrentCategory()));
    const QString page = Q(store.CurrentPage());
    if (edtPage->text() != page) {
        const QSignalBlocker block(edtPage);
        edtPage->setText(page);
    }
    udPage->SetPosition(page.toInt());
}

bool PageBar::KeyUp(int key) {
    switch (key) {
    case Qt::Key_PageDown:
    case Qt::Key_Up:
        m_core.StepPage(+1);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Down:
        m_core.StepPage(-1);
        break;
    case Qt::Key_Left:
        if (edtPage->hasFocus())
            return false;
        m_core.PreviousCategory();
        break;
    case Qt::Key_Right:
        if (edtPage->hasFocus())
            return false;
        m_core.NextCategory();
        break;
    default:
        return false;
    }
    m_hooks.changed();
    return true;
}

bool PageBar::PassLetterOn(const QObject* watched, QEvent* event) const {
    if (watched != edtPage || event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool letter = !key->text().isEmpty() && key->text().front().isLetter();
    if (!letter || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    event->ignore();
    return true;
}

void PageBar::FillCategoryMenu() {
    if (!m_categoryMenuStale)
        return;
    m_categoryMenuStale = false;
    pmCategory->clear();
    for (const std::string& name : m_core.CategoryMenu()) {
        QAction* item = pmCategory->addAction(Literal(name));
        connect(item, &QAction::triggered, this, [this, name] { pmCategoryClick(Q(name)); });
    }
    pmCategory->addSeparator();
    QAction* edit = pmCategory->addAction(QStringLiteral("カテゴリー編集(&E)..."));
    edit->setObjectName(QStringLiteral("categoryEdit"));
    connect(edit, &QAction::triggered, this, [this] { m_hooks.editCategories(); });
}

void PageBar::bbtnCategoryClick() {
    FillCategoryMenu();
    const QPoint at = QCursor::pos();
    pmCategory->popup(at - QPoint(pmCategory->sizeHint().width(), 0));
    m_window.setFocus();
}

void PageBar::pmCategoryClick(const QString& name) {
    m_core.ChooseCategory(name.toStdString());
    m_hooks.changed();
}

void PageBar::edtPageChange(const QString& text) {
    std::optional<std::string> corrected;
    try {
        corrected = m_core.PageTextChanged(text.toStdString());
    } catch (const ConversionError& e) {
        m_hooks.showError(e.what());
        return;
    }
    if (corrected) {
        edtPage->setText(Q(*corrected)); // reports the change again, and that loads
        return;
    }
    m_hooks.changed();
}

} // namespace tavolin
