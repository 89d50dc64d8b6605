#pragma once
// The Office command bar interfaces the add-in holds. They are dual; the add-in reaches their
// members through IDispatch (see late_bound.h), so only the IIDs are declared here.
#include <windows.h>
#include <oaidl.h>

namespace vrz {

inline constexpr IID IID_CommandBars = {0x000C0302, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_CommandBar = {0x000C0304, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_CommandBarControls = {0x000C0306, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_CommandBarControl = {0x000C0308, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_CommandBarPopup = {0x000C030A, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_CommandBarButton = {0x000C030E, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// _CommandBarButtonEvents {000C0351-0000-0000-C000-000000000046}; Click is DISPID 1.
inline constexpr IID IID_CommandBarButtonEvents = {0x000C0351, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr DISPID kDispidClick = 1;

struct CommandBars : IDispatch {};
struct CommandBar : IDispatch {};
struct CommandBarControls : IDispatch {};
struct CommandBarControl : IDispatch {};
struct CommandBarPopup : IDispatch {};
struct CommandBarButton : IDispatch {};

enum : LONG {
    msoBarTop = 1,
    msoControlButton = 1,
    msoControlPopup = 10,
    msoButtonIcon = 1,
    msoButtonIconAndCaption = 3,
};

}  // namespace vrz
