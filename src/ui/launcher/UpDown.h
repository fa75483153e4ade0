#pragma once

#include <QValidator>
#include <QWidget>

class QToolButton;

namespace tavolin {

// An up-down control: two small arrow buttons stacked, holding a position within a range
// (no wrap-around). The up arrow raises the position by one, the down arrow lowers it.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    int Position() const { return m_position; }
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }
    void SetRange(int minimum, int maximum);
    // Sets the position, clamped to the range, without reporting it.
    void SetPosition(int position);
    // Moves the position by `delta`, clamped; reports a change.
    void StepBy(int delta);

    QSize sizeHint() const override { return {16, 16}; }

signals:
    void positionChanged(int position);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
};

// The number box beside an up-down takes digits only. (A regular expression would do the
// same but compiles one at start-up, pulling in the expression engine for one character class.)
class DigitsValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

} // namespace tavolin
