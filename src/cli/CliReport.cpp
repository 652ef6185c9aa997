#include "cli/CliReport.h"

#include <cstdio>

namespace clireport {

namespace {

std::string Hex(unsigned v)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02x", v & 0xFFu);
    return text;
}

std::string Joined(const Json& numbers)
{
    std::string text;
    for (const auto& n : numbers) text += (text.empty() ? "" : ",") + std::to_string(n.get<int>());
    return text;
}

}  // namespace

std::string JsonLine(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}

std::string AddressText(const Json& address)
{
    return Hex(address[0]) + ' ' + Hex(address[1]) + ' ' + Hex(address[2]);
}

std::string InfoHeadText(const Json& info)
{
    const Json& model = info["model"];
    return "version: " + info["version"].get<std::string>() + "\ntitle: " + info["title"].get<std::string>() +
           "\nmodel: " + model["name"].get<std::string>() + " (code " + std::to_string(model["code"].get<int>()) +
           ")\npresets: " + std::to_string(info["presets"]["count"].get<unsigned>()) + " (" +
           std::to_string(info["presets"]["user"].get<unsigned>()) + " user)\n";
}

std::string PageText(const Json& page)
{
    std::string text = "page " + std::to_string(page["index"].get<std::size_t>()) + ": " +
                       page["path"].get<std::string>() + (page["hidden"].get<bool>() ? " (hidden)" : "") + '\n';
    for (const Json& p : page["parameters"]) {
        text += "  " + p["caption"].get<std::string>() + " [" + AddressText(p["address"]) + "] = " +
                (p["value"].is_null() ? std::string("?") : std::to_string(p["value"].get<int>())) + " \"" +
                p["text"].get<std::string>() + '"' + (p["hidden"].get<bool>() ? " (hidden)" : "") + '\n';
    }
    return text;
}

std::string ParamValueText(const Json& param)
{
    std::string text = AddressText(param["address"]) + " = " + std::to_string(param["value"].get<int>());
    if (!param["caption"].is_null())
        text += " \"" + param["text"].get<std::string>() + "\" (" + param["caption"].get<std::string>() + ')';
    return text + '\n';
}

std::string PresetsText(const Json& presets)
{
    std::string text;
    for (const Json& p : presets["presets"]) {
        text += p["label"].get<std::string>() + ' ' + p["name"].get<std::string>();
        for (const char* mark : {"TR", "DP", "DEF"})
            if (p[mark].get<bool>()) text += std::string(" (") + mark + ')';
        if (p["current"].get<bool>()) text += " *current*";
        text += '\n';
    }
    return text;
}

std::string ProfilesText(const Json& profiles)
{
    std::string text;
    for (const Json& p : profiles["profiles"]) {
        text += p["name"].get<std::string>() + ": ";
        if (p["interface"] == "ethernet")
            text += "Ethernet " + p["host"].get<std::string>() + " port " + std::to_string(p["port"].get<unsigned>());
        else
            text += "serial " + p["device"].get<std::string>();
        text += std::string(p["inUse"].get<bool>() ? " *in use*" : "") + '\n';
    }
    return text;
}

std::string StatusText(const Json& status)
{
    std::string text = "status";
    for (const char* field : {"TR", "DP", "DEF", "current", "change", "compare"})
        text += std::string(" ") + field + '=' + std::to_string(status[field].get<int>());
    return text + " meters=" + status["meters"].get<std::string>() + " lit=" + Joined(status["lit"]) + '\n';
}

std::string ChangeText(const Json& change)
{
    return "change " + change["time"].get<std::string>() + ' ' + change["origin"].get<std::string>() + ' ' +
           change["page"].get<std::string>() + " / " + change["caption"].get<std::string>() + ": " +
           change["old"].get<std::string>() + " -> " + change["new"].get<std::string>() + '\n';
}

}  // namespace clireport
