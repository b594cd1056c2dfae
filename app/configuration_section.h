#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "app/configuration_history.h"
#include "geometry/configuration.h"

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarsel {

class SpanSlider;

// The panel's "Change the mechanism": for each number of the configuration a field and a
// slider, the assembly's switch, "Built-in", Undo and Redo, and under them what the
// configuration asked for is (AnalysisLines). A good change goes to `configure`; a value that
// makes no configuration is refused in words beside its field, and nothing changes.
//
// The widgets are named for the tests and for assistive tools: "field-KEY", "slider-KEY" and
// "message-KEY" by the keys of kConfigurationFields, "assembly", "built-in", "undo", "redo",
// and "analysis-KEY" for the analysis lines' values.
class ConfigurationSection : public QWidget {
 public:
  ConfigurationSection(QWidget* parent, std::function<void(const Configuration&)> configure);

  // The configuration asked for last.
  const Configuration& configuration() const { return history_.now; }
  // Every field and slider back to the configuration asked for, the refusals cleared: what
  // Escape does to a field's unfinished text.
  void Revert() { ShowConfiguration(); }

 private:
  static constexpr int kFields = static_cast<int>(std::size(kConfigurationFields));

  struct Row {
    QLineEdit* field;
    SpanSlider* slider;
    QLabel* message;
  };

  void AddRow(int index);
  void AddButtons();
  // A field's text, finished with Enter or by leaving it.
  void Typed(int index);
  // A slider moved to `position` by the user.
  void Slid(int index, int position);
  // The configuration with field `index` at v: asked for, or refused beside the field.
  void Try(int index, double v, bool merge);
  void Refuse(int index, const std::string& why);
  void Apply(const Configuration& c, bool merge);
  void Step(bool (*step)(ConfigurationHistory&));
  // The fields, sliders, their marked spans, the switch, the buttons and the analysis, from
  // the configuration asked for.
  void ShowConfiguration();
  void ShowAnalysis();

  std::function<void(const Configuration&)> configure_;
  ConfigurationHistory history_;
  std::array<Row, kFields> rows_{};
  QCheckBox* crossed_ = nullptr;
  QPushButton *built_in_ = nullptr, *undo_ = nullptr, *redo_ = nullptr;
  QFormLayout* analysis_ = nullptr;
  // Positions a slider passes in one drag are one step of the history.
  bool dragged_ = false;
};

}  // namespace tarsel
