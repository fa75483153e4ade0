#include "ui/launcher/ButtonBar.h"
#include "ui/QtText.h"

#include "core/launcher/Launcher.h"
#include "ui/look/OptIcons.h"

#include <QAction>
#include <QFontMetrics>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace tavolin {

using layout::Ctl;

ButtonBar::ButtonBar(QWidget& window, Launcher& core, layout::WindowLayout& layout,
                     std::function<void(int)> execute, std::function<void()> arrange)
    : QWidget(&window), m_window(window), m_core(core), m_layout(layout),
      m_arrange(std::move(arrange)) {
    setObjectName(QStringLiteral("tlbExc"));
    for (int n = 1; n <= 24; ++n) {
        auto* ac = new QAction(&window);
        ac->setObjectName(QStringLiteral("acF%1").arg(n));
        ac->setData(n);
        const auto key = static_cast<Qt::Key>(Qt::Key_F1 + (n - 1) % 12);
        ac->setShortcut(n <= 12 ? QKeySequence(key) : QKeySequence(Qt::SHIFT | key));
        ac->setShortcutContext(Qt::WindowShortcut);
        window.addAction(ac);
        connect(ac, &QAction::triggered, this, [execute, n] { execute(n); });
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("tlb%1").arg(n));
        b->setDefaultAction(ac);
        b->setFocusPolicy(Qt::NoFocus);
        m_acF[static_cast<std::size_t>(n - 1)] = ac;
        m_tlb[static_cast<std::size_t>(n - 1)] = b;
    }
}

void ButtonBar::UpdateButtonFaces() {
    const ButtonStore& store = m_core.Store();
    // A target whose type changed shows its new icon from the next page load on.
    if (m_iconsLoad != store.PageLoads()) {
        m_icons.clear();
        m_iconsLoad = store.PageLoads();
    }
    for (int n = 1; n <= 24; ++n) {
        QAction* ac = m_acF[static_cast<std::size_t>(n - 1)];
        QToolButton* b = m_tlb[static_cast<std::size_t>(n - 1)];
        if (!store.IsUsed(n)) {
            ac->setIcon(QIcon());
            ac->setText(QString());
            ac->setIconText(QString());
            ac->setToolTip(QString());
            b->setCursor(Qt::ArrowCursor);
            continue;
        }
        ac->setIcon(IconOf(n));
        // Texts of buttons show "&" literally.
        ac->setText(Q(store.Caption(n)).replace(QLatin1Char('&'), QStringLiteral("&&")));
        // The button shows the action's icon text, which Qt derives from the text without a
        // trailing "..."; a cut caption keeps its dots when given as it is.
        ac->setIconText(ac->text());
        ac->setToolTip(Q(store.BtnTitle(n)));
        b->setCursor(Qt::PointingHandCursor);
    }
    SizeButtons();
}

QIcon ButtonBar::IconOf(int slot) {
    const ButtonIcon& source = m_core.Store().Icon(slot);
    if (source.path.empty())
        return OptIcon(source.image);
    const QString path = Q(source.path);
    auto it = m_icons.find(path);
    if (it == m_icons.end())
        it = m_icons.insert(path, TargetIcon(path));
    return it->isNull() ? OptIcon(ButtonStore::kNoIconImage) : *it;
}

void ButtonBar::SizeButtons() {
    const WindowSettings& s = m_core.Settings();
    const int icon = s.BtnSize ? 32 : 16;
    const QFontMetrics fm(m_window.font());
    int w = icon + 7;
    int h = icon + 6;
    if (s.BtnCaption) {
        for (QAction* ac : m_acF) {
            w = std::max(w, fm.horizontalAdvance(
                                ac->text().replace(QStringLiteral("&&"), QStringLiteral("&"))) +
                                8);
        }
        h += fm.height() + 2;
    }
    for (int i = 0; i < 24; ++i) {
        QToolButton* b = m_tlb[static_cast<std::size_t>(i)];
        const int col = i % 12;
        const int row = i / 12;
        // A 2-pixel gap after the 4th and the 8th button of each row.
        const int x = col * w + (col >= 4 ? 2 : 0) + (col >= 8 ? 2 : 0);
        b->setIconSize({icon, icon});
        b->setToolButtonStyle(s.BtnCaption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        b->setGeometry(x, row * h, w, h);
    }
    const QSize bar(12 * w + 4, 2 * h);
    resize(bar);
    layout::Rect& r = m_layout.R(Ctl::tlbExc);
    if (r.width != bar.width() || r.height != bar.height()) {
        r.width = bar.width();
        r.height = bar.height();
        m_arrange();
    }
}

void ButtonBar::ShowPressed(int slot, bool down) {
    if (slot < 1 || slot > 24)
        return;
    QToolButton* b = Button(slot);
    b->setDown(down);
    b->repaint();
}

int ButtonBar::SlotOf(const QObject* widget) const {
    const auto button = std::find(m_tlb.begin(), m_tlb.end(), widget);
    return button == m_tlb.end() ? 0 : static_cast<int>(button - m_tlb.begin()) + 1;
}

} // namespace tavolin
