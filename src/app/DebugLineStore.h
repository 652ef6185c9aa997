#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Where the controller, the session and the preset logic send their log lines.
class IDebugLog {
public:
    virtual ~IDebugLog() = default;
    virtual void AddLine(const std::string& text) = 0;
};

// The clock the stamps are made from: calendar time and a millisecond tick
// counter, both read once when the store is created.
class IDebugClock {
public:
    virtual ~IDebugClock() = default;
    virtual std::time_t CalendarSeconds() = 0;
    virtual std::uint32_t TickMs() = 0;
};

// The system clocks: time() and a monotonic millisecond counter.
class CSystemDebugClock : public IDebugClock {
public:
    std::time_t CalendarSeconds() override;
    std::uint32_t TickMs() override;
};

// The lines of the debug window: recorded only while the window is open,
// filtered, stamped "%02d:%02d:%02d:%03d ", kept in a store that grows by
// 1000 entries at a time.
class CDebugLineStore : public IDebugLog {
public:
    static constexpr std::size_t kGrowStep = 1000;

    explicit CDebugLineStore(IDebugClock& clock);

    void AddLine(const std::string& text) override;

    void SetRecording(bool on) { recording_ = on; }
    bool Recording() const { return recording_; }
    void SetShowLeds(bool on) { showLeds_ = on; }
    bool ShowLeds() const { return showLeds_; }
    void SetShowDetail(bool on) { showDetail_ = on; }
    bool ShowDetail() const { return showDetail_; }
    // Records only the parameter changes.
    void SetChangesOnly(bool on) { changesOnly_ = on; }
    bool ChangesOnly() const { return changesOnly_; }

    std::size_t Count() const { return count_; }
    std::size_t Capacity() const { return lines_.size(); }
    // Empty past the count.
    const std::string& Line(std::size_t index) const;

    void Clear();
    // Writes every line followed by CR LF; false when the file cannot be created.
    bool SaveToFile(const std::string& path) const;

    // "c:\debug.txt" on Windows, "debug.txt" in the current folder elsewhere.
    static std::string DefaultSavePath();

private:
    bool Accepts(const std::string& text) const;
    std::string Stamp();

    IDebugClock& clock_;
    std::time_t baseSeconds_;
    std::uint32_t baseTick_;
    std::vector<std::string> lines_;
    std::size_t count_ = 0;
    bool recording_ = false;
    bool showLeds_ = true;
    bool showDetail_ = false;
    bool changesOnly_ = false;
};
