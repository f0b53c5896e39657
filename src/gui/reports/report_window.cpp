// The report window's views and commands, and the separator dialog of the spreadsheet export.
#include "gui/reports/report_window.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFont>
#include <QListWidget>
#include <QMenu>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <array>

#include "core/errors.h"
#include "core/file.h"
#include "core/translator.h"
#include "gui/common/qt_text.h"
#include "gui/common/theme_icons.h"
#include "gui/reports/rich_text_document.h"
#include "reports/report_export.h"
#include "reports/rtf_writer.h"

namespace pelgo::gui {
namespace {

constexpr int kDefaultCharPixels = 12;
constexpr const char* kPrintJobTitle = "Pelgo_2";
constexpr const char* kDefaultName = "pasport";

enum SaveFilter : std::size_t { RtfFilter, ImportFilter, TextFilter, PdfFilter, CsvFilter };
constexpr const char* kSaveFilter =
    "RTF - файл (Word)|*.rtf|Текст для импорта в Excel|*.imp|Только текст|*.txt|PDF - файл|*.pdf";
constexpr const char* kCsvFilter = "|CSV|*.csv";
constexpr std::array<const char*, 5> kExtensions{".rtf", ".imp", ".txt", ".pdf", ".csv"};

constexpr std::array<const char*, 5> kSeparators{"_ Пробел", ", Запятая", "; Точка с запятой", "\\ Слэш ", "Табуляция"};

} // namespace

ReportWindow::ReportWindow(platform::UserDialog& dialog, bool editable, QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_editable(editable) {
    setObjectName(QStringLiteral("TPasport"));
    setWindowTitle(QString::fromUtf8("Отчетные формы"));
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(true);

    m_edit = new QTextEdit(this);
    m_edit->setObjectName(QStringLiteral("RichEdit"));
    m_edit->setAcceptRichText(false);
    m_edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_edit, &QWidget::customContextMenuRequested, this, &ReportWindow::ShowPopup);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("ReportTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &ReportWindow::ShowPopup);

    auto* commands = new QToolBar(this);
    commands->setObjectName(QStringLiteral("CommandBar"));
    const auto command = [this, commands](const char* name, const char* caption, auto handler) {
        QAction* action = commands->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_print = command("PrintButton", "Печать...", [this] { PrintCommand(); });
    m_save = command("SaveButton", "Сохранить...", [this] { Save(); });
    m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_find = command("FindButton", "Найти ...", [this] { Find(false); });
    m_find->setShortcut(Qt::Key_F7);
    m_findNext = command("FindNextButton", "Найти далее", [this] { Find(true); });
    m_findNext->setShortcut(Qt::Key_F3);
    m_formatBar = BuildFormatBar(*m_edit, m_dialog, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(commands);
    layout->addWidget(m_formatBar);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_tree, 1);
    m_tree->hide();
    resize(760, 560);
}

void ReportWindow::ShowReport(int kind, const reports::RichText& text) {
    m_kind = kind;
    m_finder.Reset();
    QFont font = m_edit->document()->defaultFont();
    font.setPixelSize(kDefaultCharPixels);
    m_edit->document()->setDefaultFont(font);
    FillDocument(*m_edit->document(), text);
    m_edit->setReadOnly(!m_editable);
    m_edit->moveCursor(QTextCursor::Start);
    m_tree->clear();
    m_tree->hide();
    m_edit->show();
    m_formatBar->setVisible(m_editable);
}

void ReportWindow::ShowTree(int kind, const std::vector<ReportTreeLine>& lines) {
    m_kind = kind;
    m_treeSearch.clear();
    m_edit->clear();
    m_tree->clear();
    std::vector<QTreeWidgetItem*> parents; // the last item of each level
    for (const ReportTreeLine& line : lines) {
        const auto level = static_cast<std::size_t>(std::max(line.level, 0));
        parents.resize(std::min(level, parents.size()));
        QTreeWidgetItem* item = parents.empty() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(parents.back());
        item->setText(0, FromCp1251(line.caption));
        if (line.icon > 0) {
            item->setIcon(0, NodeTypeIcon(line.icon));
        }
        parents.push_back(item);
    }
    m_tree->expandAll();
    m_edit->hide();
    m_formatBar->hide();
    m_tree->show();
}

bool ReportWindow::ShowsTree() const {
    return !m_tree->isHidden();
}

reports::RichText ReportWindow::Text() const {
    return DocumentToRichText(*m_edit->document());
}

void ReportWindow::ShowPopup(const QPoint& position) {
    QMenu menu(this);
    menu.addAction(m_save);
    menu.addAction(m_find);
    menu.addAction(m_findNext);
    menu.addAction(m_print);
    menu.exec(qobject_cast<QWidget*>(sender())->mapToGlobal(position));
}

void ReportWindow::PrintCommand() {
    if (ShowsTree()) {
        m_dialog.Inform(platform::MessageKind::Information, core::Text(3539, "Извините, распечатать не могу..."));
        return;
    }
    PrintWithDialog(*m_edit->document(), QLatin1String(kPrintJobTitle), this);
}

void ReportWindow::Print(QPrinter& printer) const {
    PrintDocument(*m_edit->document(), printer, QLatin1String(kPrintJobTitle));
}

void ReportWindow::Save() {
    platform::FileChoice choice;
    choice.purpose = platform::FileChoice::Purpose::Save;
    choice.title = core::Utf8ToCp1251("Сохранить...");
    choice.filter = core::Utf8ToCp1251(kSaveFilter) + (m_csv.empty() ? "" : kCsvFilter);
    choice.initialPath = kDefaultName;
    const std::optional<platform::FilteredFile> chosen = m_dialog.ChooseFileWithFilter(choice);
    if (!chosen) {
        return;
    }
    try {
        if (ShowsTree()) {
            SaveTreeText(chosen->path);
        } else {
            SaveText(chosen->path, chosen->filter);
        }
    } catch (const core::Error& error) {
        m_dialog.Inform(platform::MessageKind::Error, error.what());
    }
}

void ReportWindow::SaveText(const std::string& name, std::size_t filter) {
    const std::size_t format =
        filter < kExtensions.size() && (filter != CsvFilter || !m_csv.empty()) ? filter : std::size_t{RtfFilter};
    const std::string path = name + kExtensions[format];
    if (!MayReplace(path)) {
        return;
    }
    const reports::RichText text = Text();
    switch (format) {
    case ImportFilter: {
        SeparatorDialog separators(this);
        if (separators.exec() != QDialog::Accepted) {
            return;
        }
        core::WriteFileAtomically(
            path, reports::SpreadsheetExport(text, static_cast<reports::ImportSeparator>(separators.Chosen())));
        break;
    }
    case TextFilter:
        core::WriteFileAtomically(path, reports::PlainText(text));
        break;
    case PdfFilter:
        WritePdf(text, path);
        break;
    case CsvFilter:
        core::WriteFileAtomically(path, m_csv);
        break;
    default:
        reports::WriteRtfFile(path, text);
        break;
    }
}

void ReportWindow::SaveTreeText(const std::string& name) {
    std::string out;
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        int level = 0;
        for (const QTreeWidgetItem* parent = (*it)->parent(); parent != nullptr; parent = parent->parent()) {
            ++level;
        }
        out += std::string(static_cast<std::size_t>(level), '\t') + ToCp1251((*it)->text(0)) + "\r\n";
    }
    if (MayReplace(name + ".txt")) {
        core::WriteFileAtomically(name + ".txt", out);
    }
}

// The file dialog asked about the name as typed; the extension appended makes it another file, which may exist.
bool ReportWindow::MayReplace(const std::string& path) {
    return !core::FileExists(path) ||
           m_dialog.Ask(platform::MessageKind::Confirmation,
                        core::Utf8ToCp1251("Файл ") + path + core::Utf8ToCp1251(" уже существует.\nЗаменить его ?"),
                        platform::Buttons::YesNo) == platform::Answer::Yes;
}

void ReportWindow::Find(bool next) {
    if (ShowsTree()) {
        FindInTree(next);
    } else {
        FindCommand(*m_edit, m_finder, m_dialog, next);
    }
}

void ReportWindow::FindInTree(bool next) {
    if (!next || m_treeSearch.isEmpty()) {
        const std::optional<std::string> text =
            m_dialog.InputText(core::Utf8ToCp1251("Найти ..."), core::Utf8ToCp1251("Текст:"), ToCp1251(m_treeSearch));
        if (!text || text->empty()) {
            return;
        }
        m_treeSearch = FromCp1251(*text);
        next = false;
    }
    QTreeWidgetItemIterator it(m_tree);
    if (next && m_tree->currentItem() != nullptr) {
        it = QTreeWidgetItemIterator(m_tree->currentItem());
        ++it;
    }
    for (; *it != nullptr; ++it) {
        if ((*it)->text(0).contains(m_treeSearch, Qt::CaseSensitive)) {
            m_tree->setCurrentItem(*it);
            m_tree->scrollToItem(*it);
            return;
        }
    }
    m_dialog.Inform(platform::MessageKind::Information, core::Text(1067, "Контекст не найден"));
}

SeparatorDialog::SeparatorDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TP_sub"));
    setWindowTitle(QString::fromUtf8("Символ"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("SeparatorList"));
    for (const char* caption : kSeparators) {
        m_list->addItem(QString::fromUtf8(caption));
    }
    m_list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

int SeparatorDialog::Chosen() const {
    return std::max(m_list->currentRow(), 0);
}

} // namespace pelgo::gui
