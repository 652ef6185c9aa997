#include "skin/ui/SkinRequiredKeys.h"

#include "meters/MeterLayout.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace {

using T = SkinValueType;

using KeyList = std::vector<SkinKeySpec>;

KeyList Keys(KeyList a, const KeyList& b = {})
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

KeyList Place()
{
    return {{T::Long, "offset_left", true}, {T::Long, "offset_top", true},
            {T::Long, "width", true},       {T::Long, "height", true}};
}

KeyList Font()
{
    return {{T::String, "font", true},      {T::Long, "font_height", true}, {T::Long, "bold", true},
            {T::Long, "font_width", false}, {T::Long, "italic", false},     {T::Long, "underline", false}};
}

std::vector<SkinKeySpec> Window()
{
    return Keys({{T::Image, "background", true},  {T::Long, "offset_left", true},
                 {T::Long, "offset_top", true},   {T::Long, "bkcolormask", true},
                 {T::Long, "transparency", false}, {T::String, "caption", false},
                 {T::String, "statics", false}});
}

std::vector<SkinKeySpec> Button()
{
    auto keys = Keys({{T::Image, "up", true},
                      {T::Image, "down", true},
                      {T::Image, "over", true},
                      {T::Image, "disabled", true},
                      {T::Image, "down_disabled", true},
                      {T::Long, "offset_left", true},
                      {T::Long, "offset_top", true},
                      {T::Long, "width", true},
                      {T::Long, "height", true},
                      {T::Long, "resize_line_x", true},
                      {T::Long, "resize_line_y", true},
                      {T::Long, "bkcolormask", true},
                      {T::Long, "rgn_rect", false},
                      {T::Long, "draw_text", true},
                      {T::Long, "text_color_up", true},
                      {T::Long, "text_color_over", true},
                      {T::Long, "text_color_down", true},
                      {T::Long, "text_color_disabled", true},
                      {T::Long, "text_color_down_disabled", true},
                      {T::String, "caption", false},
                      {T::Long, "stick", false},
                      {T::Long, "need_erase", false},
                      {T::String, "tip", false},
                      {T::Long, "tip_delay", false},
                      {T::Long, "x_margin", false},
                      {T::Long, "y_margin", false}},
                     Font());
    return keys;
}

std::vector<SkinKeySpec> Group()
{
    return Keys(Keys(Place(), {{T::String, "caption", false},
                              {T::Image, "background", true},
                              {T::Image, "background_disabled", true},
                              {T::Long, "resize_line_x", true},
                              {T::Long, "resize_line_y", true},
                              {T::Long, "bkcolormask", true},
                              {T::Long, "text_color", true},
                              {T::Long, "buttons_ofs_left", true},
                              {T::Long, "buttons_ofs_top", true},
                              {T::Long, "buttons_ofs_right", true},
                              {T::Long, "buttons_ofs_bottom", true}}),
                Font());
}

std::vector<SkinKeySpec> Static()
{
    auto keys = Keys(Place(), {{T::String, "caption", false},
                              {T::Image, "background", false},
                              {T::Long, "resize_line_x", false},
                              {T::Long, "resize_line_y", false},
                              {T::Long, "bkcolor", true},
                              {T::Long, "text_color", true},
                              {T::Long, "font_alignment", true},
                              {T::Long, "shadow_color", false},
                              {T::Long, "shadow_hor", false},
                              {T::Long, "shadow_vert", false}});
    return Keys(keys, Font());
}

std::vector<SkinKeySpec> Edit()
{
    return Keys(Keys(Place(), {{T::Long, "bkcolor", true}, {T::Long, "textcolor", true}}), Font());
}

std::vector<SkinKeySpec> Tree()
{
    return Keys(Keys(Place(), {{T::Long, "bkcolor", true},
                              {T::Long, "text_color", true},
                              {T::Long, "selected_text_color", true},
                              {T::Long, "selection_color", true},
                              {T::Long, "disabled_text_color", true},
                              {T::Long, "disabled_color", true},
                              {T::Icon, "icon", true}}),
                Font());
}

// One column of names: the connection profiles.
std::vector<SkinKeySpec> NameList()
{
    return Keys(Keys(Place(), {{T::Long, "col_number", true},
                              {T::String, "col0_caption", false},
                              {T::Long, "col0_width", true},
                              {T::Long, "bkcolor", true},
                              {T::Long, "textcolor", true},
                              {T::Long, "selection_color", true},
                              {T::Long, "selected_text_color", true}}),
                Font());
}

std::vector<SkinKeySpec> List()
{
    // Two columns: preset label and name.
    return Keys(Keys(Place(), {{T::Long, "col_number", true},
                              {T::String, "col0_caption", false},
                              {T::String, "col1_caption", false},
                              {T::Long, "col0_width", true},
                              {T::Long, "col1_width", true},
                              {T::Long, "bkcolor", true},
                              {T::Long, "textcolor", true},
                              {T::Long, "current_text_color", true},
                              {T::Long, "selection_color", true},
                              {T::Long, "selected_text_color", true},
                              {T::Image, "icon_load", true},
                              {T::Image, "icon_save", true},
                              {T::Image, "icon_rename", true},
                              {T::Image, "icon_loadfile", true},
                              {T::Image, "icon_savefile", true},
                              {T::Long, "icon_colormask", true}}),
                Font());
}

std::vector<SkinKeySpec> Slider()
{
    return {{T::Image, "background", true},    {T::Image, "background_disabled", true},
            {T::Long, "resize_line_x", true},  {T::Long, "resize_line_y", true},
            {T::Long, "bkcolormask", true},    {T::Image, "down", true},
            {T::Image, "up", true},            {T::Image, "thumb_disabled", true},
            {T::Long, "thumbcolormask", true}, {T::Long, "color", true},
            {T::Long, "offset_top", true},     {T::Long, "offset_bottom", true},
            {T::Long, "thumb_center", true}};
}

std::vector<SkinKeySpec> Spin()
{
    auto keys = Keys(Place(), {{T::Image, "background", true}, {T::Long, "resize_line_x", true},
                              {T::Long, "resize_line_y", true}, {T::Long, "bkcolormask", true}});
    for (const char* arrow : {"up", "down"}) {
        for (const char* state : {"up", "over", "down", "disabled"})
            keys.push_back({T::Image, std::string(arrow) + '_' + state, true});
        keys.push_back({T::Long, std::string(arrow) + "_ofs_right", true});
        keys.push_back({T::Long, std::string(arrow) + "_resize_x", true});
        keys.push_back({T::Long, std::string(arrow) + "_resize_y", true});
    }
    keys.push_back({T::Long, "up_ofs_top", true});
    keys.push_back({T::Long, "down_ofs_bottom", true});
    return keys;
}

std::vector<SkinKeySpec> Leds()
{
    std::vector<SkinKeySpec> keys = {{T::Long, "offset_left", true}, {T::Long, "offset_top", true},
                                     {T::Long, "width", true},       {T::Long, "height", true},
                                     {T::Image, "background", true}};
    for (int i = 1; i <= 7; ++i)
        keys.push_back({T::Image, "led" + std::to_string(i), true});
    for (const MeterLayout& layout : AllMeterLayouts())
        if (!layout.model.empty())
            keys.push_back({T::Image, "LedsBk" + std::string(layout.model), true});
    return keys;
}

std::vector<SkinKeySpec> Animation()
{
    return Keys(Place(), {{T::Image, "background", true},
                         {T::Long, "resize_line_x", true},
                         {T::Long, "resize_line_y", true},
                         {T::Long, "bkcolormask", true},
                         {T::Image, "active", true},
                         {T::Image, "inactive", true},
                         {T::Long, "colormask", true},
                         {T::Long, "count", true},
                         {T::Long, "ofs_left", true},
                         {T::Long, "ofs_top", true},
                         {T::Long, "speed", false}});
}

std::vector<SkinKeySpec> Popup()
{
    return Keys({{T::Long, "bkcolor_normal", true},
                 {T::Long, "bkcolor_selected", true},
                 {T::Long, "textcolor_normal", true},
                 {T::Long, "textcolor_selected", true}},
                Font());
}

std::vector<SkinElementSpec> Build()
{
    std::vector<SkinElementSpec> specs;
    auto add = [&specs](std::initializer_list<const char*> elements, const char* kind,
                        const std::vector<SkinKeySpec>& keys) {
        for (const char* element : elements)
            specs.push_back({element, kind, keys});
    };
    add({"DlgMain", "PPage", "Settings", "Wait"}, "window", Window());
    add({"BtnConnect", "BtnDisconnect", "BtnExit", "BtnMinimize", "BtnA", "BtnB", "BtnMenu", "BtnPresets",
         "PresetIconLoad", "PresetIconSave", "PresetIconRename", "PresetIconLoadFile", "PresetIconSaveFile",
         "BtnScrollUp", "BtnScrollDown", "Button", "BtnProfileNew", "BtnProfileRename", "BtnProfileDelete"},
        "button", Button());
    add({"Leds"}, "meter", Leds());
    add({"Frame", "FrameCaption", "Separator", "SliderCaption", "SliderValue", "SpinCaption", "SettingsCaption",
         "SetStaticHost", "SetStaticPort", "SetStaticCodeLock", "SetStaticName", "SetStaticReconnect", "WaitCaption"},
        "static", Static());
    add({"Tree"}, "tree", Tree());
    add({"List"}, "list", List());
    add({"ProfileList"}, "list", NameList());
    add({"ListEdit", "SettingsHost", "SettingsPort", "SettingsCode", "SettingsName", "SpinEdit", "SpinStatic"}, "edit",
        Edit());
    add({"ButtonGroup", "ConnectGroup", "ReconnectGroup"}, "group", Group());
    add({"Slider"}, "slider", Slider());
    add({"Spin"}, "spin", Spin());
    add({"ProgressBar"}, "animation", Animation());
    add({"PopupMenu"}, "popup", Popup());
    return specs;
}

const char* TypeName(SkinValueType type)
{
    switch (type) {
    case T::Image: return "IMAGE";
    case T::Icon: return "ICON";
    case T::Long: return "LONG";
    case T::String: return "STRING";
    }
    return "?";
}

template <typename Map>
void CheckUnknown(const Map& map, SkinValueType type, std::vector<std::string>& problems)
{
    for (const auto& [key, value] : map) {
        const auto split = key.find("::");
        const std::string_view element = std::string_view(key).substr(0, split);
        const std::string_view property =
            split == std::string::npos ? std::string_view() : std::string_view(key).substr(split + 2);
        if (!IsKnownSkinKey(element, property, type))
            problems.push_back(std::string("nothing reads ") + TypeName(type) + " " + key);
    }
}

bool Has(const SkinValues& values, const std::string& key, SkinValueType type)
{
    switch (type) {
    case T::Image: return values.images.count(key) > 0;
    case T::Icon: return values.icons.count(key) > 0;
    case T::Long: return values.numbers.count(key) > 0;
    case T::String: return values.strings.count(key) > 0;
    }
    return false;
}

} // namespace

const std::vector<SkinElementSpec>& SkinElementSpecs()
{
    static const std::vector<SkinElementSpec> specs = Build();
    return specs;
}

const SkinElementSpec* FindSkinElementSpec(std::string_view element)
{
    const auto& specs = SkinElementSpecs();
    const auto it = std::find_if(specs.begin(), specs.end(),
                                 [element](const SkinElementSpec& s) { return s.element == element; });
    return it == specs.end() ? nullptr : &*it;
}

bool IsKnownSkinKey(std::string_view element, std::string_view property, SkinValueType type)
{
    const SkinElementSpec* spec = FindSkinElementSpec(element);
    return spec && std::any_of(spec->keys.begin(), spec->keys.end(), [&](const SkinKeySpec& k) {
               return k.type == type && k.property == property;
           });
}

std::vector<std::string> CheckSkinValues(const SkinValues& values)
{
    std::vector<std::string> problems;
    for (const SkinElementSpec& spec : SkinElementSpecs())
        for (const SkinKeySpec& key : spec.keys)
            if (key.required && !Has(values, SkinValues::Key(spec.element, key.property), key.type))
                problems.push_back(std::string("missing ") + TypeName(key.type) + " "
                                   + SkinValues::Key(spec.element, key.property));
    CheckUnknown(values.images, T::Image, problems);
    CheckUnknown(values.icons, T::Icon, problems);
    CheckUnknown(values.numbers, T::Long, problems);
    CheckUnknown(values.strings, T::String, problems);
    for (const auto& [key, text] : values.strings) {
        if (!key.ends_with("::statics"))
            continue;
        std::istringstream names(text);
        std::string name;
        while (std::getline(names, name, ';')) {
            const SkinElementSpec* spec = FindSkinElementSpec(name);
            if (!spec || spec->kind != "static")
                problems.push_back(key + " names " + name + ", which is no label");
        }
    }
    return problems;
}
