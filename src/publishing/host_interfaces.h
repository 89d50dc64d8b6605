#pragma once
// The host's interfaces the add-in holds. All are dual: the add-in uses only their IDispatch
// side, apart from the one read of the counter interfaces (see host_automation.cpp).
#include <windows.h>
#include <oaidl.h>

namespace vrz {

// {00020AFF-0000-0000-C000-000000000046}
inline constexpr IID IID_HostApplication = {0x00020AFF, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {00020B00-0000-0000-C000-000000000046}
inline constexpr IID IID_HostProject = {0x00020B00, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {000C0C42-0000-0000-C000-000000000046}: the object of project property 2
inline constexpr IID IID_ProjectCounterA = {0x000C0C42, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {000C0C40-0000-0000-C000-000000000046}: the object of project property 1
inline constexpr IID IID_ProjectCounterB = {0x000C0C40, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct HostApplication : IDispatch {};
struct HostProject : IDispatch {};

inline constexpr DISPID kDispidActiveDocument = 5002;
inline constexpr DISPID kDispidProjectCounterA = 2;
inline constexpr DISPID kDispidProjectCounterB = 1;

}  // namespace vrz
