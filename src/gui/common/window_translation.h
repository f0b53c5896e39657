// Window translation: a language file names each window's section by the window's class (our windows
// carry it as their object name, e.g. "TMain") and each control by its object name; a numeric text id in
// the dynamic property "tag" stands in when the control has no entry. Every window is translated when it
// is shown and again when the language changes.
#pragma once

#include <QObject>
#include <QString>

#include "core/translator.h"

class QWidget;

namespace pelgo::gui {

// Dynamic properties our windows and controls may carry.
inline constexpr const char* kTagProperty = "tag";                 // int: a text id of [Strings]
inline constexpr const char* kTitleSuffixProperty = "titleSuffix"; // QString put after the translated title

class WindowTranslation : public QObject {
    Q_OBJECT
public:
    // Watches the application's windows and takes the translator's language-change handler.
    explicit WindowTranslation(core::TKelTranslator& translator, QObject* parent = nullptr);
    ~WindowTranslation() override;

    // A control's caption from the open language file: `section`/`name`, else [Strings]/`tag`; empty when
    // the language has neither.
    QString Caption(const QString& section, const QString& name, int tag) const;

    void TranslateWindow(QWidget* window);
    void TranslateOpenWindows();

signals:
    // After every open window took the new language; owners of texts held in code refresh them now.
    void languageChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The raw entry: `section`/`name`, else [Strings]/`tag`.
    QString RawValue(const QString& section, const QString& name, int tag) const;
    void TranslateObject(const QString& section, QObject* object);

    core::TKelTranslator& m_translator;
};

} // namespace pelgo::gui
