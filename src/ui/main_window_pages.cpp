// The seven pages of the main window, laid out in the window's small fixed client area. The
// positions are this view's own; captions, hints, states and items all come from the form.
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include "ui/japanese_font.h"
#include "ui/main_window.h"
#include "ui/preview_image.h"
#include "ui/text.h"

namespace vorn::ui {

namespace {

constexpr int kBoxHeight = 19;
constexpr int kButtonHeight = 22;

// The right mouse button on the building button asks the form whether to pop its menu up.
class RightClickFilter final : public QObject {
 public:
  RightClickFilter(std::function<void(QPoint)> onRightClick, QObject* parent)
      : QObject(parent), onRightClick_(std::move(onRightClick)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::RightButton) {
        onRightClick_(mouse->globalPosition().toPoint());
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(QPoint)> onRightClick_;
};

}  // namespace

// Places the controls of one page (or group) at fixed positions and binds them to the form.
class PageBuilder {
 public:
  PageBuilder(MainWindow& window, QWidget* parent, int page)
      : w_(window), f_(window.form_), parent_(parent), page_(page) {}

  PageBuilder Inside(QGroupBox* group) const { return PageBuilder(w_, group, page_); }

  template <class W>
  W* Place(W* widget, int x, int y, int width, int height) const {
    widget->setGeometry(x, y, width, height);
    return widget;
  }

  QLineEdit* Edit(const std::string& name, TEdit& model, int x, int y, int width,
                  Handler onChange = {}) const {
    auto* edit = Place(new QLineEdit(parent_), x, y, width, kBoxHeight);
    edit->setFrame(true);
    w_.Register(name, edit, BindEdit(w_, model, edit, name, std::move(onChange)));
    return edit;
  }

  QAbstractButton* Button(const std::string& name, TButton& model, int x, int y, int width,
                          Handler onClick, int height = kButtonHeight) const {
    auto* button = Place(new QPushButton(parent_), x, y, width, height);
    button->setAutoDefault(false);
    w_.Register(name, button, BindButton(w_, model, button, std::move(onClick)));
    return button;
  }

  // A flat button beside a box ("...", "変更") or with a picture.
  QAbstractButton* SpeedButton(const std::string& name, TButton& model, int x, int y, int width,
                               Handler onClick, int height = kBoxHeight) const {
    auto* button = Place(new QToolButton(parent_), x, y, width, height);
    w_.Register(name, button, BindButton(w_, model, button, std::move(onClick)));
    return button;
  }

  QCheckBox* Check(const std::string& name, TCheckBox& model, int x, int y, int width,
                   Handler onClick = {}) const {
    auto* box = Place(new QCheckBox(parent_), x, y, width, 16);
    w_.Register(name, box, BindCheckBox(w_, model, box, std::move(onClick)));
    return box;
  }

  QGroupBox* Radio(const std::string& name, TRadioGroup& model, int x, int y, int width, int height,
                   Handler onClick = {}, int columnsShown = 0) const {
    auto* box = Place(new QGroupBox(parent_), x, y, width, height);
    box->setObjectName(Q(name));
    box->setTitle(Q(model.Caption));
    w_.Register(name, box, BindRadioGroup(w_, model, box, std::move(onClick), columnsShown));
    return box;
  }

  QGroupBox* Group(const std::string& name, const TGroupBox& model, int x, int y, int width,
                   int height) const {
    auto* box = Place(new QGroupBox(parent_), x, y, width, height);
    w_.Register(name, box, BindGroupBox(model, box));
    return box;
  }

  QLabel* Label(const std::string& name, const TLabel& model, int x, int y, int width) const {
    auto* label = Place(new QLabel(parent_), x, y, width, 14);
    w_.Register(name, label, BindLabel(model.Caption, label));
    return label;
  }

  // A fixed text of the page; shown only while the form lists it for this page.
  QLabel* Text(const std::string& caption, int x, int y, int width = -1) const {
    auto* label = new QLabel(Q(caption), parent_);
    label->setObjectName(QStringLiteral("static"));
    label->setProperty("page", page_);
    if (width < 0) width = label->sizeHint().width();
    Place(label, x, y + 2, width, 14);
    bool listed = false;
    for (const TStaticText& text : f_.StaticTexts) {
      listed = listed || (text.Page == page_ && text.Caption == caption);
    }
    label->setVisible(listed);
    return label;
  }

  UpDownButtons* UpDown(const std::string& name, TUpDown& model, Qt::Orientation orientation, int x,
                        int y, int width, int height, std::function<void(bool)> onStep) const {
    auto* buttons = new UpDownButtons(
        orientation, [this_w = &w_, onStep](bool up) { this_w->RunHandler([&] { onStep(up); }); },
        parent_);
    Place(buttons, x, y, width, height);
    w_.Register(name, buttons, BindUpDown(model, buttons));
    return buttons;
  }

  // A box with its up-down, which steps from the box's number and shows the new position.
  void NumberWithUpDown(const std::string& editName, TEdit& edit, const std::string& upDownName,
                        TUpDown& upDown, int x, int y, int width, void (TForm1::*onClick)()) {
    Edit(editName, edit, x, y, width);
    TForm1& form = f_;
    UpDown(upDownName, upDown, Qt::Vertical, x + width, y, 14, kBoxHeight,
           [&form, &edit, &upDown, onClick](bool up) {
             StepAssociatedUpDown(upDown, edit, up);
             (form.*onClick)();
           });
  }

  QTableWidget* Grid(const std::string& name, TStringGrid& model, int x, int y, int width,
                     int height, Handler onClick) const {
    auto* table = Place(new QTableWidget(parent_), x, y, width, height);
    if (!model.FontName.empty()) table->setFont(JapaneseFont(Q(model.FontName), 12));
    MainWindow& window = w_;
    w_.Register(name, table,
                BindStringGrid(w_, model, table, std::move(onClick),
                               [&window](QPoint at) { window.gridMenu_->popup(at); }));
    return table;
  }

  MainWindow& w_;
  TForm1& f_;
  QWidget* parent_;
  int page_;
};

void MainWindow::BuildPages() {
  TForm1& f = form_;
  pages_ = new QTabWidget(this);
  pages_->setGeometry(0, 0, f.ClientWidth, f.ClientHeight - 10);
  // Seven tabs side by side in the narrow window, as on the native control.
  pages_->tabBar()->setStyleSheet(QStringLiteral(
      "QTabBar::tab { padding: 2px 3px; border: 1px solid palette(mid); border-bottom: none;"
      " border-top-left-radius: 2px; border-top-right-radius: 2px; background: palette(button); }"
      " QTabBar::tab:selected { background: palette(window); }"));
  std::vector<QWidget*> page;
  for (const auto& caption : f.PageControl1.Pages) {
    page.push_back(new QWidget(pages_));
    pages_->addTab(page.back(), Q(caption));
  }
  Register("PageControl1", pages_,
           BindPageControl(*this, f.PageControl1, pages_, [&f] { f.PageControl1Change(); }));
  auto* progress = new QProgressBar(this);
  progress->setGeometry(0, f.ClientHeight - 10, f.ClientWidth, 10);
  Register("ProgressBar1", progress, BindProgressBar(f.ProgressBar1, progress));

  // ---- " 時刻": the preview on the left, the sun and time parameters on the right ----
  {
    PageBuilder p(*this, page[0], 0);
    auto* panel = p.Place(new QWidget(page[0]), 2, 2, 150, 150);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setStyleSheet(QStringLiteral("#Panel1 { background: black; }"));
    preview_ = p.Place(new PreviewImage(panel), 1, 1, f.Image2.Width, f.Image2.Height);
    Register("Image2", preview_, [this, &f] { preview_->Show(f.Image2); });
    p.UpDown("UpDown3", f.UpDown3, Qt::Horizontal, 2, 156, 32, 18,
             [&f](bool up) { f.UpDown3Click(up); });
    p.UpDown("UpDown4", f.UpDown4, Qt::Horizontal, 36, 156, 32, 18,
             [&f](bool up) { f.UpDown4Click(up); });
    p.Check("CheckBox1", f.CheckBox1, 72, 157, 50, [&f] { f.CheckBox1Click(); });
    auto* draw = p.SpeedButton(
        "SpeedButton2", f.SpeedButton2, 126, 154, 26, [&f] { f.SpeedButton2Click(); }, 22);
    draw->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));

    auto* combo = p.Place(new QComboBox(page[0]), 158, 2, 168, 20);
    combo->setFont(JapaneseFont(Q(f.ComboBox1.FontName), f.FontHeight));
    Register("ComboBox1", combo,
             BindComboBox(*this, f.ComboBox1, combo, [&f] { f.ComboBox1Change(); }));

    auto* ido = p.Group("GroupBoxIdo", f.GroupBoxIdo, 158, 24, 168, 40);
    PageBuilder g = p.Inside(ido);
    g.Edit("Edit3", f.Edit3, 6, 16, 30);
    p.Text("度", 196, 40);
    g.Edit("Edit5", f.Edit5, 54, 16, 26);
    p.Text("分", 240, 40);
    g.Edit("Edit23", f.Edit23, 100, 16, 40);

    p.Text("真北", 158, 68);
    p.Edit("Edit12", f.Edit12, 190, 66, 110);
    p.SpeedButton("SpeedButton1", f.SpeedButton1, 302, 66, 24, [&f] { f.SpeedButton1Click(); });

    p.Radio("RadioGroup1", f.RadioGroup1, 158, 88, 168, 24, [&f] { f.RadioGroup1Click(); });

    p.Text("時刻", 158, 116);
    p.Edit("Edit2", f.Edit2, 186, 114, 36);
    p.Text("～", 224, 116);
    p.Edit("Edit7", f.Edit7, 240, 114, 36);
    p.Text("時", 278, 116);
    p.Text("間隔", 186, 138);
    p.Edit("Edit11", f.Edit11, 214, 136, 36);
    p.Text("時間", 252, 138);
    p.Text("測定面の高さ", 158, 160);
    p.Edit("Edit4", f.Edit4, 240, 158, 36);
    p.Text("ｍ", 278, 160);

    auto* pick = p.Button("Button2", f.Button2, 158, 194, 40, [&f] { f.Button2Click(); });
    pick->installEventFilter(new RightClickFilter(
        [this](QPoint at) {
          bool popUp = false;
          RunHandler([&] { popUp = form_.Button2MouseDown(true); });
          if (popUp) pickMenu_->popup(at);
        },
        pick));
    p.Button("Button17", f.Button17, 200, 194, 40, [&f] { f.Button17Click(); });
    p.Button("Button3", f.Button3, 242, 194, 42, [&f] { f.Button3Click(); });
    p.Button("Button10", f.Button10, 286, 194, 40, [&f] { f.Button10Click(); });
  }

  // ---- "等時間": ground isochrones on the left, the wall on the right ----
  {
    PageBuilder p(*this, page[1], 1);
    auto* touji = p.Group("GroupBoxTouji", f.GroupBoxTouji, 2, 2, 160, 196);
    PageBuilder g = p.Inside(touji);
    auto* list = g.Place(new QListWidget(touji), 6, 16, 148, 110);
    Register("CheckListBox1", list,
             BindCheckListBox(*this, f.CheckListBox1, list, [&f] { f.CheckListBox1Click(); }));
    g.Radio(
        "RadioGroup5", f.RadioGroup5, 4, 128, 152, 36, [&f] { f.RadioGroup5Click(); }, 3);
    g.Button("Button6", f.Button6, 80, 168, 74, [&f] { f.Button6Click(); });
    g.Label("Label22", f.Label22, 6, 166, 72);
    g.Label("Label2", f.Label2, 6, 180, 72);

    auto* hekimen = p.Group("GroupBoxHekimen", f.GroupBoxHekimen, 166, 2, 160, 196);
    PageBuilder h = p.Inside(hekimen);
    h.Check("CheckBox4", f.CheckBox4, 6, 16, 148);
    h.Check("CheckBox12", f.CheckBox12, 6, 34, 148);
    h.Radio("RadioGroup6", f.RadioGroup6, 4, 52, 152, 36, {}, 3);
    h.Button("Button5", f.Button5, 6, 94, 148, [&f] { f.Button5Click(); });
    h.Label("Label24", f.Label24, 6, 124, 148);
    h.Label("Label26", f.Label26, 6, 140, 148);
    p.Button("Button7", f.Button7, 266, 200, 60, [&f] { f.Button7Click(); });
  }

  // ---- "特定点": specific points and their shadow times ----
  {
    PageBuilder p(*this, page[2], 2);
    p.Button("Button21", f.Button21, 2, 2, 100, [&f] { f.Button21Click(); });
    p.Button("Button22", f.Button22, 104, 2, 100, [&f] { f.Button22Click(); });
    p.Text("番号修正", 2, 30);
    p.Edit("Edit41", f.Edit41, 52, 28, 44, [&f] { f.Edit41Change(); });
    p.Text("測定面の高さ", 102, 30);
    p.Edit("Edit6", f.Edit6, 176, 28, 36, [&f] { f.Edit6Change(); });
    p.Text("ﾒｰﾄﾙ", 214, 30);
    p.Radio("RadioGroup3", f.RadioGroup3, 252, 0, 74, 52);
    p.Grid("StringGrid2", f.StringGrid2, 2, 54, 324, 142, [&f] { f.StringGrid2Click(); });
    p.Button("Button15", f.Button15, 2, 200, 60, [&f] { f.Button15Click(); });
    p.Button("Button23", f.Button23, 64, 200, 60, [&f] { f.Button23Click(); });
    // Switched with the command set but not shown.
    p.Button("Button4", f.Button4, 126, 200, 60, [&f] { f.Button4Click(); });
  }

  // ---- "天空１": the sky diagrams' settings, type A and type B side by side ----
  {
    PageBuilder p(*this, page[3], 3);
    p.Text("図面の尺度", 2, 2);
    p.Edit("Edit19", f.Edit19, 2, 18, 70);
    p.SpeedButton("SpeedButton8", f.SpeedButton8, 74, 18, 24, [&f] { f.SpeedButton8Click(); });
    p.Text("測定面高さ", 2, 40);
    p.Edit("Edit17", f.Edit17, 2, 56, 50);
    p.Text("ﾒｰﾄﾙ", 54, 56);
    p.Radio("RadioGroup2", f.RadioGroup2, 2, 78, 98, 66, [&f] { f.RadioGroup2Click(); });
    p.Check("CheckBox10", f.CheckBox10, 2, 150, 98);

    auto* a = p.Group("GroupBoxTypeA", f.GroupBoxTypeA, 104, 0, 130, 196);
    auto* b = p.Group("GroupBoxTypeB", f.GroupBoxTypeB, 238, 0, 88, 196);
    PageBuilder ga = p.Inside(a);
    PageBuilder gb = p.Inside(b);
    ga.Check("CheckBox3", f.CheckBox3, 4, 14, 80);
    ga.Check("CheckBox5", f.CheckBox5, 4, 30, 80);
    gb.Check("CheckBox6", f.CheckBox6, 4, 14, 80);
    gb.Check("CheckBox7", f.CheckBox7, 4, 30, 80);
    ga.Text("測定点No.", 4, 50);
    ga.NumberWithUpDown("Edit16", f.Edit16, "UpDown2", f.UpDown2, 64, 50, 36,
                        &TForm1::UpDown2Click);
    gb.NumberWithUpDown("Edit14", f.Edit14, "UpDown6", f.UpDown6, 4, 50, 36, &TForm1::UpDown6Click);
    ga.Text("半径", 4, 72);
    ga.Edit("Edit15", f.Edit15, 64, 72, 32);
    ga.Text("(図寸)", 98, 72);
    gb.Edit("Edit21", f.Edit21, 4, 72, 32);
    ga.Text("目盛", 4, 94);
    ga.Edit("Edit13", f.Edit13, 64, 94, 32);
    ga.Text("（度）", 98, 94);
    gb.Edit("Edit24", f.Edit24, 4, 94, 32);
    ga.Text("文字", 4, 116);
    ga.Edit("Edit20", f.Edit20, 64, 116, 32);
    gb.Edit("Edit22", f.Edit22, 4, 116, 32);
    ga.Text("ﾊｯﾁ", 4, 138);
    ga.Edit("Edit18", f.Edit18, 64, 138, 32);
    gb.Edit("Edit25", f.Edit25, 4, 138, 32);
    ga.Text("一括作図のXピッチ", 4, 156);
    ga.Edit("Edit8", f.Edit8, 4, 172, 80);
    gb.Edit("Edit40", f.Edit40, 4, 172, 80);
    p.Button("Button8", f.Button8, 104, 200, 130, [&f] { f.Button8Click(); });
    p.Button("Button11", f.Button11, 238, 200, 88, [&f] { f.Button11Click(); });
  }

  // ---- "天空２": measurement points and their sky factors ----
  {
    PageBuilder p(*this, page[4], 4);
    p.Button("Button12", f.Button12, 2, 2, 100, [&f] { f.Button12Click(); });
    p.Button("Button16", f.Button16, 104, 2, 100, [&f] { f.Button16Click(); });
    p.Radio("RadioGroup4", f.RadioGroup4, 252, 0, 74, 52, [&f] { f.RadioGroup4Click(); });
    p.Text("番号修正", 2, 30);
    p.Edit("Edit10", f.Edit10, 52, 28, 50, [&f] { f.Edit10Change(); });
    p.Text("高さ修正", 108, 30);
    p.Edit("Edit26", f.Edit26, 158, 28, 40, [&f] { f.Edit26Change(); });
    p.Text("ﾒｰﾄﾙ", 200, 30);
    p.Grid("StringGrid1", f.StringGrid1, 2, 54, 324, 142, [&f] { f.StringGrid1Click(); });
    p.Button("Button13", f.Button13, 2, 200, 52, [&f] { f.Button13Click(); });
    p.Button("Button14", f.Button14, 56, 200, 52, [&f] { f.Button14Click(); });
    p.Check("CheckBox9", f.CheckBox9, 112, 203, 28);
    p.Button("Button18", f.Button18, 142, 200, 52, [&f] { f.Button18Click(); });
    p.Button("Button24", f.Button24, 196, 200, 52, [&f] { f.Button24Click(); });
    p.Button("Button9", f.Button9, 266, 200, 60, [&f] { f.Button9Click(); });
  }

  // ---- " 設定１": layer names, text height, smoothing ----
  {
    PageBuilder p(*this, page[5], 5);
    auto* layers = p.Group("GroupBoxLayer", f.GroupBoxLayer, 2, 0, 210, 218);
    PageBuilder g = p.Inside(layers);
    const std::pair<const char*, TEdit*> rows[] = {
        {"Edit27", &f.Edit27}, {"Edit28", &f.Edit28}, {"Edit29", &f.Edit29}, {"Edit30", &f.Edit30},
        {"Edit31", &f.Edit31}, {"Edit32", &f.Edit32}, {"Edit33", &f.Edit33}, {"Edit34", &f.Edit34},
        {"Edit36", &f.Edit36}, {"Edit35", &f.Edit35}, {"Edit37", &f.Edit37}};
    const char* captions[] = {"時刻",   "等時間", "壁面",   "(枠)",  "(等時)", "特定点",
                              "天空図", "(目盛)", "(三斜)", "(ﾊｯﾁ)", "(位置)"};
    for (int i = 0; i < 11; ++i) {
      const int y = 14 + 18 * i;
      g.Text(captions[i], 6, y, 48);
      g.Edit(rows[i].first, *rows[i].second, 56, y, 148);
    }
    auto* common = p.Group("GroupBoxCommon", f.GroupBoxCommon, 216, 0, 110, 58);
    PageBuilder c = p.Inside(common);
    c.Text("文字高さ", 6, 14);
    c.Edit("Edit38", f.Edit38, 6, 32, 50);
    c.Text("(実寸)", 58, 32);
    auto* smoothing = p.Group("GroupBoxSmoothing", f.GroupBoxSmoothing, 216, 62, 110, 58);
    PageBuilder s = p.Inside(smoothing);
    s.Check("CheckBox8", f.CheckBox8, 6, 16, 100);
    s.NumberWithUpDown("Edit9", f.Edit9, "UpDown5", f.UpDown5, 6, 34, 40, &TForm1::UpDown5Click);
  }

  // ---- "設定２": boundary lines, options, the target CAD, about ----
  {
    PageBuilder p(*this, page[6], 6);
    p.Button("Button20", f.Button20, 2, 2, 90, [&f] { f.Button20Click(); });
    p.Button("Button19", f.Button19, 94, 2, 60, [&f] { f.Button19Click(); });
    auto* eval = p.Group("GroupBoxEval", f.GroupBoxEval, 2, 28, 324, 36);
    p.Inside(eval).Check("CheckBox2", f.CheckBox2, 6, 15, 300);
    auto* jikoku = p.Group("GroupBoxJikoku", f.GroupBoxJikoku, 2, 66, 324, 36);
    p.Inside(jikoku).Check("CheckBox11", f.CheckBox11, 6, 15, 300);
    auto* target = p.Group("GroupBox15", f.GroupBox15, 2, 104, 324, 44);
    PageBuilder t = p.Inside(target);
    t.Edit("Edit42", f.Edit42, 6, 18, 254);
    t.SpeedButton(
        "SpeedButton4", f.SpeedButton4, 264, 17, 54, [&f] { f.SpeedButton4Click(); },
        kButtonHeight);
    auto* about = p.Place(new QGroupBox(page[6]), 2, 150, 324, 54);
    auto* icon = p.Place(new QLabel(about), 10, 12, 32, 32);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(32, 32));
    PageBuilder ab = p.Inside(about);
    ab.Label("LabelAboutName", f.LabelAboutName, 52, 14, 200);
    ab.Label("LabelAboutBuild", f.LabelAboutBuild, 52, 32, 200);
  }
}

}  // namespace vorn::ui
