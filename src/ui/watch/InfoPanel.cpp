#include "ui/watch/InfoPanel.h"
#include "ui/QtText.h"

#include "core/Platform.h"
#include "core/layout/Layout.h"
#include "core/settings/Settings.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace tavolin {

namespace {

constexpr int kFlashMs = 50;
// The smallest size a memory figure is shrunk to.
constexpr int kSmallestMemoryPixels = 7;

void SetText(QLabel* label, const std::string& text) {
    const QString q = Q(text);
    if (label->text() != q)
        label->setText(q);
}

} // namespace

void Gauge::SetColours(const QColor& fill, const QColor& ground) {
    QPalette p = palette();
    p.setColor(QPalette::Highlight, fill);
    p.setColor(QPalette::Base, ground);
    setPalette(p);
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    p.fillRect(inside, palette().color(QPalette::Base));
    const long long span = static_cast<long long>(maximum()) - minimum();
    const long long done =
        std::clamp<long long>(static_cast<long long>(value()) - minimum(), 0, span);
    if (span > 0) {
        const int width = static_cast<int>(done * inside.width() / span);
        p.fillRect(inside.x(), inside.y(), width, inside.height(),
                   palette().color(QPalette::Highlight));
    }
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.drawText(inside, static_cast<int>(alignment()), text());
}

InfoPanel::InfoPanel(Platform& platform, View& view, const WindowSettings& settings,
                     Controls controls, QWidget* window)
    : QObject(window), m_settings(settings), m_c(controls), m_window(window),
      m_watch(platform, view, *this, settings), tmRes(new QTimer(this)),
      m_flashEnd(new QTimer(this)) {
    tmRes->setObjectName(QStringLiteral("tmRes"));
    connect(tmRes, &QTimer::timeout, this, [this] { ResTimer(); });
    m_flashEnd->setSingleShot(true);
    m_flashEnd->setInterval(kFlashMs);
    connect(m_flashEnd, &QTimer::timeout, this, [this] { EndFlash(); });

    // What each figure measures on this system; the captions keep their classic names.
    const std::pair<QWidget*, std::string> hints[] = {
        {m_c.ggResSys, platform.ResourceHint(ResourceKind::System)},
        {m_c.ggResGDI, platform.ResourceHint(ResourceKind::Gdi)},
        {m_c.ggResUser, platform.ResourceHint(ResourceKind::User)},
        {m_c.ggCPU, "CPU使用率"},
        {m_c.lblTotalMem, "全メモリ"},
        {m_c.lblAvailMem, "空メモリ"},
        {m_c.lblNow, "日付"},
    };
    for (const auto& [widget, hint] : hints)
        widget->setToolTip(QString::fromStdString(hint));
    for (Gauge* g : {m_c.ggResSys, m_c.ggResGDI, m_c.ggResUser, m_c.ggCPU}) {
        g->setRange(0, 100);
        g->setFormat(QStringLiteral("%v%"));
        g->setTextVisible(true);
    }
    m_memFont = m_c.lblAvailMem->font();
    StyleGauges(false);
    m_c.ggCPU->SetColours(Qt::red, Qt::darkCyan);
    ShowFigures(m_watch.Figures());
}

void InfoPanel::StyleGauges(bool flashing) {
    for (Gauge* g : {m_c.ggResSys, m_c.ggResGDI, m_c.ggResUser})
        g->SetColours(Qt::green, flashing ? QColor(Qt::yellow) : QColor(Qt::red));
}

void InfoPanel::ResTimer() {
    m_watch.ResTimer();
}

void InfoPanel::SettingsLoaded() {
    m_watch.ClearLatch();
    ResTimer();
}

void InfoPanel::SetTimerRuns(bool runs) {
    if (!runs) {
        tmRes->stop();
        return;
    }
    const int interval = m_settings.SamplingInterval();
    // Restarting a running timer would only shift its phase.
    if (!tmRes->isActive() || tmRes->interval() != interval)
        tmRes->start(interval);
}

void InfoPanel::ShowFigures(const watch::PanelFigures& f) {
    m_c.ggResSys->setValue(f.sys);
    m_c.ggResGDI->setValue(f.gdi);
    m_c.ggResUser->setValue(f.user);
    m_c.ggCPU->setValue(f.cpu);
    SetMemoryText(m_c.lblTotalMem, f.totalMem);
    SetMemoryText(m_c.lblAvailMem, f.availMem);
    SetText(m_c.lblNow, f.now);
}

void InfoPanel::SetMemoryText(QLabel* label, const std::string& text) {
    const QString q = Q(text);
    if (label->text() == q)
        return;
    label->setText(q);
    // The labels are as wide as "000,000KB" and may reach past the window's frame with a
    // wide font: the figure ends inside the window, and more than 999,999KB (any machine
    // with a gigabyte) is shown smaller rather than losing its leading digits.
    const int inside = m_window->width() - layout::kFrameWidth - label->x();
    const int overrun = std::max(0, label->width() - inside);
    if (label->contentsMargins().right() != overrun)
        label->setContentsMargins(0, 0, overrun, 0);
    const int room = label->width() - overrun;
    QFont f = m_memFont;
    const int largest = f.pixelSize();
    const auto width = [&f, &q](int size) {
        f.setPixelSize(size);
        return QFontMetrics(f).horizontalAdvance(q);
    };
    if (const int full = width(largest); full > room && largest > kSmallestMemoryPixels) {
        // Widths grow about in step with the size: start from the proportional size and settle
        // from there. Each size measured is a font loaded, so not every one on the way down.
        int size = std::clamp(largest * room / full, kSmallestMemoryPixels, largest - 1);
        while (size + 1 < largest && width(size + 1) <= room)
            ++size;
        while (size > kSmallestMemoryPixels && width(size) > room)
            --size;
        f.setPixelSize(size);
    }
    if (label->font() != f)
        label->setFont(f);
}

void InfoPanel::Flash(watch::FlashPart part) {
    // Coloured now and put back by a single-shot timer: the thread never waits.
    const auto redGround = [](QLabel* label, QPalette& saved, bool& flashed) {
        if (!flashed)
            saved = label->palette();
        flashed = true;
        QPalette p = saved;
        p.setColor(QPalette::Window, Qt::red);
        label->setPalette(p);
    };
    switch (part) {
    case watch::FlashPart::Title:
        redGround(m_c.lblTitle, m_titlePalette, m_titleFlashed);
        break;
    case watch::FlashPart::Clock:
        redGround(m_c.lblNow, m_clockPalette, m_clockFlashed);
        break;
    case watch::FlashPart::ResourceGauges:
        if (!m_gaugesFlashed)
            StyleGauges(true);
        m_gaugesFlashed = true;
        break;
    }
    m_flashEnd->start();
}

void InfoPanel::EndFlash() {
    // A look that changed meanwhile (the title on activation, the clock at a settings load)
    // is the one to keep.
    const auto restore = [](QLabel* label, const QPalette& saved) {
        if (label->palette().color(QPalette::Window) == QColor(Qt::red))
            label->setPalette(saved);
    };
    if (m_titleFlashed)
        restore(m_c.lblTitle, m_titlePalette);
    if (m_clockFlashed)
        restore(m_c.lblNow, m_clockPalette);
    if (m_gaugesFlashed)
        StyleGauges(false);
    m_titleFlashed = m_clockFlashed = m_gaugesFlashed = false;
}

void InfoPanel::PauseSampling() {
    m_resumeTimer = m_resumeTimer || tmRes->isActive();
    tmRes->stop();
}

void InfoPanel::ResumeSampling() {
    if (m_resumeTimer)
        tmRes->start(m_settings.SamplingInterval());
    m_resumeTimer = false;
}

void InfoPanel::BringToFront() {
    m_window->raise();
    m_window->activateWindow();
}

} // namespace tavolin
