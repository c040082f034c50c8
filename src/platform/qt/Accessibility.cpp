// The program's accessible interfaces (see Accessibility.h).
#include "Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <algorithm>

#include "ClockLabel.h"
#include "MainWindow.h"
#include "ShellRules.h"
#include "alarm/Countdown.h"
#include "app/Text.h"

namespace {
// The top-level window: a frame, named by the caption even while minimised
// (Qt would read the empty icon text then).
class FrameAccessible : public QAccessibleWidget {
 public:
  explicit FrameAccessible(MainWindow* window) : QAccessibleWidget(window, QAccessible::Window) {}
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name) return QAccessibleWidget::text(t);
    return FromText(static_cast<MainWindow*>(widget())->Caption());
  }
};

// A widget that shows a text of its own drawing, or under a name of its own:
// the text it shows is readable, not editable, with no caret.
class ShownTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  using Reader = QString (*)(const QWidget*);
  ShownTextAccessible(QWidget* widget, Reader shown)
      : QAccessibleWidget(widget, QAccessible::StaticText), shown_(shown) {}

  using QAccessibleWidget::text;
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(int startOffset, int endOffset) const override {
    const QString shown = shown_(widget());
    const int size = static_cast<int>(shown.size());
    const int start = std::clamp(startOffset, 0, size);
    return shown.mid(start, std::clamp(endOffset, start, size) - start);
  }
  int characterCount() const override { return static_cast<int>(shown_(widget()).size()); }
  void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* startOffset, int* endOffset) const override {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
  }

 private:
  Reader shown_;
};

// An item of a menu bar without menus: Qt's own would read "__" for the
// minimise item and give no description.
class MenuBarItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  MenuBarItemAccessible(QMenuBar* bar, QAction* action) : bar_(bar), action_(action) {}

  bool isValid() const override { return bar_ && action_; }
  QObject* object() const override { return action_; }
  QWindow* window() const override { return bar_->window()->windowHandle(); }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override {
    return action_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
  }
  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name: {
        const QString name = action_->property(AccessibleNameProperty).toString();
        return name.isEmpty() ? QString(action_->text()).remove(QLatin1Char('&')) : name;
      }
      case QAccessible::Description:
        return action_->property(AccessibleDescriptionProperty).toString();
      default:
        return {};
    }
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override { return bar_->actionGeometry(action_).translated(bar_->mapToGlobal(QPoint(0, 0))); }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.invisible = !bar_->isVisible() || !action_->isVisible();
    state.disabled = action_->isSeparator() || !action_->isEnabled();
    state.focused = bar_->activeAction() == action_;
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }
  QStringList actionNames() const override {
    return action_->isSeparator() ? QStringList() : QStringList{pressAction()};
  }
  void doAction(const QString& name) override {
    if (name == pressAction() && action_->isEnabled() && !action_->isSeparator()) action_->trigger();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QPointer<QMenuBar> bar_;
  QPointer<QAction> action_;
};

// A one-line text box. Qt's own tells a screen reader that the text's
// attributes run over no characters at all, and Orca then reads the box
// without its content: here one run covers the whole text.
class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
 public:
  explicit LineEditAccessible(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Edit()->text();
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = Edit()->isReadOnly();
    state.editable = !state.readOnly;
    state.selectableText = true;
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  // QAccessibleTextInterface
  QString text(int startOffset, int endOffset) const override {
    const int size = characterCount();
    const int start = std::clamp(startOffset, 0, size);
    return Edit()->text().mid(start, std::clamp(endOffset, start, size) - start);
  }
  int characterCount() const override { return static_cast<int>(Edit()->text().size()); }
  void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !Edit()->hasSelectedText()) return;
    *startOffset = Edit()->selectionStart();
    *endOffset = Edit()->selectionEnd();
  }
  int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
  void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
  void removeSelection(int selectionIndex) override {
    if (selectionIndex == 0) Edit()->deselect();
  }
  void setSelection(int selectionIndex, int startOffset, int endOffset) override {
    if (selectionIndex == 0) Edit()->setSelection(startOffset, endOffset - startOffset);
  }
  int cursorPosition() const override { return Edit()->cursorPosition(); }
  void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }
  QRect characterRect(int offset) const override {
    const QString shown = Edit()->text();
    if (offset < 0 || offset >= shown.size()) return {};
    // Measured from the cursor, whose rectangle the box tells input methods.
    const QRect cursor = Edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QFontMetrics metrics = Edit()->fontMetrics();
    const int x = cursor.x() + metrics.horizontalAdvance(shown.left(offset)) -
                  metrics.horizontalAdvance(shown.left(cursorPosition()));
    const QRect rect(x, cursor.y(), metrics.horizontalAdvance(shown.at(offset)), cursor.height());
    return rect.translated(Edit()->mapToGlobal(QPoint(0, 0)));
  }
  int offsetAtPoint(const QPoint& point) const override {
    return Edit()->cursorPositionAt(Edit()->mapFromGlobal(point));
  }
  void scrollToSubstring(int startIndex, int) override { Edit()->setCursorPosition(startIndex); }
  QString attributes(int, int* startOffset, int* endOffset) const override {
    *startOffset = 0;
    *endOffset = characterCount();  // one run over all the text
    return {};
  }

  // QAccessibleEditableTextInterface
  void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, {}); }
  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
  void replaceText(int startOffset, int endOffset, const QString& text) override {
    if (Edit()->isReadOnly()) return;
    const int start = std::clamp(startOffset, 0, characterCount());
    Edit()->setText(Edit()->text().replace(start, std::clamp(endOffset, start, characterCount()) - start, text));
  }

 private:
  QLineEdit* Edit() const { return static_cast<QLineEdit*>(widget()); }
};

// The announcement: a notification named by what it says. Its name is read,
// never sent: Qt 6.4 sends a name change with the object where the name
// belongs, and Orca stops reading the program at it.
class AnnouncementAccessible : public QAccessibleWidget {
 public:
  explicit AnnouncementAccessible(Announcement* announcement)
      : QAccessibleWidget(announcement, QAccessible::Notification) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<Announcement*>(widget())->Text();
    return QAccessibleWidget::text(t);
  }
};

// A hint beside a control: its label-for relation keeps Orca from reading it
// as the window's description; the control keeps its own name.
class HintAccessible : public QAccessibleWidget {
 public:
  HintAccessible(QLabel* label, QObject* control)
      : QAccessibleWidget(label, QAccessible::StaticText), control_(control) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation match) const override {
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> found = QAccessibleWidget::relations(match);
    if (control_ && (match & QAccessible::Label))
      found.append({QAccessible::queryAccessibleInterface(control_.data()), QAccessible::Label});
    return found;
  }

 private:
  QPointer<QObject> control_;
};

QString ClockText(const QWidget* clock) { return static_cast<const ClockLabel*>(clock)->Text(); }
QString LabelText(const QWidget* label) { return static_cast<const QLabel*>(label)->text(); }

QAccessibleInterface* CreateInterface(const QString& className, QObject* object) {
  if (className == QLatin1String("MainWindow")) return new FrameAccessible(static_cast<MainWindow*>(object));
  if (className == QLatin1String("ClockLabel"))
    return new ShownTextAccessible(static_cast<QWidget*>(object), ClockText);
  // A label named apart from its text (the alarm display) keeps that text readable.
  if (className == QLatin1String("QLabel")) {
    auto* label = static_cast<QLabel*>(object);
    return label->accessibleName().isEmpty() ? nullptr : new ShownTextAccessible(label, LabelText);
  }
  if (className == QLatin1String("HintLabel")) {
    auto* hint = static_cast<HintLabel*>(object);
    return new HintAccessible(hint, hint->Control());
  }
  if (className == QLatin1String("Announcement")) return new AnnouncementAccessible(static_cast<Announcement*>(object));
  if (className == QLatin1String("QLineEdit")) return new LineEditAccessible(static_cast<QLineEdit*>(object));
  if (className == QLatin1String("QAction")) {
    auto* action = static_cast<QAction*>(object);
    if (auto* bar = qobject_cast<QMenuBar*>(action->parent())) return new MenuBarItemAccessible(bar, action);
  }
  return nullptr;
}
}  // namespace

void InstallAccessibleFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(CreateInterface);
    return true;
  }();
  Q_UNUSED(installed);
}

Announcement::Announcement(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("announcement"));
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setGeometry(0, 0, 0, 0);
  hide();
}

void Announcement::Announce(const QString& text) {
  // Hidden first: showing again is what a screen reader hears.
  hide();
  text_ = text;
  show();
}

void Announcement::Withdraw() { hide(); }

void Announcement::Withdraw(const QString& text) {
  if (text_ == text) hide();
}

QString AlarmAnnouncement(const std::string& message) {
  const QString timeIsUp = QString::fromUtf8(TimeIsUpCaption);
  return message.empty() ? timeIsUp : timeIsUp + QLatin1Char(' ') + FromText(message);
}

void SpokenAlarmNotifier::ShowAlarm(const std::string& message) {
  if (announcement_) announcement_->Announce(AlarmAnnouncement(message));
  desktop_.ShowAlarm(message);
}

void SpokenAlarmNotifier::WithdrawAlarm() {
  if (announcement_) announcement_->Withdraw();
  desktop_.WithdrawAlarm();
}
