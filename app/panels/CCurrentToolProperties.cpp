#include "app/panels/CCurrentToolProperties.h"

#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCCmdTarget.h"

CCurrentToolProperties::~CCurrentToolProperties()
{
    for (CToolProperty* property : m_list)
        delete property;
}

tResult CCurrentToolProperties::Query(tCCmdTarget* sender)
{
    return tCCmdTarget::QueryBackbone(kMsgToolPropertyList, ToMsgArg(sender), ToMsgArg(&m_list), 0);
}
