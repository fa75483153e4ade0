#include "ui/launcher/UpDown.h"

#include <QToolButton>

#include <algorithm>

namespace tavolin {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize({6, 6});
    }
    connect(m_up, &QToolButton::clicked, this, [this] { StepBy(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { StepBy(-1); });
    resize(16, 16);
}

void UpDown::SetRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_minimum, m_maximum);
}

void UpDown::SetPosition(int position) {
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDown::StepBy(int delta) {
    const int next = std::clamp(m_position + delta, m_minimum, m_maximum);
    if (next == m_position)
        return;
    m_position = next;
    emit positionChanged(m_position);
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

QValidator::State DigitsValidator::validate(QString& input, int& /*position*/) const {
    for (const QChar c : input) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return Invalid;
    }
    return Acceptable;
}

} // namespace tavolin
