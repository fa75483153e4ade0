#pragma once

#include "core/options/Environment.h"

#include <QKeySequence>
#include <QWidget>

#include <vector>

class QLineEdit;

namespace tavolin {

class UpDown;

// A page of the options dialog over the settings file. It shows the values of the dialog's
// options::Environment in its controls when the dialog opens and writes them back at OK. Most
// controls show one key of [Window] each (the page's bindings); a page shows and stores its
// other controls itself.
class EnvironmentTab : public QWidget {
    Q_OBJECT
public:
    // A control and the [Window] key it shows. A key of a number box names its up-down.
    struct Binding {
        QWidget* control;
        WindowSettingKey::Field field;
        UpDown* upDown = nullptr;
    };

    // Every control of the page that shows a [Window] key.
    virtual std::vector<Binding> Bindings() const { return {}; }
    // The control of the page that shows a [Window] key, or nullptr.
    QWidget* ControlOf(const WindowSettingKey::Field& field) const;
    // Shows the environment in the controls and connects them; once, when the dialog opens.
    virtual void Load();
    // Writes the controls into the environment.
    virtual void Store();

protected:
    EnvironmentTab(options::Environment& env, QWidget* parent);

    // The last key of a recorded sequence: the hot key is one key with its modifiers.
    static QKeySequence LastKeyOf(const QKeySequence& keys);

    options::Environment& m_env;

private:
    void ShowBinding(const Binding& binding);
    void StoreBinding(const Binding& binding);
    void ShowNumberBox(QLineEdit* box, UpDown* upDown, const options::NumberBox& value);
};

} // namespace tavolin
