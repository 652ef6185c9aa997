#pragma once

#include <string>

// Log lines on standard error, one per line, each led by its syslog priority in
// angle brackets ("<3>" error, "<4>" warning, "<6>" info, "<7>" debug): the form
// journald reads from a service's standard error. Thread-safe.
namespace agentlog {

enum class Level { Error = 3, Warning = 4, Info = 6, Debug = 7 };

void Write(Level level, const std::string& line);
// Debug lines (the session's own log) are dropped unless turned on.
void SetVerbose(bool on);

inline void Error(const std::string& line) { Write(Level::Error, line); }
inline void Warning(const std::string& line) { Write(Level::Warning, line); }
inline void Info(const std::string& line) { Write(Level::Info, line); }
inline void Debug(const std::string& line) { Write(Level::Debug, line); }

}  // namespace agentlog
