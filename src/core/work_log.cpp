// Appending to the shared work log.
#include "core/work_log.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/file.h"

namespace pelgo::core {

WorkLog::WorkLog(std::string path, const Clock& clock) : m_path(std::move(path)), m_clock(clock) {
}

WorkLog::~WorkLog() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void WorkLog::SetIdentity(std::string currentUser, std::string computerName) {
    m_currentUser = std::move(currentUser);
    m_computerName = std::move(computerName);
}

void WorkLog::LogEvent(std::string_view message) {
    if (m_movingSize > 0) {
        LogWrite(m_currentUser + " " + std::string(message));
    }
}

void WorkLog::LogNodeEvent(std::string_view nodeTypeName, std::string_view message) {
    LogEvent(WithNodePrefix(nodeTypeName, message));
}

std::string WithNodePrefix(std::string_view nodeTypeName, std::string_view message) {
    const std::string typeName = nodeTypeName.empty() ? std::string("?") : std::string(nodeTypeName);
    if (UpperCyrillic(message).find(UpperCyrillic(typeName) + " ") != std::string::npos) {
        return std::string(message);
    }
    return typeName + " " + std::string(message);
}

void WorkLog::LogWrite(std::string_view text) {
    if (m_fd < 0) {
        Open();
    }
    AppendLine(text);
}

void WorkLog::LogClose() {
    if (m_fd < 0) {
        Open();
    }
    AppendLine("--- LOG File is closed for " + m_computerName);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void WorkLog::Open() {
    // O_APPEND makes every write land at the current end of the file, whoever else is appending.
    m_fd = ::open(NativeFileName(m_path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
        AppendLine("--- LOG File is open for " + m_computerName);
    }
}

void WorkLog::AppendLine(std::string_view text) {
    if (m_fd < 0) {
        return;
    }
    const std::string line = LogStamp(m_clock.Now()) + std::string(text) + "\r\n";
    ssize_t written = 0;
    do {
        written = ::write(m_fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
}

} // namespace pelgo::core
