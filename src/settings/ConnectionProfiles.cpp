#include "settings/ConnectionProfiles.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

// Counts characters of UTF-8 text: every byte that does not continue one.
std::size_t CharacterCount(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Cuts UTF-8 text to `limit` characters without splitting one.
std::string CutToCharacters(const std::string& text, std::size_t limit)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == limit) return text.substr(0, i);
    }
    return text;
}

}  // namespace

const ConnectionProfile* CConnectionProfiles::Find(const std::string& name) const
{
    const auto it = std::find_if(list_.begin(), list_.end(), [&](const auto& p) { return SameName(p.name, name); });
    return it == list_.end() ? nullptr : &*it;
}

ConnectionProfile* CConnectionProfiles::FindMutable(const std::string& name)
{
    return const_cast<ConnectionProfile*>(std::as_const(*this).Find(name));
}

ProfileNameProblem CConnectionProfiles::CheckName(const std::string& name, const std::string& except) const
{
    if (name.empty() || std::all_of(name.begin(), name.end(), [](char c) { return c == ' '; }))
        return ProfileNameProblem::Empty;
    if (std::any_of(name.begin(), name.end(), IsControl)) return ProfileNameProblem::NotPrintable;
    if (CharacterCount(name) > kMaxNameLength) return ProfileNameProblem::TooLong;
    if (Find(name) && !(!except.empty() && SameName(name, except))) return ProfileNameProblem::Taken;
    return ProfileNameProblem::None;
}

ProfileNameProblem CConnectionProfiles::Add(ConnectionProfile profile)
{
    const ProfileNameProblem problem = CheckName(profile.name);
    if (problem != ProfileNameProblem::None) return problem;
    profile.slot = 0;
    list_.push_back(std::move(profile));
    return problem;
}

bool CConnectionProfiles::Restore(ConnectionProfile profile)
{
    if (CheckName(profile.name) != ProfileNameProblem::None) return false;
    list_.push_back(std::move(profile));
    return true;
}

ProfileNameProblem CConnectionProfiles::Rename(const std::string& from, const std::string& to)
{
    ConnectionProfile* profile = FindMutable(from);
    if (!profile) return ProfileNameProblem::Empty;
    const ProfileNameProblem problem = CheckName(to, profile->name);
    if (problem != ProfileNameProblem::None) return problem;
    if (SameName(current_, profile->name)) current_ = to;
    profile->name = to;
    return problem;
}

bool CConnectionProfiles::Remove(const std::string& name)
{
    const ConnectionProfile* profile = Find(name);
    if (!profile) return false;
    const auto index = static_cast<std::size_t>(profile - list_.data());
    const bool wasCurrent = SameName(current_, name);
    list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(index));
    if (wasCurrent) current_ = list_.empty() ? std::string() : list_[std::min(index, list_.size() - 1)].name;
    return true;
}

bool CConnectionProfiles::Select(const std::string& name)
{
    const ConnectionProfile* profile = Find(name);
    if (!profile) return false;
    current_ = profile->name;
    return true;
}

void CConnectionProfiles::UpdateCurrent(const ConnectionSettings& settings)
{
    if (ConnectionProfile* profile = FindMutable(current_)) {
        const ConnectionProfile updated = ProfileFromSettings(settings, profile->name);
        profile->portName = updated.portName;
        profile->host = updated.host;
        profile->portNumber = updated.portNumber;
        profile->lockCode = updated.lockCode;
    }
}

std::string CConnectionProfiles::FreeName(const std::string& base) const
{
    std::string clean;
    for (char c : base) clean += IsControl(c) ? ' ' : c;
    if (CheckName(clean) == ProfileNameProblem::Empty) clean = "Processor";
    clean = CutToCharacters(clean, kMaxNameLength);
    if (CheckName(clean) == ProfileNameProblem::None) return clean;
    // The list holds fewer than a few thousand names, so a free number is near.
    for (std::size_t n = 2;; ++n) {
        const std::string suffix = " (" + std::to_string(n) + ")";
        const std::string name = CutToCharacters(clean, kMaxNameLength - suffix.size()) + suffix;
        if (CheckName(name) == ProfileNameProblem::None) return name;
    }
}

ConnectionProfile ProfileFromSettings(const ConnectionSettings& settings, const std::string& name)
{
    ConnectionProfile p;
    p.name = name;
    p.portName = settings.portName;
    p.host = settings.host;
    p.portNumber = settings.portNumber;
    p.lockCode = settings.lockCode;
    return p;
}

void ApplyProfile(const ConnectionProfile& profile, ConnectionSettings& settings)
{
    settings.portName = profile.portName;
    settings.transportIndex = profile.portName == "TCP" ? 0 : 1;
    settings.host = profile.host;
    settings.portNumber = profile.portNumber;
    settings.lockCode = profile.lockCode;
}

void AdoptSettingsAsFirstProfile(CConnectionProfiles& profiles, const ConnectionSettings& settings)
{
    if (!profiles.List().empty()) return;
    const std::string name = profiles.FreeName(settings.host);
    profiles.Add(ProfileFromSettings(settings, name));
    profiles.Select(name);
}

std::string ProfileNameProblemText(ProfileNameProblem problem)
{
    switch (problem) {
    case ProfileNameProblem::None: return {};
    case ProfileNameProblem::Empty: return "A profile needs a name.";
    case ProfileNameProblem::TooLong: return "A profile name has at most 40 characters.";
    case ProfileNameProblem::NotPrintable: return "A profile name holds printable characters only.";
    case ProfileNameProblem::Taken: return "Another profile has that name.";
    }
    return {};
}
