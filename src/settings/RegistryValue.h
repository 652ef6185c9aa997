#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Status codes of a registry value.
enum class RegistryStatus : int {
    Success = 0,
    KeyNotOpened = 1,   // the key cannot be opened or created
    KeyNotClosed = 2,   // the key cannot be closed
    ValueNotRead = 3,   // the value is missing or unreadable
    ValueNotWritten = 4,
};

// One stored setting under "Software\Tessavorn\Vexlor\Settings": read (or its
// default) at construction, changed in memory by assignment, written back on
// destruction unless deleted. The store is the registry on Windows and an INI
// file elsewhere (organisation "Tessavorn", application "Vexlor", group
// "Settings"); failures fall back to the default silently and show in Status().
// A value the store holds but that cannot be read keeps its default and is not
// written back over the stored text unless it is changed; in a damaged file no
// value is written back unless it is changed.
// T is std::string (string values) or std::uint32_t (DWORD values).
template <typename T>
class CRegistryValue {
public:
    CRegistryValue(std::string name, T fallback);
    ~CRegistryValue();
    CRegistryValue(const CRegistryValue&) = delete;
    CRegistryValue& operator=(const CRegistryValue&) = delete;

    CRegistryValue& operator=(const T& value)
    {
        value_ = value;
        return *this;
    }
    const T& Value() const { return value_; }
    operator const T&() const { return value_; }
    const std::string& Name() const { return name_; }

    // Removes the value from the store; it is then not written back.
    void Delete();
    bool IsDeleted() const { return deleted_; }
    // Writes the value now; at destruction this happens by itself. Not while the
    // value is still what was taken from an unreadable value or a damaged file,
    // so that what the store holds is not overwritten by a default.
    void Write();
    RegistryStatus Status() const { return status_; }

private:
    void Read();

    std::string name_;
    T value_;
    // The value as taken at start where the store must not be written over
    // unless it changes: the default for an unreadable stored value, and every
    // value of a damaged file.
    std::optional<T> keepUnlessChanged_;
    RegistryStatus status_ = RegistryStatus::Success;
    bool deleted_ = false;
};

// When the settings file holds lines that cannot be read, keeps a copy of it as
// "<file>.damaged" (owner-only) and gives the copy's path; values hidden in the
// damage are then never written over with defaults. Empty when the file is
// sound, or when the copy already holds this very damage (told before).
std::string KeepDamagedSettingsCopy();

extern template class CRegistryValue<std::string>;
extern template class CRegistryValue<std::uint32_t>;
