#include "framework/ui/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSizeGrip>
#include <QTimer>
#include <QToolBar>

#include "framework/core/Helpers.h"
#include "framework/ui/ListControl.h"
#include "framework/ui/QtText.h"
#include "platform/CodePage.h"

namespace {

constexpr uint32_t CBS_TYPE_MASK = 0x0003;

void NotifyCommand(CNativeWindow* control, uint16_t code) {
  SendMessage(control->Parent(), WM_COMMAND, MakeWParam(static_cast<uint16_t>(control->Id()), code),
              reinterpret_cast<LPARAM>(control));
}

// Template texts mark mnemonics with '&' and a literal '&' with "&&"; a label
// shows them as text.
QString WithoutMnemonics(QString text) { return text.replace("&&", QChar(1)).remove('&').replace(QChar(1), '&'); }

class NativeStatus final : public TNativeWindow<QWidget> {
 public:
  NativeStatus(QWidget* parent, bool grip) : TNativeWindow<QWidget>(parent) {
    if (grip) grip_ = new QSizeGrip(this);
    resize(width(), fontMetrics().height() + 8);
  }

  void SetParts(const std::vector<int>& rightEdges) {
    edges_ = rightEdges;
    while (parts_.size() > edges_.size()) {
      delete parts_.back();
      parts_.pop_back();
    }
    while (parts_.size() < edges_.size()) {
      auto* part = new QLabel(this);
      part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      part->show();
      parts_.push_back(part);
    }
    LayOut();
  }

  QLabel* Part(int index) const {
    return index >= 0 && index < static_cast<int>(parts_.size()) ? parts_[static_cast<size_t>(index)] : nullptr;
  }

  // The text in the part's frame, and the size grip beside it in the part
  // that reaches the right end.
  int PartWidthFor(int index, const QString& text) const {
    QLabel* part = Part(index);
    if (!part) return 0;
    QLabel probe(text);
    probe.setFont(part->font());
    probe.setFrameStyle(part->frameStyle());
    const bool last = edges_[static_cast<size_t>(index)] < 0;
    return probe.sizeHint().width() + (last && grip_ ? height() : 0);
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::Resize) LayOut();
    return TNativeWindow<QWidget>::event(event);
  }

  bool NativeMessage(MessageRecord& record, bool fromQt) override {
    if (record.message != WM_SIZE || fromQt) return CNativeWindow::NativeMessage(record, fromQt);
    // Sent by the parent when it changes size: the bar keeps to its bottom edge.
    if (QWidget* area = parentWidget()) setGeometry(0, area->height() - height(), area->width(), height());
    return true;
  }

 private:
  void LayOut() {
    int left = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
      // The part at the right end leaves the size grip its corner.
      const int end = grip_ ? width() - height() : width();
      const int right = edges_[i] < 0 ? end : std::min(edges_[i], width());
      parts_[i]->setGeometry(left, 0, std::max(0, right - left), height());
      left = std::max(left, right);
    }
    if (grip_) grip_->setGeometry(width() - height(), 0, height(), height());
  }

  std::vector<int> edges_;
  std::vector<QLabel*> parts_;
  QSizeGrip* grip_ = nullptr;
};

class NativeToolBar final : public TNativeWindow<QToolBar> {
 public:
  explicit NativeToolBar(QWidget* parent) : TNativeWindow<QToolBar>(parent) {
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolBar::actionTriggered, this, [this](QAction* action) {
      const uint32_t command = action->data().toUInt();
      if (command)
        SendMessage(Parent(), WM_COMMAND, MakeWParam(static_cast<uint16_t>(command), BN_CLICKED),
                    reinterpret_cast<LPARAM>(static_cast<CNativeWindow*>(this)));
    });
  }

  std::vector<QAction*> Buttons(uint32_t command) const {
    std::vector<QAction*> found;
    for (QAction* action : actions())
      if (!action->isSeparator() && action->data().toUInt() == command) found.push_back(action);
    return found;
  }

  void SizeButton(QAction* action) {
    if (QWidget* button = widgetForAction(action); button && buttonSize.isValid()) button->setFixedSize(buttonSize);
  }

  QSize buttonSize;
};

class NativeCombo final : public TNativeWindow<QComboBox> {
 public:
  NativeCombo(QWidget* parent, uint32_t style) : TNativeWindow<QComboBox>(parent), sorted_(style & CBS_SORT) {
    setEditable((style & CBS_TYPE_MASK) == CBS_DROPDOWN);
    setSizeAdjustPolicy(AdjustToContents);  // the size hint follows the items
    connect(this, &QComboBox::activated, this, [this] { NotifyCommand(this, CBN_SELCHANGE); });
  }
  // The design gives a combo box the height of its open list; the closed box
  // keeps its own.
  void Place(const QRect& rect) override { setGeometry(rect.x(), rect.y(), rect.width(), sizeHint().height()); }

  // A sorted list puts a new text before the first that follows it, letters
  // compared without case as the system's sorted lists do.
  int Add(const QString& text) {
    int index = count();
    if (sorted_)
      for (int at = 0; at < count(); ++at)
        if (text.compare(itemText(at), Qt::CaseInsensitive) < 0) {
          index = at;
          break;
        }
    insertItem(index, text);
    return index;
  }

 private:
  bool sorted_;
};

class NativeProgress final : public TNativeWindow<QProgressBar> {
 public:
  explicit NativeProgress(QWidget* parent) : TNativeWindow<QProgressBar>(parent) {
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
  }
  int step = 10;
};

class NativeAnimation final : public TNativeWindow<QLabel> {
 public:
  explicit NativeAnimation(QWidget* parent) : TNativeWindow<QLabel>(parent) {
    setAlignment(Qt::AlignCenter);
    connect(&timer_, &QTimer::timeout, this, [this] { ShowFrame(next_ + 1); });
  }

  void Open(const AnimationClip& clip) {
    clip_ = clip;
    ShowFrame(0);
    if (clip_.frames.size() > 1) timer_.start(std::max(clip_.frameMilliseconds, 1));
  }

  void Stop() {
    timer_.stop();
    clip_ = AnimationClip();
    clear();
  }

  bool IsPlaying() const { return !clip_.frames.empty(); }

 protected:
  bool NativeMessage(MessageRecord& record, bool fromQt) override {
    if (record.message == WM_DESTROY) Stop();
    return CNativeWindow::NativeMessage(record, fromQt);
  }

 private:
  void ShowFrame(size_t index) {
    if (clip_.frames.empty()) return;
    next_ = index % clip_.frames.size();
    setPixmap(QPixmap::fromImage(clip_.frames[next_]));
  }

  AnimationClip clip_;
  size_t next_ = 0;
  QTimer timer_;
};

template <class Button>
class NativeButton final : public TNativeWindow<Button> {
 public:
  explicit NativeButton(QWidget* parent) : TNativeWindow<Button>(parent) {
    QObject::connect(this, &QAbstractButton::clicked, this, [this] { NotifyCommand(this, BN_CLICKED); });
  }
};

class NativeEdit final : public TNativeWindow<QLineEdit> {
 public:
  NativeEdit(QWidget* parent, uint32_t style) : TNativeWindow<QLineEdit>(parent) {
    setReadOnly(style & ES_READONLY);
    if (style & ES_RIGHT) setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textEdited, this, [this](const QString& typed) { KeepToLimit(typed); });
    connect(this, &QLineEdit::textChanged, this, [this] {
      kept_ = text();
      NotifyCommand(this, EN_CHANGE);
    });
  }

 protected:
  bool NativeMessage(MessageRecord& record, bool fromQt) override {
    if (record.message != EM_LIMITTEXT) return CNativeWindow::NativeMessage(record, fromQt);
    limit_ = static_cast<int>(record.wParam);
    return true;
  }

 private:
  // The limit is the user's: typing or pasting keeps what fits, while a text
  // the program sets is shown whole (Qt's own maximum would cut it).
  void KeepToLimit(const QString& typed) {
    const int room = std::max(limit_, static_cast<int>(kept_.size()));
    if (limit_ <= 0 || typed.size() <= room) return;
    const int excess = static_cast<int>(typed.size()) - room;
    const int cursor = std::max(cursorPosition() - excess, 0);
    setText(QString(typed).remove(cursor, excess));
    setCursorPosition(cursor);
  }

  int limit_ = 0;  // 0: none
  QString kept_;
};

template <class Wrapped>
Wrapped* As(CNativeWindow* window) {
  return window ? dynamic_cast<Wrapped*>(window) : nullptr;
}

}  // namespace

CNativeWindow* NewControl(ControlKind kind, QWidget* parent, uint32_t style, uint32_t exStyle) {
  switch (kind) {
    case ControlKind::Button: {
      auto* button = new NativeButton<QPushButton>(parent);
      button->setAutoDefault(false);
      button->setDefault(style & BS_DEFPUSHBUTTON);
      return button;
    }
    case ControlKind::CheckBox:
      return new NativeButton<QCheckBox>(parent);
    case ControlKind::Static: {
      auto* label = new TNativeWindow<QLabel>(parent);
      if ((style & SS_TYPEMASK) == SS_CENTER) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      if ((style & SS_TYPEMASK) == SS_RIGHT) label->setAlignment(Qt::AlignRight | Qt::AlignTop);
      return label;
    }
    case ControlKind::Icon:
      return new TNativeWindow<QLabel>(parent);
    case ControlKind::Edit:
      return new NativeEdit(parent, style);
    case ControlKind::ComboBox:
      return new NativeCombo(parent, style);
    case ControlKind::ListView:
      return NewListWindow(parent, style, exStyle);
    case ControlKind::ProgressBar:
      return new NativeProgress(parent);
    case ControlKind::Animation:
      return new NativeAnimation(parent);
    case ControlKind::GroupBox:
      return new TNativeWindow<QGroupBox>(parent);
    case ControlKind::StatusBar:
      return new NativeStatus(parent, style & SBARS_SIZEGRIP);
    case ControlKind::ToolBar:
      return new NativeToolBar(parent);
  }
  return nullptr;
}

CNativeWindow* CreateControl(const ControlTemplate& control, QWidget* parent, const QRect& pixels) {
  CNativeWindow* window = NewControl(control.kind, parent, control.style, 0);
  window->SetId(control.id);
  window->Place(pixels);
  QWidget* widget = window->Widget();
  if (control.kind == ControlKind::Icon) {
    auto icon = Resources().icons.find(control.resource);
    if (icon != Resources().icons.end()) static_cast<QLabel*>(widget)->setPixmap(icon->second.pixmap(32, 32));
  } else if (control.kind == ControlKind::Static) {
    static_cast<QLabel*>(widget)->setText(WithoutMnemonics(ToQt(control.text)));
  } else {
    SetWindowText(window, control.text);
  }
  widget->setEnabled(!(control.style & WS_DISABLED));
  widget->setVisible(control.style & WS_VISIBLE);
  return window;
}

void CControlBase::CreateControl(ControlKind kind, CNativeWindow* parent, uint32_t style, uint32_t exStyle,
                                 uint32_t id) {
  if (handle_) Close(0);
  CNativeWindow* window = NewControl(kind, parent ? parent->Client() : nullptr, style, exStyle);
  window->SetId(id);
  BindNew(window, style);
}

// ---------------------------------------------------------------- status bar

void CStatusLine::SetParts(const std::vector<int>& rightEdges) {
  if (auto* status = As<NativeStatus>(handle_)) status->SetParts(rightEdges);
}

void CStatusLine::SetText(int part, uint32_t, const CText& text) {
  auto* status = As<NativeStatus>(handle_);
  if (QLabel* label = status ? status->Part(part) : nullptr) label->setText(ToQt(text));
}

CText CStatusLine::PartText(int part) const {
  auto* status = As<NativeStatus>(handle_);
  QLabel* label = status ? status->Part(part) : nullptr;
  return label ? FromQt(label->text()) : CText();
}

int CStatusLine::PartWidthFor(int part, const CText& text) const {
  auto* status = As<NativeStatus>(handle_);
  return status ? status->PartWidthFor(part, ToQt(text)) : 0;
}

// ---------------------------------------------------------------- tool bar

namespace {

// The bitmap's four greys become the system's button colours.
QImage WithSystemColours(QImage bitmap) {
  bitmap = bitmap.convertToFormat(QImage::Format_ARGB32);
  const std::pair<QRgb, QColor> mapping[] = {
      {qRgb(0, 0, 0), SystemColour(COLOR_BTNTEXT)},
      {qRgb(128, 128, 128), SystemColour(COLOR_BTNSHADOW)},
      {qRgb(192, 192, 192), SystemColour(COLOR_BTNFACE)},
      {qRgb(255, 255, 255), SystemColour(COLOR_BTNHIGHLIGHT)},
  };
  for (int y = 0; y < bitmap.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
    for (int x = 0; x < bitmap.width(); ++x)
      for (const auto& [from, to] : mapping)
        if ((line[x] & 0xFFFFFF) == (from & 0xFFFFFF) && qAlpha(line[x]) == 255) {
          line[x] = to.rgb();
          break;
        }
  }
  return bitmap;
}

}  // namespace

void CToolStrip::Load(uint32_t resourceId) {
  auto* bar = As<NativeToolBar>(handle_);
  if (!bar) return;
  const ToolBarDescription& description = LoadToolBarDescription(resourceId);
  bitmap_ = WithSystemColours(LoadBitmap(resourceId));
  int image = 0;
  for (uint16_t command : description.commands) {
    if (command == 0) {
      bar->addSeparator();
      continue;
    }
    const QImage picture =
        bitmap_.copy(image++ * description.buttonWidth, 0, description.buttonWidth, description.buttonHeight);
    QAction* button = bar->addAction(QIcon(QPixmap::fromImage(picture)), QString());
    button->setData(command);
    bar->SizeButton(button);
    ToolTipNotify tip;
    tip.header = {handle_, command, TTN_GETDISPINFOA};
    SendMessage(handle_->Parent(), WM_NOTIFY, handle_->Id(), reinterpret_cast<LPARAM>(&tip));
    button->setToolTip(ToQt(std::string_view(tip.text)));
  }
}

void CToolStrip::AddSeparator() {
  if (auto* bar = As<NativeToolBar>(handle_)) bar->addSeparator();
}

void CToolStrip::RemoveAllButtons() {
  if (auto* bar = As<NativeToolBar>(handle_)) bar->clear();
}

void CToolStrip::EnableButton(uint32_t command, bool enable) {
  if (auto* bar = As<NativeToolBar>(handle_))
    for (QAction* button : bar->Buttons(command)) button->setEnabled(enable);
}

bool CToolStrip::IsButtonEnabled(uint32_t command) const {
  auto* bar = As<NativeToolBar>(handle_);
  if (!bar) return false;
  const std::vector<QAction*> buttons = bar->Buttons(command);
  return !buttons.empty() && buttons.front()->isEnabled();
}

int CToolStrip::ButtonCount() const {
  auto* bar = As<NativeToolBar>(handle_);
  if (!bar) return 0;
  int count = 0;
  for (QAction* action : bar->actions()) count += action->isSeparator() ? 0 : 1;
  return count;
}

void CToolStrip::SetBitmapSize(int width, int height) {
  if (auto* bar = As<NativeToolBar>(handle_)) bar->setIconSize(QSize(width, height));
}

void CToolStrip::SetButtonSize(int width, int height) {
  auto* bar = As<NativeToolBar>(handle_);
  if (!bar) return;
  bar->buttonSize = QSize(width, height);
  for (QAction* action : bar->actions()) bar->SizeButton(action);
}

void CToolStrip::DefaultProc(MessageRecord& record) {
  auto* tip = reinterpret_cast<ToolTipNotify*>(record.lParam);
  if (record.message == WM_NOTIFY && tip && tip->header.code == TTN_GETDISPINFOA) {
    const CText text = LoadStringText(static_cast<uint32_t>(tip->header.idFrom));
    const int lineFeed = text.Find('\n');
    const std::string_view after =
        lineFeed < 0 ? std::string_view() : text.View().substr(static_cast<size_t>(lineFeed) + 1);
    const size_t length = platform::CutAtCharBoundary(after, sizeof(tip->text) - 1);
    after.copy(tip->text, length);
    tip->text[length] = '\0';
    return;
  }
  CControlBase::DefaultProc(record);
}

// ---------------------------------------------------------------- combo box

int CComboControl::CurrentSelection() const {
  auto* combo = As<NativeCombo>(handle_);
  return combo ? combo->currentIndex() : -1;
}

void CComboControl::Select(int index) {
  if (auto* combo = As<NativeCombo>(handle_)) combo->setCurrentIndex(index);
}

int CComboControl::AddText(const CText& text) {
  auto* combo = As<NativeCombo>(handle_);
  return combo ? combo->Add(ToQt(text)) : -1;
}

int CComboControl::Count() const {
  auto* combo = As<NativeCombo>(handle_);
  return combo ? combo->count() : 0;
}

int CComboControl::FittingWidth() const {
  auto* combo = As<NativeCombo>(handle_);
  return combo ? combo->sizeHint().width() : 0;
}

// ---------------------------------------------------------------- progress bar

void CProgressControl::SetRange(int upper) {
  if (auto* bar = As<NativeProgress>(handle_)) bar->setRange(0, upper);
}

void CProgressControl::SetPosition(int position) {
  if (auto* bar = As<NativeProgress>(handle_)) bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
}

int CProgressControl::Position() const {
  auto* bar = As<NativeProgress>(handle_);
  return bar ? bar->value() : 0;
}

void CProgressControl::Fill() {
  if (auto* bar = As<NativeProgress>(handle_)) bar->setValue(bar->maximum());
}

void CProgressControl::SetStep(int step) {
  if (auto* bar = As<NativeProgress>(handle_)) bar->step = step;
}

void CProgressControl::Step() {
  auto* bar = As<NativeProgress>(handle_);
  if (!bar) return;
  const int next = bar->value() + bar->step;
  bar->setValue(next > bar->maximum() ? bar->minimum() : next);
}

// ---------------------------------------------------------------- animation

void CAnimationControl::OpenClip(uint32_t clipId) {
  if (auto* animation = As<NativeAnimation>(handle_)) animation->Open(LoadAnimation(clipId));
}

void CAnimationControl::CloseClip() {
  if (auto* animation = As<NativeAnimation>(handle_)) animation->Stop();
}

bool CAnimationControl::IsPlaying() const {
  auto* animation = As<NativeAnimation>(handle_);
  return animation && animation->IsPlaying();
}
