#pragma once

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QString>
#include <string>
#include <string_view>

#include "geometry/language.h"

// The core's texts as the window shows them. The texts themselves are translated where they are
// written (Tr, TrC, Fill); these only carry them over into Qt's strings.
namespace tarsel {

inline QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}
inline QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A text kept in a table of the core (marked with TrMark) in the language in use. A text the
// core has translated already comes back as it is: no catalogue holds a translation as English.
inline QString Translated(std::string_view marked) {
  return Q(Tr(std::string(marked).c_str()));
}

// A text with numbers that the student reads on the screen, written as the language writes
// them (4,5 in German). Applying it twice changes nothing.
inline QString Local(std::string_view text) {
  return Q(LocalNumbers(text));
}

// Rows of a name and its value, both wrapping their words: the names take two fifths of the
// width and the values the rest, whatever their texts say. (A form layout sizes its name column
// from what the names' own texts would like, which a wrapping label cannot say; a value that
// wrapped to two lines then got a row for one, showing half of each line.)
inline QGridLayout* LabelledRows(QWidget* parent) {
  auto* grid = new QGridLayout(parent);
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 3);
  return grid;
}
inline void AddLabelledRow(QGridLayout* grid, QLabel* name, QLabel* value) {
  const int row = grid->count() / 2;
  int column = 0;
  for (QLabel* label : {name, value}) {
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(label, row, column++);
  }
  name->setBuddy(value);
}

// A label that wraps its words: a longer language takes more lines, never more width.
inline QLabel* Wrapping(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

// The words of a switch, beside its box: a click on them flips the switch, as on the box.
class SwitchWords : public QLabel {
 public:
  SwitchWords(const QString& text, QCheckBox* box, QWidget* parent)
      : QLabel(text, parent), box_(box) {
    setWordWrap(true);
    setBuddy(box);
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) &&
        box_->isEnabled()) {
      box_->click();
    }
  }

 private:
  QCheckBox* box_;
};

// A switch whose words wrap: Qt's own check box keeps its text on one line, as wide as the text,
// which a longer language would push out of the panel. The box carries the words as its
// accessible name; its parent is the row to lay out.
inline QCheckBox* WrappingCheckBox(const QString& text, QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* box = new QCheckBox(row);
  box->setAccessibleName(text);
  layout->addWidget(box, 0, Qt::AlignTop);
  layout->addWidget(new SwitchWords(text, box, row), 1);
  return box;
}

}  // namespace tarsel
