// The formatting bar, the line search and printing of the two report windows.
#include "gui/reports/rich_text_editing.h"

#include <QAction>
#include <QBuffer>
#include <QFileInfo>
#include <QFontDialog>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QUrl>
#include <charconv>
#include <cmath>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/reports/rich_text_document.h"

namespace pelgo::gui {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;
constexpr int kTwipsPerPixel = 15;
constexpr int kMetafileSidePixels = 32; // a metafile's size is not read: it shows as a frame of this side

QAction* Command(QToolBar* bar, const char* name, const char* caption) {
    QAction* action = bar->addAction(QString::fromUtf8(caption));
    action->setObjectName(QLatin1String(name));
    return action;
}

void Align(QTextEdit& edit, Qt::Alignment alignment) {
    edit.setAlignment(alignment);
    edit.setFocus();
}

void SetList(QTextEdit& edit, bool on) {
    QTextCursor cursor = edit.textCursor();
    cursor.beginEditBlock();
    if (on) {
        if (cursor.currentList() == nullptr) {
            QTextListFormat format;
            format.setStyle(QTextListFormat::ListDisc);
            cursor.createList(format);
        }
    } else {
        const int end = cursor.selectionEnd();
        QTextBlock block = edit.document()->findBlock(cursor.selectionStart());
        for (; block.isValid() && block.position() <= end; block = block.next()) {
            if (QTextList* list = block.textList()) {
                list->remove(block);
                QTextCursor blockCursor(block);
                QTextBlockFormat format = block.blockFormat();
                format.setIndent(0);
                blockCursor.setBlockFormat(format);
            }
        }
    }
    cursor.endEditBlock();
}

void ChooseFont(QTextEdit& edit, QWidget* parent) {
    bool chosen = false;
    const QFont font =
        QFontDialog::getFont(&chosen, edit.currentFont(), parent, QString::fromUtf8("Параметры выделенного текста"));
    if (chosen) {
        QTextCharFormat format;
        format.setFont(font);
        edit.mergeCurrentCharFormat(format);
    }
}

void InsertPictureCommand(QTextEdit& edit, platform::UserDialog& dialog) {
    platform::FileChoice choice;
    choice.title = core::Utf8ToCp1251("Загрузить рисунок");
    choice.filter = core::Utf8ToCp1251("Рисунки|*.gif;*.bmp;*.ico;*.emf;*.wmf;*.png;*.jpg|Все файлы *.*|*.*");
    if (const std::optional<std::string> path = dialog.ChooseFile(choice)) {
        InsertPictureFile(edit, *path);
    }
}

std::string Hex(const QByteArray& bytes) {
    return bytes.toHex().toStdString();
}

} // namespace

QToolBar* BuildFormatBar(QTextEdit& edit, platform::UserDialog& dialog, QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QStringLiteral("FormatBar"));
    QObject::connect(Command(bar, "FontButton", "Шрифт..."), &QAction::triggered, bar,
                     [&edit, parent] { ChooseFont(edit, parent); });
    QObject::connect(Command(bar, "AlignLeftButton", "Влево"), &QAction::triggered, bar,
                     [&edit] { Align(edit, Qt::AlignLeft | Qt::AlignAbsolute); });
    QObject::connect(Command(bar, "AlignCenterButton", "По центру"), &QAction::triggered, bar,
                     [&edit] { Align(edit, Qt::AlignHCenter); });
    QObject::connect(Command(bar, "AlignRightButton", "Вправо"), &QAction::triggered, bar,
                     [&edit] { Align(edit, Qt::AlignRight | Qt::AlignAbsolute); });
    QObject::connect(Command(bar, "ListButton", "Список"), &QAction::triggered, bar, [&edit] { SetList(edit, true); });
    QObject::connect(Command(bar, "NoListButton", "Отменить список"), &QAction::triggered, bar,
                     [&edit] { SetList(edit, false); });
    QObject::connect(Command(bar, "LeftMarginButton", "Левая граница"), &QAction::triggered, bar,
                     [&edit, &dialog] { AskLeftMargin(edit, dialog); });
    QObject::connect(Command(bar, "PictureButton", "Загрузить рисунок"), &QAction::triggered, bar,
                     [&edit, &dialog] { InsertPictureCommand(edit, dialog); });
    return bar;
}

void AskLeftMargin(QTextEdit& edit, platform::UserDialog& dialog) {
    QTextCursor cursor = edit.textCursor();
    const int current = static_cast<int>(std::lround(cursor.blockFormat().leftMargin() / kPixelsPerPoint));
    const std::optional<std::string> answer =
        dialog.InputText(core::Text(4503, "Левая граница текста"), core::Text(4504, "Введите значение,кратное 10 :"),
                         std::to_string(current));
    if (!answer) {
        return;
    }
    const std::string text(core::Trim(*answer));
    int points = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), points);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        dialog.Inform(platform::MessageKind::Error, core::Text(4505, "Неверное значение"));
        return;
    }
    // Any integer is taken, within the widest page a document can have (22 inches).
    constexpr int kWidestIndent = 1584;
    QTextBlockFormat format;
    format.setLeftMargin(std::clamp(points, -kWidestIndent, kWidestIndent) * kPixelsPerPoint);
    cursor.mergeBlockFormat(format);
}

bool InsertPictureFile(QTextEdit& edit, const std::string& path) {
    std::string bytes;
    try {
        bytes = core::ReadFileBytes(path);
    } catch (const core::Error&) {
        return false;
    }
    const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const QString suffix = QFileInfo(FromCp1251(path)).suffix().toLower();
    QImage image;
    std::string rtf;
    if (suffix == QLatin1String("emf") || suffix == QLatin1String("wmf")) {
        const int side = kMetafileSidePixels * kTwipsPerPixel;
        rtf = std::string("{\\pict") + (suffix == QLatin1String("emf") ? "\\emfblip" : "\\wmetafile8") + "\\picwgoal" +
              std::to_string(side) + "\\pichgoal" + std::to_string(side) + "\n" + Hex(data) + "}";
        image = QImage(kMetafileSidePixels, kMetafileSidePixels, QImage::Format_RGB32);
        image.fill(Qt::lightGray);
    } else {
        if (!image.loadFromData(data)) {
            return false;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        rtf = "{\\pict\\pngblip\\picw" + std::to_string(image.width()) + "\\pich" + std::to_string(image.height()) +
              "\\picwgoal" + std::to_string(image.width() * kTwipsPerPixel) + "\\pichgoal" +
              std::to_string(image.height() * kTwipsPerPixel) + "\n" + Hex(png) + "}";
    }
    const QByteArray group(rtf.data(), static_cast<qsizetype>(rtf.size()));
    const QString name = QStringLiteral("pelgo-inserted:%1").arg(qHash(group));
    edit.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(image.width());
    format.setHeight(image.height());
    format.setProperty(kPictureRtf, group);
    edit.textCursor().insertImage(format);
    return true;
}

bool LineFinder::Find(QTextEdit& edit, const QString& text) {
    m_text = text;
    m_next = 0;
    return Search(edit);
}

bool LineFinder::FindNext(QTextEdit& edit) {
    return !m_text.isEmpty() && Search(edit);
}

bool LineFinder::Search(QTextEdit& edit) {
    for (QTextBlock block = edit.document()->findBlockByNumber(m_next); block.isValid(); block = block.next()) {
        if (block.text().contains(m_text, Qt::CaseSensitive)) {
            m_next = block.blockNumber() + 1;
            QTextCursor cursor(block);
            edit.setTextCursor(cursor);
            edit.ensureCursorVisible();
            return true;
        }
    }
    return false;
}

void FindCommand(QTextEdit& edit, LineFinder& finder, platform::UserDialog& dialog, bool next) {
    bool found = false;
    if (next && !finder.Text().isEmpty()) {
        found = finder.FindNext(edit);
    } else {
        const std::optional<std::string> text =
            dialog.InputText(core::Utf8ToCp1251("Найти ..."), core::Utf8ToCp1251("Текст:"), ToCp1251(finder.Text()));
        if (!text || text->empty()) {
            return;
        }
        found = finder.Find(edit, FromCp1251(*text));
    }
    if (!found) {
        dialog.Inform(platform::MessageKind::Information, core::Text(1067, "Контекст не найден"));
    }
}

void PrintDocument(const QTextDocument& document, QPrinter& printer, const QString& jobTitle) {
    printer.setDocName(jobTitle);
    document.print(&printer);
}

bool PrintWithDialog(const QTextDocument& document, const QString& jobTitle, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    PrintDocument(document, printer, jobTitle);
    return true;
}

} // namespace pelgo::gui
