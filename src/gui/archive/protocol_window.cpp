// The protocol window's view and its kept text.
#include "gui/archive/protocol_window.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "gui/common/qt_text.h"

namespace pelgo::gui {

ProtocolWindow::ProtocolWindow(QWidget* parent) : QDialog(parent), m_view(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("TProtocol"));
    setWindowTitle(QString::fromUtf8("Протокол"));
    m_view->setObjectName(QStringLiteral("ProtocolView"));
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_view);
    resize(640, 420);
}

void ProtocolWindow::Clear() {
    m_view->clear();
    m_text.clear();
}

void ProtocolWindow::Protocol(std::string_view line) {
    m_text.append(line).append("\r\n");
    m_view->appendPlainText(FromCp1251(line));
}

void ProtocolWindow::ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace pelgo::gui
