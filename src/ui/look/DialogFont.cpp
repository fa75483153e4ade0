#include "ui/look/DialogFont.h"

#include "core/settings/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QWidget>

namespace tavolin {

namespace {

constexpr int kSmallestPixelSize = 9;

// A caption as drawn: its first line, without the "&" that marks the accelerator.
QString Drawn(QString text) {
    text = text.section(QLatin1Char('\n'), 0, 0);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

int Advance(const QWidget* w, const QString& text) {
    return w->fontMetrics().horizontalAdvance(Drawn(text));
}

// The room a control's caption needs besides its text.
int Chrome(const QWidget* w) {
    const QStyle* style = w->style();
    if (qobject_cast<const QRadioButton*>(w) != nullptr) {
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
    }
    if (qobject_cast<const QCheckBox*>(w) != nullptr) {
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    }
    if (qobject_cast<const QPushButton*>(w) != nullptr)
        return 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
    return 0;
}

} // namespace

QStringList CaptionsThatDoNotFit(const QWidget* dialog) {
    QStringList misfits;
    const auto check = [&](const QWidget* w, const QString& text, int room) {
        if (!text.isEmpty() && Advance(w, text) > room)
            misfits << w->objectName() + QStringLiteral(": ") + text;
    };
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        // Wrapped and picture labels, and those the program fills itself, are not captions.
        if (!label->wordWrap() && label->pixmap().isNull() && !label->objectName().isEmpty() &&
            label->textFormat() != Qt::RichText) {
            const int margins = label->contentsMargins().left() + label->contentsMargins().right();
            check(label, label->text(), label->width() - margins - 2 * label->margin());
        }
    }
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (qobject_cast<const QCheckBox*>(button) || qobject_cast<const QRadioButton*>(button) ||
            qobject_cast<const QPushButton*>(button)) {
            check(button, button->text(), button->width() - Chrome(button));
        }
    }
    for (const QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
        // The title is drawn over the frame from a small indent on either side.
        const int indent = group->fontMetrics().averageCharWidth();
        check(group, group->title(), group->width() - 2 * indent);
    }
    return misfits;
}

QString JapaneseFontFamily(const QString& wanted) {
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(wanted))
        return wanted;
    for (const QString& candidate :
         {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
          QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")}) {
        if (installed.contains(candidate))
            return candidate;
    }
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    return japanese.isEmpty() ? wanted : japanese.front();
}

QString WindowFontFamily() {
    return JapaneseFontFamily(QString::fromUtf8(kWindowFontName));
}

void ApplyApplicationFont() {
    const QFont desktop = QApplication::font();
    // A generic name ("Sans Serif") has no writing systems of its own here: it is taken as
    // unable, since finding out what it stands for would load that font.
    if (QFontDatabase::writingSystems(desktop.family()).contains(QFontDatabase::Japanese))
        return;
    QFont font = desktop;
    font.setFamilies({WindowFontFamily()});
    QApplication::setFont(font);
}

void ApplyDialogFont(QWidget* dialog, int pixelSize) {
    QFont font(WindowFontFamily());
    font.setPixelSize(pixelSize);
    dialog->setFont(font);
    if (font.family() == QString::fromUtf8(kWindowFontName))
        return;
    // A stand-in's characters are often wider: it gets smaller until the captions fit.
    while (pixelSize > kSmallestPixelSize && !CaptionsThatDoNotFit(dialog).isEmpty()) {
        font.setPixelSize(--pixelSize);
        dialog->setFont(font);
    }
}

} // namespace tavolin
