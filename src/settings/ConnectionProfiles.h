#pragma once

#include "settings/ConnectionSettings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One processor the operator looks after: how to reach it and its lock code.
struct ConnectionProfile {
    std::string name;
    std::string portName = "TCP";  // "TCP" stands for Ethernet
    std::string host = ConnectionSettings{}.host;
    std::uint32_t portNumber = 1203;
    std::uint32_t lockCode = kDefaultLockCode;
    // The store's own slot for this profile; 0 until it was stored once.
    int slot = 0;

    bool operator==(const ConnectionProfile&) const = default;
};

// Why a name cannot be a profile's name.
enum class ProfileNameProblem { None, Empty, TooLong, NotPrintable, Taken };

// The named processors and which one is in use. Names are unique without regard
// to letter case, since the Windows registry keys that hold them are not.
class CConnectionProfiles {
public:
    static constexpr std::size_t kMaxNameLength = 40;  // characters, not bytes

    const std::vector<ConnectionProfile>& List() const { return list_; }
    const std::string& Current() const { return current_; }
    const ConnectionProfile* Find(const std::string& name) const;

    // `except` is the name being renamed, which may keep its own name.
    ProfileNameProblem CheckName(const std::string& name, const std::string& except = {}) const;
    // Each refuses a bad name and changes nothing then.
    ProfileNameProblem Add(ConnectionProfile profile);
    ProfileNameProblem Rename(const std::string& from, const std::string& to);
    // The current profile moves to the next one left (none when the list empties).
    bool Remove(const std::string& name);
    bool Select(const std::string& name);
    // Puts a profile as it was stored (slot and all) in the list; one whose name
    // is unusable or taken is refused.
    bool Restore(ConnectionProfile profile);
    void SetSlot(std::size_t index, int slot) { list_.at(index).slot = slot; }
    // The current profile takes the record's connection fields.
    void UpdateCurrent(const ConnectionSettings& settings);

    // A free name made from `base`: cleaned of control characters, cut to the
    // length limit, numbered " (2)", " (3)" ... when taken.
    std::string FreeName(const std::string& base) const;

    bool operator==(const CConnectionProfiles&) const = default;

private:
    ConnectionProfile* FindMutable(const std::string& name);

    std::vector<ConnectionProfile> list_;
    std::string current_;
};

// The record's connection fields as a profile of that name, and back.
ConnectionProfile ProfileFromSettings(const ConnectionSettings& settings, const std::string& name);
void ApplyProfile(const ConnectionProfile& profile, ConnectionSettings& settings);

// On the first start the settings in use become a profile named after its host.
void AdoptSettingsAsFirstProfile(CConnectionProfiles& profiles, const ConnectionSettings& settings);

// The operator-facing text for a refused name; empty for None.
std::string ProfileNameProblemText(ProfileNameProblem problem);
