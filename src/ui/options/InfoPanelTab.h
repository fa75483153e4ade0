#pragma once

#include "ui/options/EnvironmentTab.h"

#include <memory>

class QComboBox;

namespace Ui {
class InfoPanelTab;
}

namespace tavolin {

class View;

// The page "情報枠" of the options dialog: what the launcher's information panel shows, the
// clock's font and colours with a sample, the update interval and the resource watch.
class InfoPanelTab : public EnvironmentTab {
    Q_OBJECT
public:
    // `clockCaption`: the clock's text as the launcher shows it, for the sample. `view` is the
    // dialog's.
    InfoPanelTab(options::Environment& env, View& view, QString clockCaption, QWidget* parent);
    ~InfoPanelTab() override;

    std::vector<Binding> Bindings() const override;
    void Load() override;

private:
    void tbrUpTimeChange();
    void cbDateChange(QComboBox* list);
    void FillColourList(QComboBox* list, const Colour& colour);
    // A colour chosen in the colour dialog joins the list as an item of its own.
    void AddChosenColour(QComboBox* list, const QColor& chosen);
    void UpdateSample();
    void UpdateDependencies();

    std::unique_ptr<Ui::InfoPanelTab> m_ui;
    View& m_view;
    QString m_clockCaption;
    std::vector<options::ColourItem> m_fontColours, m_backColours;
};

} // namespace tavolin
