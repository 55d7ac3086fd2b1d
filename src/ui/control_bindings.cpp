#include "ui/control_bindings.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <vector>

#include "app/key_filter.h"
#include "ui/text.h"

namespace vorn::ui {

namespace {

void SetHint(QWidget* widget, const std::string& hint) {
  const QString tip = Q(hint);
  if (widget->toolTip() != tip) widget->setToolTip(tip);
}

// The character a key press types, as the form's key filters see it: Backspace and Enter as
// their control codes, printable text as its first code point. Keys that type nothing
// (arrows, Delete) and shortcuts with Ctrl or Alt are not the filters' business.
std::optional<char32_t> TypedCharacter(const QKeyEvent& event) {
  if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) return kKeyEnter;
  if (event.key() == Qt::Key_Backspace) return kKeyBackspace;
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    return std::nullopt;
  }
  const QString text = event.text();
  if (text.isEmpty() || !text.at(0).isPrint()) return std::nullopt;
  return text.toUcs4().value(0);
}

// Puts a box's typed characters through the form's key filter.
class KeyFilter final : public QObject {
 public:
  KeyFilter(FormView& view, std::string control, QObject* parent)
      : QObject(parent), view_(view), control_(std::move(control)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto key = TypedCharacter(*static_cast<QKeyEvent*>(event));
    if (!key) return false;
    return !view_.KeyPress(control_, *key);
  }

 private:
  FormView& view_;
  std::string control_;
};

}  // namespace

Refresher BindEdit(FormView& view, TEdit& model, QLineEdit* widget, const std::string& name,
                   Handler onChange) {
  widget->setObjectName(Q(name));
  widget->installEventFilter(new KeyFilter(view, name, widget));
  QObject::connect(widget, &QLineEdit::textEdited, widget,
                   [&view, &model, onChange](const QString& text) {
                     model.Text = U8(text);
                     view.RunHandler(onChange ? onChange : Handler([] {}));
                   });
  return [&model, widget] {
    const QString text = Q(model.Text);
    if (widget->text() != text) {
      const QSignalBlocker block(widget);
      widget->setText(text);
    }
    widget->setEnabled(model.Enabled);
    widget->setReadOnly(model.ReadOnly);
    SetHint(widget, model.Hint);
  };
}

Refresher BindButton(FormView& view, TButton& model, QAbstractButton* widget, Handler onClick) {
  QObject::connect(widget, &QAbstractButton::clicked, widget,
                   [&view, onClick] { view.RunHandler(onClick); });
  return [&model, widget] {
    const QString caption = Q(model.Caption);
    // Buttons drawn with an icon keep it; their caption is empty.
    if (!caption.isEmpty() && widget->text() != caption) widget->setText(caption);
    widget->setEnabled(model.Enabled);
    widget->setVisible(model.Visible);
    SetHint(widget, model.Hint);
  };
}

Refresher BindCheckBox(FormView& view, TCheckBox& model, QCheckBox* widget, Handler onClick) {
  QObject::connect(widget, &QCheckBox::clicked, widget, [&view, &model, onClick](bool checked) {
    model.Checked = checked;
    view.RunHandler(onClick ? onClick : Handler([] {}));
  });
  return [&model, widget] {
    if (widget->text() != Q(model.Caption)) widget->setText(Q(model.Caption));
    if (widget->isChecked() != model.Checked) {
      const QSignalBlocker block(widget);
      widget->setChecked(model.Checked);
    }
    widget->setEnabled(model.Enabled);
    SetHint(widget, model.Hint);
  };
}

Refresher BindRadioGroup(FormView& view, TRadioGroup& model, QGroupBox* box, Handler onClick,
                         int columnsShown) {
  auto* group = new QButtonGroup(box);
  auto* grid = new QGridLayout(box);
  // The group box keeps the room for its title itself.
  grid->setContentsMargins(4, 0, 2, 0);
  grid->setSpacing(0);
  const int columns = std::max(columnsShown > 0 ? columnsShown : model.Columns, 1);
  const int count = static_cast<int>(model.Items.size());
  const int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i) {
    auto* radio = new QRadioButton(Q(model.Items[i]), box);
    radio->setObjectName(box->objectName() + QStringLiteral("_") + QString::number(i));
    group->addButton(radio, i);
    // Items fill the columns one after the other, as the native group does.
    grid->addWidget(radio, i % rows, i / rows);
  }
  QObject::connect(group, &QButtonGroup::idClicked, box, [&view, &model, onClick](int id) {
    model.SetItemIndex(id);
    view.RunHandler(onClick ? onClick : Handler([] {}));
  });
  return [&model, box, group] {
    if (box->title() != Q(model.Caption)) box->setTitle(Q(model.Caption));
    if (group->checkedId() != model.ItemIndex) {
      const QSignalBlocker block(group);
      if (model.ItemIndex < 0) {
        // An exclusive group cannot uncheck its last button directly.
        group->setExclusive(false);
        for (QAbstractButton* b : group->buttons()) b->setChecked(false);
        group->setExclusive(true);
      } else if (QAbstractButton* b = group->button(model.ItemIndex)) {
        b->setChecked(true);
      }
    }
    box->setEnabled(model.Enabled);
  };
}

Refresher BindComboBox(FormView& view, TComboBox& model, QComboBox* widget, Handler onChange) {
  widget->setEditable(true);
  widget->setInsertPolicy(QComboBox::NoInsert);
  widget->setMaxVisibleItems(model.DropDownCount);
  QObject::connect(widget, &QComboBox::activated, widget,
                   [&view, &model, widget, onChange](int index) {
                     model.ItemIndex = index;
                     model.Text = U8(widget->itemText(index));
                     view.RunHandler(onChange);
                   });
  QObject::connect(widget->lineEdit(), &QLineEdit::textEdited, widget,
                   [&view, &model](const QString& text) {
                     model.Text = U8(text);
                     model.ItemIndex = -1;
                     view.RunHandler([] {});
                   });
  return [&model, widget] {
    const QSignalBlocker block(widget);
    QStringList items;
    for (const auto& item : model.Items) items << Q(item);
    QStringList shown;
    for (int i = 0; i < widget->count(); ++i) shown << widget->itemText(i);
    if (shown != items) {
      widget->clear();
      widget->addItems(items);
    }
    if (widget->currentIndex() != model.ItemIndex) widget->setCurrentIndex(model.ItemIndex);
    if (widget->currentText() != Q(model.Text)) widget->setEditText(Q(model.Text));
    SetHint(widget, model.Hint);
  };
}

Refresher BindCheckListBox(FormView& view, TCheckListBox& model, QListWidget* widget,
                           Handler onClickCheck) {
  // Several columns filled top to bottom, like the native multi-column list.
  widget->setFlow(QListView::TopToBottom);
  widget->setWrapping(model.Columns > 1);
  widget->setResizeMode(QListView::Adjust);
  widget->setUniformItemSizes(true);
  if (model.Columns > 1) {
    // Column widths that fit exactly the model's number of columns.
    const int innerWidth = widget->width() - 2 * widget->frameWidth() - 2;
    const int innerHeight = widget->height() - 2 * widget->frameWidth() - 2;
    const int count = static_cast<int>(model.Items.size());
    const int rows = std::max((count + model.Columns - 1) / model.Columns, 1);
    const int rowHeight = std::min(widget->fontMetrics().height() + 3, innerHeight / rows);
    widget->setGridSize(QSize(innerWidth / model.Columns, rowHeight));
    widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  QObject::connect(widget, &QListWidget::itemChanged, widget,
                   [&view, &model, widget, onClickCheck](QListWidgetItem* item) {
                     const int i = widget->row(item);
                     if (i < 0 || i >= static_cast<int>(model.Checked.size())) return;
                     model.Checked[i] = item->checkState() == Qt::Checked;
                     view.RunHandler(onClickCheck);
                   });
  return [&model, widget] {
    const QSignalBlocker block(widget);
    const int count = static_cast<int>(model.Items.size());
    if (widget->count() != count) {
      widget->clear();
      for (const auto& text : model.Items) {
        auto* item = new QListWidgetItem(Q(text), widget);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
      }
    }
    for (int i = 0; i < count; ++i) {
      QListWidgetItem* item = widget->item(i);
      if (item->text() != Q(model.Items[i])) item->setText(Q(model.Items[i]));
      const bool checked = i < static_cast<int>(model.Checked.size()) && model.Checked[i];
      const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
      if (item->checkState() != state) item->setCheckState(state);
    }
    widget->setEnabled(model.Enabled);
  };
}

Refresher BindLabel(const std::string& caption, QLabel* widget) {
  return [&caption, widget] {
    if (widget->text() != Q(caption)) widget->setText(Q(caption));
  };
}

Refresher BindGroupBox(const TGroupBox& model, QGroupBox* widget) {
  return [&model, widget] {
    if (widget->title() != Q(model.Caption)) widget->setTitle(Q(model.Caption));
  };
}

Refresher BindProgressBar(const TProgressBar& model, QProgressBar* widget) {
  widget->setTextVisible(false);
  widget->setMinimum(0);
  return [&model, widget] {
    if (widget->maximum() != model.Max) widget->setMaximum(std::max(model.Max, 0));
    if (widget->value() != model.Position) widget->setValue(model.Position);
  };
}

Refresher BindPageControl(FormView& view, TPageControl& model, QTabWidget* widget,
                          Handler onChange) {
  QObject::connect(widget, &QTabWidget::currentChanged, widget, [&view, &model, onChange](int i) {
    model.ActivePageIndex = i;
    view.RunHandler(onChange);
  });
  return [&model, widget] {
    for (int i = 0; i < widget->count() && i < static_cast<int>(model.Pages.size()); ++i) {
      if (widget->tabText(i) != Q(model.Pages[i])) widget->setTabText(i, Q(model.Pages[i]));
    }
    if (widget->currentIndex() != model.ActivePageIndex) {
      const QSignalBlocker block(widget);
      widget->setCurrentIndex(model.ActivePageIndex);
    }
  };
}

Refresher BindStringGrid(FormView& view, TStringGrid& model, QTableWidget* widget, Handler onClick,
                         std::function<void(QPoint)> onContextMenu) {
  widget->setSelectionBehavior(QAbstractItemView::SelectRows);
  widget->setSelectionMode(QAbstractItemView::SingleSelection);
  widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
  widget->verticalHeader()->hide();
  widget->verticalHeader()->setDefaultSectionSize(model.DefaultRowHeight);
  widget->verticalHeader()->setMinimumSectionSize(12);
  widget->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  widget->horizontalHeader()->setHighlightSections(false);
  widget->setContextMenuPolicy(Qt::CustomContextMenu);
  const auto select = [&view, &model, onClick](int row) {
    if (row < 0) return;
    model.Row = row + model.FixedRows;
    view.RunHandler(onClick);
  };
  QObject::connect(widget, &QTableWidget::cellClicked, widget,
                   [select](int row, int) { select(row); });
  QObject::connect(widget, &QTableWidget::currentCellChanged, widget,
                   [select](int row, int, int previousRow, int) {
                     if (row != previousRow) select(row);
                   });
  QObject::connect(widget, &QWidget::customContextMenuRequested, widget,
                   [widget, onContextMenu](const QPoint& at) {
                     onContextMenu(widget->viewport()->mapToGlobal(at));
                   });
  auto appliedWidths = std::make_shared<std::vector<int>>();
  return [&model, widget, appliedWidths] {
    const QSignalBlocker block(widget);
    const int rows = std::max(model.RowCount() - model.FixedRows, 0);
    const int cols = model.ColCount();
    if (widget->rowCount() != rows) widget->setRowCount(rows);
    if (widget->columnCount() != cols) widget->setColumnCount(cols);
    for (int c = 0; c < cols; ++c) {
      const QString title = Q(model.Cells(c, 0));
      QTableWidgetItem* header = widget->horizontalHeaderItem(c);
      if (header == nullptr) {
        widget->setHorizontalHeaderItem(c, new QTableWidgetItem(title));
      } else if (header->text() != title) {
        header->setText(title);
      }
    }
    const QBrush fixed = widget->palette().button();
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        const QString text = Q(model.Cells(c, r + model.FixedRows));
        QTableWidgetItem* item = widget->item(r, c);
        if (item == nullptr) {
          item = new QTableWidgetItem(text);
          item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
          if (c < model.FixedCols) item->setBackground(fixed);
          widget->setItem(r, c, item);
        } else if (item->text() != text) {
          item->setText(text);
        }
      }
    }
    // The user may widen columns; the model's widths apply when the model changes them.
    if (*appliedWidths != model.ColWidths) {
      for (int c = 0; c < cols && c < static_cast<int>(model.ColWidths.size()); ++c) {
        widget->setColumnWidth(c, model.ColWidths[c]);
      }
      *appliedWidths = model.ColWidths;
    }
    const int selected = model.Row - model.FixedRows;
    if (selected >= 0 && selected < rows && widget->currentRow() != selected) {
      widget->setCurrentCell(selected, std::max(widget->currentColumn(), 0));
    }
    SetHint(widget, model.Hint);
  };
}

UpDownButtons::UpDownButtons(Qt::Orientation orientation, std::function<void(bool up)> step,
                             QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  const bool horizontal = orientation == Qt::Horizontal;
  up_->setArrowType(horizontal ? Qt::RightArrow : Qt::UpArrow);
  down_->setArrowType(horizontal ? Qt::LeftArrow : Qt::DownArrow);
  up_->setAutoRepeat(true);
  down_->setAutoRepeat(true);
  QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                                  : static_cast<QBoxLayout*>(new QVBoxLayout(this));
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The lower or left arrow comes first, as on the native control.
  if (horizontal) {
    layout->addWidget(down_);
    layout->addWidget(up_);
  } else {
    layout->addWidget(up_);
    layout->addWidget(down_);
  }
  QObject::connect(up_, &QToolButton::clicked, this, [step] { step(true); });
  QObject::connect(down_, &QToolButton::clicked, this, [step] { step(false); });
}

Refresher BindUpDown(const TUpDown& model, UpDownButtons* widget) {
  return [&model, widget] { SetHint(widget, model.Hint); };
}

void StepAssociatedUpDown(TUpDown& model, const TEdit& box, bool up) {
  int shown = model.Position;
  const std::string& text = box.Text;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), shown);
  if (error != std::errc{} || end != text.data() + text.size()) shown = model.Position;
  model.SetPosition(shown + (up ? 1 : -1));
}

}  // namespace vorn::ui
