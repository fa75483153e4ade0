#include "ui/options/EnvironmentTab.h"
#include "ui/QtText.h"

#include "ui/launcher/UpDown.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>

namespace tavolin {

namespace {

// Helper for std::visit over the field pointers of a binding.
template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace

EnvironmentTab::EnvironmentTab(options::Environment& env, QWidget* parent)
    : QWidget(parent), m_env(env) {}

QKeySequence EnvironmentTab::LastKeyOf(const QKeySequence& keys) {
    return keys.count() <= 1 ? keys : QKeySequence(keys[keys.count() - 1]);
}

QWidget* EnvironmentTab::ControlOf(const WindowSettingKey::Field& field) const {
    for (const Binding& binding : Bindings()) {
        if (binding.field == field)
            return binding.control;
    }
    return nullptr;
}

void EnvironmentTab::Load() {
    for (const Binding& binding : Bindings())
        ShowBinding(binding);
}

void EnvironmentTab::Store() {
    for (const Binding& binding : Bindings())
        StoreBinding(binding);
}

void EnvironmentTab::ShowBinding(const Binding& binding) {
    QWidget* control = binding.control;
    const options::Environment& env = m_env;
    std::visit(Overloaded{
                   [&](bool WindowSettings::*f) {
                       static_cast<QAbstractButton*>(control)->setChecked(env.*f);
                   },
                   [&](int WindowSettings::*f) {
                       if (binding.upDown != nullptr) {
                           ShowNumberBox(static_cast<QLineEdit*>(control), binding.upDown,
                                         *m_env.BoxOf(f));
                       } else if (auto* slider = qobject_cast<QSlider*>(control)) {
                           slider->setValue(env.*f);
                       } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
                           spin->setValue(env.*f);
                       } else {
                           static_cast<QComboBox*>(control)->setCurrentIndex(env.*f);
                       }
                   },
                   // A colour list is filled by its page, with the colours it offers.
                   [](Colour WindowSettings::*) {},
                   [&](std::string WindowSettings::*f) {
                       if (auto* key = qobject_cast<QKeySequenceEdit*>(control)) {
                           key->setKeySequence(
                               QKeySequence::fromString(Q(env.*f), QKeySequence::PortableText));
                           return;
                       }
                       auto* list = static_cast<QComboBox*>(control);
                       list->setCurrentIndex(list->findText(Q(env.*f)));
                   },
               },
               binding.field);
}

void EnvironmentTab::StoreBinding(const Binding& binding) {
    QWidget* control = binding.control;
    options::Environment& env = m_env;
    std::visit(
        Overloaded{
            [&](bool WindowSettings::*f) {
                env.*f = static_cast<QAbstractButton*>(control)->isChecked();
            },
            [&](int WindowSettings::*f) {
                if (binding.upDown != nullptr) {
                    *env.BoxOf(f) = options::NumberBox{S(static_cast<QLineEdit*>(control)->text()),
                                                       binding.upDown->Position()};
                } else if (auto* slider = qobject_cast<QSlider*>(control)) {
                    env.*f = slider->value();
                } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
                    env.*f = spin->value();
                } else {
                    env.*f = static_cast<QComboBox*>(control)->currentIndex();
                }
            },
            // The colours and the font follow their lists as they are chosen (a font the
            // list lacks stays as it was read).
            [](Colour WindowSettings::*) {},
            [&](std::string WindowSettings::*f) {
                if (auto* key = qobject_cast<QKeySequenceEdit*>(control)) {
                    env.*f = S(LastKeyOf(key->keySequence()).toString(QKeySequence::PortableText));
                }
            },
        },
        binding.field);
}

// A digits-only box with its up-down of 0 to 100, each following the other.
void EnvironmentTab::ShowNumberBox(QLineEdit* box, UpDown* upDown,
                                   const options::NumberBox& value) {
    box->setValidator(new DigitsValidator(box));
    box->setText(Q(value.text));
    upDown->SetRange(0, 100);
    upDown->SetPosition(value.position);
    connect(box, &QLineEdit::textEdited, upDown, [box, upDown] {
        options::NumberBox v{S(box->text()), upDown->Position()};
        v.SetText(S(box->text()));
        upDown->SetPosition(v.position);
    });
    connect(upDown, &UpDown::positionChanged, box,
            [box](int position) { box->setText(QString::number(position)); });
}

} // namespace tavolin
