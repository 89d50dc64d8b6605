#pragma once
// The add-in object's click handlers. The button sinks call them through OLE Automation's
// DispCallFunc by their slot in this table, so this base holds them alone, in this order.
#include <windows.h>
#include <oaidl.h>

namespace vrz {

class ClickHandlers {
public:
    virtual void STDMETHODCALLTYPE OnToolbarPublishClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) = 0;
    virtual void STDMETHODCALLTYPE OnToolbarPublishMailClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) = 0;
    virtual void STDMETHODCALLTYPE OnMenuPublishClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) = 0;
    virtual void STDMETHODCALLTYPE OnMenuPublishMailClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) = 0;
    virtual void STDMETHODCALLTYPE ShowHelp(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) = 0;

protected:
    ~ClickHandlers() = default;
};

enum class ClickHandlerSlot : unsigned {
    ToolbarPublish = 0,
    ToolbarPublishMail = 1,
    MenuPublish = 2,
    MenuPublishMail = 3,
    Help = 4,
};

}  // namespace vrz
