// What the template editor and the report window share around their rich-text control: the formatting bar
// (font, alignment, list, left indent, picture), the line search and printing.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "platform/user_dialog.h"

class QPrinter;
class QTextDocument;
class QTextEdit;
class QToolBar;
class QWidget;

namespace pelgo::gui {

// The formatting commands on `edit`, as a tool bar named "FormatBar". Questions go through `dialog`.
QToolBar* BuildFormatBar(QTextEdit& edit, platform::UserDialog& dialog, QWidget* parent);

// LeftMargin: asks for the selected paragraphs' left indent in points, prefilled with the current one.
void AskLeftMargin(QTextEdit& edit, platform::UserDialog& dialog);
// Inserts the picture file at the caret as a picture group RTF keeps: PNG for what Qt reads, the file's own
// bytes for a metafile. False when the file cannot be read.
bool InsertPictureFile(QTextEdit& edit, const std::string& path);

// Finds lines (paragraphs) holding a text, case-sensitive: Find from the first line, FindNext from the line
// after the last hit. The hit's line gets the caret at its start.
class LineFinder {
public:
    bool Find(QTextEdit& edit, const QString& text);
    bool FindNext(QTextEdit& edit);
    void Reset() { m_next = 0; }
    const QString& Text() const { return m_text; }

private:
    bool Search(QTextEdit& edit);

    QString m_text;
    int m_next = 0;
};

// The search command of both windows: asks for the text ("Найти ...") and searches from the first line, or
// with `next` goes on with the last text; "Контекст не найден" when nothing further holds it.
void FindCommand(QTextEdit& edit, LineFinder& finder, platform::UserDialog& dialog, bool next);

// The document on the printer under the job title.
void PrintDocument(const QTextDocument& document, QPrinter& printer, const QString& jobTitle);
// The print dialog, then the document; false when the dialog was cancelled.
bool PrintWithDialog(const QTextDocument& document, const QString& jobTitle, QWidget* parent);

} // namespace pelgo::gui
