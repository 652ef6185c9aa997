#include "description/ui/PageBuilder.h"

#include "description/ParameterModel.h"
#include "description/ui/ParamButtonGroup.h"
#include "description/ui/ParamPage.h"
#include "description/ui/ParamSlider.h"
#include "description/ui/ParamSpinField.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinStatic.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr int kNoId = 0xFFFF;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

CSkinStatic* MakeStatic(const char* element, CSkinManager& manager, QWidget* parent, const QString& text)
{
    auto* label = new CSkinStatic(element, manager);
    label->Create(parent, kNoId);
    label->SetText(text);
    return label;
}

int TextWidth(const QWidget& w, const QString& text)
{
    return QFontMetrics(w.font()).horizontalAdvance(text);
}

}  // namespace

QRect ToQRect(const PixelRect& r)
{
    return QRect(r.left, r.top, r.Width(), r.Height());
}

CPageBuilder::CPageBuilder(QWidget* mainWindow, CSkinManager& manager, QRect pageArea, PageServices services)
    : mainWindow_(mainWindow), manager_(manager), pageArea_(pageArea), services_(std::move(services))
{
}

std::unique_ptr<IPageView> CPageBuilder::BuildPage(const PageNode& node, const std::string& captionPath)
{
    if (node.items.empty()) return nullptr;
    auto* page = new CParamPage(manager_);
    page->CreateOn(mainWindow_);
    page->setGeometry(pageArea_);
    BuildHeader(*page, captionPath);
    for (const ControlItem& item : node.items) {
        std::vector<QWidget*> made;
        switch (item.Style()) {
        case ControlStyle::Slider: made = BuildSlider(*page, item); break;
        case ControlStyle::ButtonGroup: made = BuildButtonGroup(*page, item); break;
        case ControlStyle::Spin: made = BuildSpin(*page, item); break;
        case ControlStyle::None: break;
        }
        // A hidden item is still bound (replies reach it) but takes no room,
        // and no Tab can reach it either.
        if (item.hidden)
            for (QWidget* w : made) {
                w->setGeometry(0, 0, 0, 0);
                w->hide();
            }
    }
    return std::make_unique<CParamPageView>(page);
}

void CPageBuilder::BuildHeader(CParamPage& page, const std::string& path) const
{
    auto* header = MakeStatic("FrameCaption", manager_, &page, QString(static_cast<int>(path.size()), ' '));
    // Measured in the font the parts are drawn in, so the run is centred.
    int x = (header->width() - TextWidth(*header, Text(path))) / 2;
    const std::vector<std::string> parts = CaptionParts(path);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        auto* part = MakeStatic("FrameCaption", manager_, header, Text(parts[i]));
        const int w = TextWidth(*part, Text(parts[i]));
        part->Place(QRect(x, 0, w, header->height()));
        x += w;
        if (i + 1 == parts.size()) break;
        auto* separator = MakeStatic("Separator", manager_, header, QString());
        separator->Place(QRect(x, separator->y(), separator->width(), separator->height()));
        x += separator->width();
    }
}

std::vector<QWidget*> CPageBuilder::BuildSlider(CParamPage& page, const ControlItem& item) const
{
    const ControlRecord& record = item.records.front();
    const SliderCell cell = SliderCellLayout(item);
    auto* caption = MakeStatic("SliderCaption", manager_, &page, Text(record.name));
    caption->Place(ToQRect(cell.caption));
    auto* value = MakeStatic("SliderValue", manager_, &page, QString());
    value->Place(ToQRect(cell.value));
    auto* slider = new CParamSlider(manager_, record, value, services_);
    slider->Create(&page, kNoId);
    slider->setGeometry(ToQRect(cell.track));
    slider->SetDeviceValue(record.value);
    page.AddBound(slider);
    return {slider, caption, value};
}

std::vector<QWidget*> CPageBuilder::BuildButtonGroup(CParamPage& page, const ControlItem& item) const
{
    const ControlRecord& record = item.records.front();
    const GroupCell cell = GroupCellLayout(item);
    auto* group = new CParamButtonGroup(manager_, record, services_);
    group->Create(&page, 0, std::nullopt);
    group->setWindowTitle(Text(record.name));
    group->setAccessibleName(Text(record.name));
    // The cell gives the place and width; the buttons decide the height.
    group->Place(QRect(cell.left, cell.top, cell.width, -1));
    QStringList labels;
    for (const std::string& label : ButtonLabels(record)) labels << Text(label);
    group->SetButtons(labels);
    page.AddBound(group);
    return {group};
}

std::vector<QWidget*> CPageBuilder::BuildSpin(CParamPage& page, const ControlItem& item) const
{
    const ControlRecord& first = item.records.front();
    const SpinCell cell = SpinCellLayout(item);
    auto* spin = new CSkinSpin("Spin", manager_);
    spin->Create(&page, kNoId);
    // The arrows keep their column at the right edge whatever the spin's width.
    const int arrowColumn = std::clamp(spin->width() - spin->UpRect().left(), 0, spin->width());
    spin->setGeometry(ToQRect(cell.spin));
    auto* caption = MakeStatic("SpinCaption", manager_, &page, Text(SpinCaption(first.name)));
    caption->Place(ToQRect(cell.caption));
    std::vector<QWidget*> made{spin, caption};

    const int n = static_cast<int>(item.records.size());
    // The fields share what the arrows leave of the spin.
    const PixelRect area{0, 0, spin->width() - arrowColumn, spin->height()};
    const std::vector<SpinFieldCell> fields = SpinFieldLayout(area, n);
    for (int i = 0; i < n; ++i) {
        ControlRecord record = item.records[static_cast<std::size_t>(i)];
        record.controlStyle = ControlStyle::Spin;
        const SpinFieldCell& f = fields[static_cast<std::size_t>(i)];
        if (f.hasSeparator) {
            auto* separator = new CSkinEdit("SpinStatic", manager_);
            separator->Create(spin, i);
            separator->setText(Text(SpinSeparatorText(record.name)));
            separator->Place(ToQRect(f.separator));
            separator->setReadOnly(true);
            separator->setFocusPolicy(Qt::NoFocus);
        }
        auto* field = new CParamSpinField(manager_, record, *spin, f.fieldIndex, services_);
        field->Create(spin, i);
        field->Place(ToQRect(f.edit));
        const SpinField spec = SpinFieldSpec(record);
        QStringList texts;
        for (const std::string& t : spec.texts) texts << Text(t);
        if (spec.kind == SpinField::Kind::List) spin->AddListField(field, Text(spec.format), texts);
        else spin->AddNumberField(field, Text(spec.format), spec.minimum, spec.maximum, spec.step);
        if (spec.presetChoices) page.AddPresetChoiceField(spin, field);
        page.AddBound(field);
    }
    spin->SetWrap(SpinWraps(item));
    return made;
}
