#pragma once

#include <string>

// Where the description parser sends its one-time "Config Error" report. The
// application shows it as a message box without owner window, with an OK button;
// tests capture it.
class IConfigErrorSink {
public:
    virtual ~IConfigErrorSink() = default;
    virtual void ShowConfigError(const std::string& text, const std::string& caption) = 0;
};
