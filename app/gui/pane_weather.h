// pictD: the ten weather channels, each with an enable box, a scan box and a
// name (editor/weather_pane.h holds the rules).
#pragma once

#include "pane_support.h"

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qb41::gui {

class WeatherPane : public EditorPane {
    Q_OBJECT
public:
    WeatherPane(PaneContext& context, QWidget* parent);
    void fill(const editor::PaneTarget& target, const std::string& nodeKey) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show();
    void apply(const editor::EditResult& result);

    struct Row {
        QLabel* label = nullptr;
        QCheckBox* enable = nullptr;
        QCheckBox* scan = nullptr;
        QLineEdit* name = nullptr;
    };
    PaneContext& context_;
    PaneKit* kit_ = nullptr;
    std::vector<Row> rows_;
};

} // namespace qb41::gui
