#include "ui/target_cad_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/key_filter.h"
#include "ui/quiet_children.h"
#include "ui/text.h"

namespace vorn::ui {

namespace {

template <class W>
W* Place(W* widget, int x, int y, int width, int height) {
  widget->setGeometry(x, y, width, height);
  return widget;
}

}  // namespace

TargetCadDialog::TargetCadDialog(TTargetCADForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName(QStringLiteral("TargetCADForm"));
  setWindowTitle(Q(form.Caption));
  setFixedSize(form.ClientWidth, form.ClientHeight);
  QFont font(Q(form.FontName));
  font.setPixelSize(11);
  setFont(font);

  list_ = Place(new QListWidget(this), 8, 8, 299, 176);
  list_->setObjectName(QStringLiteral("ListBox1"));
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    form_.ListBox1.ItemIndex = list_->row(item);
    RunHandler([this] { form_.ListBox1Click(); });
  });
  auto* label1 = Place(new QLabel(this), 8, 190, 299, 16);
  auto* edit1 = Place(new QLineEdit(this), 8, 206, 299, 20);
  auto* label2 = Place(new QLabel(this), 8, 230, 299, 16);
  auto* edit2 = Place(new QLineEdit(this), 8, 246, 299, 20);
  refreshers_.push_back(BindLabel(form.Label1.Caption, label1));
  refreshers_.push_back(BindLabel(form.Label2.Caption, label2));
  refreshers_.push_back(BindEdit(*this, form.Edit1, edit1, "Edit1"));
  refreshers_.push_back(BindEdit(*this, form.Edit2, edit2, "Edit2"));

  struct ButtonSpec {
    TButton& model;
    const char* name;
    int x, width;
    void (TTargetCADForm::*handler)();
  };
  const ButtonSpec buttons[] = {
      {form.SpeedButton1, "SpeedButton1", 8, 50, &TTargetCADForm::SpeedButton1Click},
      {form.SpeedButton2, "SpeedButton2", 60, 50, &TTargetCADForm::SpeedButton2Click},
      {form.SpeedButton3, "SpeedButton3", 112, 50, &TTargetCADForm::SpeedButton3Click},
      {form.Button1, "Button1", 172, 64, &TTargetCADForm::Button1Click},
      {form.Button2, "Button2", 240, 67, &TTargetCADForm::Button2Click},
  };
  for (const ButtonSpec& spec : buttons) {
    QAbstractButton* button =
        spec.x < 170 ? static_cast<QAbstractButton*>(new QToolButton(this)) : new QPushButton(this);
    Place(button, spec.x, 276, spec.width, 24);
    button->setObjectName(QString::fromLatin1(spec.name));
    // Enter belongs to the boxes (it changes the selected entry), not to a default button.
    if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);
    const auto handler = spec.handler;
    TTargetCADForm& model = form_;
    refreshers_.push_back(
        BindButton(*this, spec.model, button, [&model, handler] { (model.*handler)(); }));
  }
  Refresh();
}

TargetCadDialog::~TargetCadDialog() { QuietChildren(*this); }

void TargetCadDialog::Refresh() {
  {
    const QSignalBlocker block(list_);
    QStringList items;
    for (const auto& item : form_.ListBox1.Items) items << Q(item);
    QStringList shown;
    for (int i = 0; i < list_->count(); ++i) shown << list_->item(i)->text();
    if (shown != items) {
      list_->clear();
      list_->addItems(items);
    }
    if (list_->currentRow() != form_.ListBox1.ItemIndex) {
      list_->setCurrentRow(form_.ListBox1.ItemIndex);
    }
  }
  for (const Refresher& refresh : refreshers_) refresh();
}

void TargetCadDialog::RunHandler(const std::function<void()>& handler) {
  if (handler) handler();
  Refresh();
  switch (form_.ModalResult) {
    case TTargetCADForm::Result::Ok:
      accept();
      break;
    case TTargetCADForm::Result::Cancel:
      QDialog::reject();
      break;
    case TTargetCADForm::Result::None:
      break;
  }
}

bool TargetCadDialog::KeyPress(const std::string&, char32_t key) {
  const bool pass = form_.EditKeyPress(key);
  Refresh();
  return pass;
}

void TargetCadDialog::reject() {
  form_.Button2Click();
  QDialog::reject();
}

}  // namespace vorn::ui
