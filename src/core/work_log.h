// The work log "pelgo.log": every instance appends what it does, one whole line per write, so several
// processes sharing the installation folder never overwrite each other's lines.
#pragma once

#include <string>
#include <string_view>

#include "core/date_time.h"

namespace pelgo::core {

class WorkLog {
public:
    WorkLog(std::string path, const Clock& clock);
    ~WorkLog();
    WorkLog(const WorkLog&) = delete;
    WorkLog& operator=(const WorkLog&) = delete;

    const std::string& Path() const { return m_path; }
    void SetIdentity(std::string currentUser, std::string computerName);
    // [Setup] LogOfMovingSize in MB; 0 switches ordinary events off.
    void SetMovingSize(int megabytes) { m_movingSize = megabytes; }

    // An ordinary event: user + " " + message.
    void LogEvent(std::string_view message);
    // An event about a tree node: the node type's caption goes in front unless the message already names it.
    void LogNodeEvent(std::string_view nodeTypeName, std::string_view message);
    // One raw line: time stamp + text.
    void LogWrite(std::string_view text);
    // Writes the close marker (opening the file first when needed) and closes the file.
    void LogClose();
    bool IsOpen() const { return m_fd >= 0; }

private:
    void Open();
    void AppendLine(std::string_view text);

    std::string m_path;
    const Clock& m_clock;
    std::string m_currentUser = "Unknown User";
    std::string m_computerName = "UNKNOWN";
    int m_movingSize = 10;
    int m_fd = -1;
};

// The message with the node prefix as the work log writes it.
std::string WithNodePrefix(std::string_view nodeTypeName, std::string_view message);

} // namespace pelgo::core
