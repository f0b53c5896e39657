// Captions and hints of windows and controls from the open language file. A control the language says
// nothing about shows its built-in texts again, remembered the first time a translation touched it, so
// switching back from one language to another never leaves the first one's words behind.
#include "gui/common/window_translation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <string>

#include "gui/common/qt_text.h"

namespace pelgo::gui {
namespace {

constexpr const char* kBuiltinText = "pelgoBuiltinText";
constexpr const char* kBuiltinHint = "pelgoBuiltinHint";
constexpr const char* kBuiltinItems = "pelgoBuiltinItems";
constexpr const char* kBuiltinItemHints = "pelgoBuiltinItemHints";

struct CaptionAndHint {
    QString caption;
    QString hint;
};

CaptionAndHint Split(const QString& value) {
    const qsizetype tilde = value.indexOf(u'~');
    return tilde < 0 ? CaptionAndHint{value, {}} : CaptionAndHint{value.left(tilde), value.mid(tilde + 1)};
}

QString WithLineBreaks(QString value) {
    return value.replace(QStringLiteral("||"), QStringLiteral("\n"));
}

// Entries of a page, column or tab list; consecutive separators count as one.
QStringList Words(const QString& value) {
    return value.split(u'|', Qt::SkipEmptyParts);
}

template <class T> T Remembered(QObject* object, const char* property, const T& current) {
    const QVariant stored = object->property(property);
    if (!stored.isValid()) {
        object->setProperty(property, QVariant::fromValue(current));
        return current;
    }
    return stored.value<T>();
}

bool IsPopup(const QWidget* widget) {
    return widget->windowType() == Qt::Popup || widget->windowType() == Qt::ToolTip;
}

// The window whose section names `object`: pop-up menus belong to the window that owns them.
const QWidget* OwnerWindow(const QObject* object) {
    for (const QObject* o = object; o != nullptr; o = o->parent()) {
        if (const auto* widget = qobject_cast<const QWidget*>(o); widget != nullptr && !IsPopup(widget)) {
            return widget->window();
        }
    }
    return nullptr;
}

bool IsTranslatableWindow(const QWidget* widget) {
    return widget->isWindow() && !IsPopup(widget) && !widget->objectName().isEmpty();
}

template <class T>
void ApplyCaptionAndHint(T* control, const QString& value, QString (T::*text)() const,
                         void (T::*setText)(const QString&)) {
    const QString builtinText = Remembered(control, kBuiltinText, (control->*text)());
    const QString builtinHint = Remembered(control, kBuiltinHint, control->toolTip());
    if (value.isEmpty()) {
        (control->*setText)(builtinText);
        control->setToolTip(builtinHint);
        return;
    }
    const auto [caption, hint] = Split(value);
    (control->*setText)(WithLineBreaks(caption));
    control->setToolTip(WithLineBreaks(hint));
}

void ApplyPages(QTabWidget* pages, const QString& value) {
    QStringList captions;
    QStringList hints;
    for (int i = 0; i < pages->count(); ++i) {
        captions << pages->tabText(i);
        hints << pages->tabToolTip(i);
    }
    captions = Remembered(pages, kBuiltinItems, captions);
    hints = Remembered(pages, kBuiltinItemHints, hints);
    const QStringList words = Words(value);
    for (int i = 0; i < pages->count(); ++i) {
        if (value.isEmpty()) {
            pages->setTabText(i, captions.value(i));
            pages->setTabToolTip(i, hints.value(i));
        } else {
            const auto [caption, hint] = Split(words.value(i));
            pages->setTabText(i, caption);
            pages->setTabToolTip(i, hint);
        }
    }
}

void ApplyTabs(QTabBar* tabs, const QString& value) {
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) {
        captions << tabs->tabText(i);
    }
    captions = Remembered(tabs, kBuiltinItems, captions);
    const QStringList words = value.isEmpty() ? captions : Words(value);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setTabText(i, Split(words.value(i)).caption);
    }
}

// Remembered with the model: a view that gets another model starts from that model's captions.
void ApplyColumns(QAbstractItemModel* model, const QString& value) {
    QStringList captions;
    for (int i = 0; i < model->columnCount(); ++i) {
        captions << model->headerData(i, Qt::Horizontal).toString();
    }
    captions = Remembered(model, kBuiltinItems, captions);
    const QStringList words = value.isEmpty() ? captions : Words(value);
    for (int i = 0; i < model->columnCount(); ++i) {
        model->setHeaderData(i, Qt::Horizontal, Split(words.value(i)).caption);
    }
}

} // namespace

WindowTranslation::WindowTranslation(core::TKelTranslator& translator, QObject* parent)
    : QObject(parent), m_translator(translator) {
    qApp->installEventFilter(this);
    m_translator.SetLanguageChangedHandler([this] {
        TranslateOpenWindows();
        emit languageChanged();
    });
}

WindowTranslation::~WindowTranslation() {
    m_translator.SetLanguageChangedHandler({});
}

QString WindowTranslation::RawValue(const QString& section, const QString& name, int tag) const {
    std::string value = m_translator.Value(ToCp1251(section), ToCp1251(name));
    if (value.empty() && tag > 0 && m_translator.UseTag()) {
        value = m_translator.Value("Strings", std::to_string(tag));
    }
    return FromCp1251(value);
}

QString WindowTranslation::Caption(const QString& section, const QString& name, int tag) const {
    return WithLineBreaks(Split(RawValue(section, name, tag)).caption);
}

void WindowTranslation::TranslateWindow(QWidget* window) {
    const QString section = window->objectName();
    const QString builtinTitle = Remembered(window, kBuiltinText, window->windowTitle());
    const QString value = RawValue(section, QStringLiteral("Self"), window->property(kTagProperty).toInt());
    const QString title = value.isEmpty() ? builtinTitle : WithLineBreaks(Split(value).caption);
    window->setWindowTitle(title + window->property(kTitleSuffixProperty).toString());
    for (QObject* object : window->findChildren<QObject*>()) {
        const QString name = object->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || OwnerWindow(object) != window) {
            continue;
        }
        TranslateObject(section, object);
    }
}

void WindowTranslation::TranslateObject(const QString& section, QObject* object) {
    // A menu's caption is its menu action's, and a button that shows an action takes the action's texts.
    if (qobject_cast<QMenu*>(object) != nullptr) {
        return;
    }
    if (auto* button = qobject_cast<QToolButton*>(object); button != nullptr && button->defaultAction() != nullptr) {
        return;
    }
    const QString value = RawValue(section, object->objectName(), object->property(kTagProperty).toInt());
    if (auto* action = qobject_cast<QAction*>(object)) {
        ApplyCaptionAndHint(action, value, &QAction::text, &QAction::setText);
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        ApplyCaptionAndHint(button, value, &QAbstractButton::text, &QAbstractButton::setText);
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        ApplyCaptionAndHint(label, value, &QLabel::text, &QLabel::setText);
    } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
        ApplyCaptionAndHint(group, value, &QGroupBox::title, &QGroupBox::setTitle);
    } else if (auto* pages = qobject_cast<QTabWidget*>(object)) {
        ApplyPages(pages, value);
    } else if (auto* tabs = qobject_cast<QTabBar*>(object)) {
        ApplyTabs(tabs, value);
    } else if (auto* view = qobject_cast<QAbstractItemView*>(object); view != nullptr && view->model() != nullptr) {
        ApplyColumns(view->model(), value);
    } else if (auto* widget = qobject_cast<QWidget*>(object)) {
        widget->setToolTip(Remembered(widget, kBuiltinHint, widget->toolTip()));
        if (!value.isEmpty()) {
            widget->setToolTip(WithLineBreaks(Split(value).hint));
        }
    }
}

void WindowTranslation::TranslateOpenWindows() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (IsTranslatableWindow(widget)) {
            TranslateWindow(widget);
        }
    }
}

bool WindowTranslation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (IsTranslatableWindow(widget)) {
            TranslateWindow(widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pelgo::gui
