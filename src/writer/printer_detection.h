#pragma once
// The writer's virtual printer, recognised by its driver.

namespace vrz {

inline constexpr wchar_t kWriterDriverName[] = L"Nimbrova VRZ Writer for 2D Virtual Printer Driver";
inline constexpr wchar_t kPrintersKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

// Raised by the printer probe when there is no default printer or it cannot be opened.
struct NoUsableDefaultPrinter {
    static constexpr int kCode = 3;
};

}  // namespace vrz
