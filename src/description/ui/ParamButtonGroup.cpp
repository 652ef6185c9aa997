#include "description/ui/ParamButtonGroup.h"

#include "description/ui/PageServices.h"

CParamButtonGroup::CParamButtonGroup(CSkinManager& manager, const ControlRecord& record,
                                     const PageServices& services)
    : CSkinButtonGroup("ButtonGroup", manager), records_{record}, services_(services)
{
}

void CParamButtonGroup::OnSelect(int index)
{
    const ControlRecord& r = records_.front();
    if (services_.writeParameter)
        services_.writeParameter(r.a, r.b, r.c, static_cast<std::uint8_t>(index), r.drivesVisibility);
}
